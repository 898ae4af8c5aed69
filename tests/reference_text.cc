#include "reference_text.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string_view>
#include <vector>

namespace {

using NodeAverage = RefNodeAverage;

bool IsActive(const MadeElement& e) { return e.attribute > 0; }
bool IsTriangle(const MadeElement& e) { return e.corners[3] == e.corners[2] || e.corners[3] == 0; }
int CornerCount(const MadeElement& e) { return IsTriangle(e) ? 3 : 4; }

// The mean of the step's element values over the active elements at `node`.
NodeAverage AverageAt(const MadeModel& model, const MadeStep& step, int node) {
  NodeAverage sum;
  int count = 0;
  for (size_t e = 0; e < model.elements.size(); ++e) {
    const MadeElement& elem = model.elements[e];
    if (!IsActive(elem)) continue;
    for (int c = 0; c < CornerCount(elem); ++c) {
      if (elem.corners[c] != node) continue;
      const MadeElementValues& v = step.elements[e];
      ++count;
      sum.vx += v.vx;
      sum.vy += v.vy;
      if (model.program_flag == 1) {
        sum.vx_by_d += v.vx * (1.0 / v.d);
        sum.vy_by_d += v.vy * (1.0 / v.d);
      }
    }
  }
  if (count == 0) return sum;
  double reciprocal = 1.0 / count;
  return {sum.vx * reciprocal, sum.vy * reciprocal, sum.vx_by_d * reciprocal,
          sum.vy_by_d * reciprocal};
}

std::string Title80(const MadeModel& model) {
  std::string title = model.title.substr(0, 80);
  return title + std::string(80 - title.size(), ' ');
}

// Corners as written: a triangle shows its third corner in the fourth place.
std::vector<int> WrittenCorners(const MadeElement& e) {
  std::vector<int> corners(e.corners, e.corners + 4);
  if (IsTriangle(e)) corners[3] = corners[2];
  return corners;
}

int ActiveCount(const MadeModel& model) {
  int count = 0;
  for (const MadeElement& e : model.elements) count += IsActive(e);
  return count;
}

std::string Join(const std::vector<std::string>& fields, const std::string& separator) {
  std::string line;
  for (size_t i = 0; i < fields.size(); ++i) line += (i ? separator : "") + fields[i];
  return line;
}

double Magnitude(double x, double y) { return std::sqrt(x * x + y * y); }

// Joins pieces of text (plain appends, which GCC 12 checks without false alarms).
std::string Cat(std::initializer_list<std::string_view> pieces) {
  std::string text;
  for (std::string_view piece : pieces) text.append(piece);
  return text;
}

}  // namespace

RefNodeAverage RefAverageAt(const MadeModel& model, const MadeStep& step, int node) {
  return AverageAt(model, step, node);
}

bool RefIsTriangle(const MadeElement& e) { return IsTriangle(e); }

RefDigits RefSignificand(double value, int significant) {
  char text[800];
  std::snprintf(text, sizeof text, "%.*e", significant - 1, std::fabs(value));
  const std::string printed = text;
  const size_t e = printed.find('e');
  return {printed.substr(0, 1) + (e > 1 ? printed.substr(2, e - 2) : ""),
          std::atoi(printed.c_str() + e + 1)};
}

namespace {

std::string RightAligned(const std::string& text, int width) {
  if (static_cast<int>(text.size()) > width) return std::string(width, '*');
  return std::string(width - text.size(), ' ') + text;
}

}  // namespace

std::string RefReal(double value, int width, int digits, bool fraction) {
  if (std::isnan(value)) return RightAligned("NaN", width);
  if (std::isinf(value)) return RightAligned(value > 0 ? "Infinity" : "-Infinity", width);
  const int significant = fraction ? digits : digits + 1;
  if (significant < 1) return std::string(width, '*');
  const RefDigits r = RefSignificand(value, significant);
  const int exponent = value == 0 ? 0 : r.exponent + (fraction ? 1 : 0);
  char tail[8];
  std::snprintf(tail, sizeof tail, std::abs(exponent) > 99 ? "%+04d" : "E%+03d", exponent);
  std::string text = value < 0 ? "-" : "";
  if (fraction) {
    text += "0." + r.digits + tail;
  } else {
    text += r.digits.substr(0, 1) + "." + r.digits.substr(1) + tail;
  }
  return RightAligned(text, width);
}

std::string RefInt(long long value, int width) {
  std::string digits = std::to_string(value);
  if (static_cast<int>(digits.size()) > width) return std::string(width, '*');
  return std::string(width - digits.size(), ' ') + digits;
}

std::string RefRestartFile(const MadeModel& model, int head_style, bool with_head_lines) {
  std::string file;
  for (const MadeStep& step : model.steps) {
    if (with_head_lines) {
      char time[64];
      std::snprintf(time, sizeof time, "%.17g", step.time);
      file += Cat({"  LA,TIME  ", std::to_string(step.number), " ", time, "\n"});
    }
    for (size_t i = 0; i < model.nodes.size(); ++i) {
      const MadeNode& n = model.nodes[i];
      const MadeNodeValues& v = step.nodes[i];
      std::vector<std::string> f = {RefInt(static_cast<long long>(i + 1), 10), RefInt(v.code, 5)};
      if (model.program_flag == 0) {
        for (double x : {n.x, n.y, v.head + head_style * n.y, v.flow})
          f.push_back(RefReal(x, 25, 17));
        file += Join(f, ",") + ",\n";
      } else {
        f.push_back(RefInt(n.extra_code, 5));
        for (double x : {n.x, n.y, v.head, v.flow, n.extra_a, n.extra_b}) {
          f.push_back(RefReal(x, 25, 17));
        }
        file += Join(f, ",") + "\n";
      }
    }
  }
  return file;
}

std::string RefTecplotFile(const MadeModel& model) {
  const bool delm = model.program_flag == 1;
  std::string file;
  for (const MadeStep& step : model.steps) {
    file += Cat({"TITTLE = \"TIME=", RefReal(step.time, 15, 7), " ", Title80(model), "\"\n"});
    file += delm ? "VARIABLES = \"X\",\"Y\",\"H\",\"VX\",\"VY\",\"V\",\"VX/D\",\"VY/D\",\"V/D\"\n"
                 : "VARIABLES = \"X\",\"Y\",\"P\",\"H\",\"VX\",\"VY\",\"V\"\n";
    file += Cat({"ZONE N= ", RefInt(static_cast<long long>(model.nodes.size()), 8),
                 ", E= ", RefInt(ActiveCount(model), 8), ", F=FEPOINT\n"});
    for (size_t i = 0; i < model.nodes.size(); ++i) {
      const MadeNode& n = model.nodes[i];
      double head = step.nodes[i].head;
      NodeAverage a = AverageAt(model, step, static_cast<int>(i + 1));
      std::vector<double> values =
          delm ? std::vector<double>{n.x,       n.y,       head,
                                     a.vx,      a.vy,      Magnitude(a.vx, a.vy),
                                     a.vx_by_d, a.vy_by_d, Magnitude(a.vx_by_d, a.vy_by_d)}
               : std::vector<double>{n.x, n.y, head, head + n.y, a.vx, a.vy, Magnitude(a.vx, a.vy)};
      for (double v : values) file += RefReal(v, 15, 7) + ",";
      file += "\n";
    }
    for (const MadeElement& e : model.elements) {
      if (!IsActive(e)) continue;
      std::vector<std::string> f;
      for (int c : WrittenCorners(e)) f.push_back(RefInt(c, 8));
      file += Join(f, ",") + "\n";
    }
  }
  return file;
}

namespace {

std::string MkViewNodeLine(const MadeModel& model, const MadeStep& step, size_t i) {
  const MadeNode& n = model.nodes[i];
  const MadeNodeValues& v = step.nodes[i];
  NodeAverage a = AverageAt(model, step, static_cast<int>(i + 1));
  std::string line = " 0";
  if (model.program_flag == 0) {
    for (double x : {n.x, n.y, v.head, v.head + n.y, a.vx, a.vy, Magnitude(a.vx, a.vy), v.flow}) {
      line += ",";
      line += RefReal(x, 12, 4);
    }
    return line + ",\n";
  }
  for (double x : {n.x, n.y, v.head, a.vx_by_d, a.vy_by_d, Magnitude(a.vx_by_d, a.vy_by_d), a.vx,
                   a.vy, Magnitude(a.vx, a.vy), n.extra_b, v.flow}) {
    line += ",";
    line += RefReal(x, 12, 4);
  }
  return line + "\n";
}

std::string MkViewElementLine(const MadeModel& model, const MadeStep& step, size_t e) {
  const MadeElement& elem = model.elements[e];
  const MadeElementValues& v = step.elements[e];
  double xc = 0, yc = 0;
  int corners = CornerCount(elem);
  for (int c = 0; c < corners; ++c) {
    xc += model.nodes[elem.corners[c] - 1].x;
    yc += model.nodes[elem.corners[c] - 1].y;
  }
  xc /= corners;
  yc /= corners;
  std::string line = " 0";
  for (int c : WrittenCorners(elem)) {
    line += ",";
    line += RefInt(c, 8);
  }
  bool delm = model.program_flag == 1;
  line += ",";
  line += RefInt(delm ? 1 : elem.attribute, 8);
  double r = delm ? 1.0 / v.d : 1.0;
  for (double x : {xc, yc, v.vx * r, v.vy * r, Magnitude(v.vx, v.vy) * r}) {
    line += ",";
    line += RefReal(x, 12, 4);
  }
  return line + "\n";
}

}  // namespace

std::string RefMkViewFile(const MadeModel& model) {
  const bool delm = model.program_flag == 1;
  std::string file;
  for (const MadeStep& step : model.steps) {
    file += Cat({"TIME=", RefReal(step.time, 12, 4), "\n"});
    file += Cat({"TITTLE= \"", Title80(model), "\"\n"});
    std::string counts = Cat({"ZONE N= ", RefInt(static_cast<long long>(model.nodes.size()), 8),
                              ", E= ", RefInt(ActiveCount(model), 8)});
    file += delm ? counts + ",M= 1 ,NV= 9 ,EV= 5\n" : counts + ", M=    1,NV= 6 ,EV= 5\n";
    file += delm ? "NVARIABLES = \"SW\",\"X\",\"Y\",\"H\",\"VX\",\"VY\",\"V\",\"VX*D\",\"VY*D\","
                   "\"V*D\",\"BL\",\"Q\"\n"
                 : "NVARIABLES = \"SW\",\"X\",\"Y\",\"P\",\"H\",\"VX\",\"VY\",\"V\",\"Q\"\n";
    for (size_t i = 0; i < model.nodes.size(); ++i) file += MkViewNodeLine(model, step, i);
    file += "EVARIABLES = \"SW\",\"I\",\"J\",\"K\",\"L\",\"P\",\"X\",\"Y\",\"VX\",\"VY\",\"V\"\n";
    for (size_t e = 0; e < model.elements.size(); ++e) {
      if (IsActive(model.elements[e])) file += MkViewElementLine(model, step, e);
    }
  }
  return file;
}

namespace {

// `lead` and the items, 500 a line; with `commas`, each item follows a comma
// and a line of fewer than 500 ends with one.
std::string Wrapped(const std::string& lead, const std::vector<std::string>& items, bool commas) {
  std::string text;
  for (size_t first = 0; first < items.size(); first += 500) {
    text += first == 0 ? lead : "";
    size_t end = std::min(items.size(), first + 500);
    for (size_t i = first; i < end; ++i) text += (commas ? "," : "") + items[i];
    text += commas && end - first < 500 ? ",\n" : "\n";
  }
  return text;
}

std::string Label(const std::string& label) { return std::string(40 - label.size(), ' ') + label; }

template <typename Value>
std::string Rows(const MadeModel& model, size_t columns, Value value) {
  std::string rows;
  for (const MadeStep& step : model.steps) {
    std::vector<std::string> items;
    for (size_t i = 0; i < columns; ++i) items.push_back(RefReal(value(step, i), 15, 7));
    rows += Wrapped("time," + RefReal(step.time, 15, 7), items, true);
  }
  return rows;
}

template <typename Value>
std::string NodeTable(const MadeModel& model, const std::string& label,
                      const std::vector<int>& nodes, Value value) {
  if (nodes.empty()) return "";
  std::vector<std::string> numbers, xs, ys;
  for (int n : nodes) {
    numbers.push_back(RefInt(n, 8));
    xs.push_back(RefReal(model.nodes[n - 1].x, 15, 7));
    ys.push_back(RefReal(model.nodes[n - 1].y, 15, 7));
  }
  return Label(label) + "\n" + Wrapped(",node", numbers, true) + Wrapped(",x", xs, true) +
         Wrapped(",y", ys, true) + Rows(model, nodes.size(), [&](const MadeStep& step, size_t i) {
           return value(step, nodes[i] - 1);
         });
}

std::string ElemTable(const MadeModel& model, const std::string& label,
                      const std::vector<int>& elems, bool by_d) {
  if (elems.empty()) return "";
  std::vector<std::string> numbers, components(elems.size(), " ,x,y");
  for (int e : elems) numbers.insert(numbers.end(), 2, RefInt(e, 8));
  return Label(label) + "\n" + Wrapped(",element", numbers, true) +
         Wrapped(",component", components, false) +
         Rows(model, 2 * elems.size(), [&](const MadeStep& step, size_t i) {
           const MadeElementValues& v = step.elements[elems[i / 2] - 1];
           double component = i % 2 == 0 ? v.vx : v.vy;
           return by_d ? component / v.d : component;
         });
}

// The head at (px, py): the first counter-clockwise (or flat-edged) triangle
// of non-zero area holding the point, tried element by element.
double InterpolatedHead(const MadeModel& model, const MadeStep& step, double px, double py) {
  auto x = [&](int n) { return model.nodes[n - 1].x; };
  auto y = [&](int n) { return model.nodes[n - 1].y; };
  auto area = [&](int a, int b, double x0, double y0) {
    return 0.5 * ((x(a) - x0) * (y(b) - y0) - (x(b) - x0) * (y(a) - y0));
  };
  auto h = [&](int n) { return step.nodes[n - 1].head; };
  for (const MadeElement& e : model.elements) {
    const int* c = e.corners;
    std::vector<std::array<int, 3>> triangles = {{c[0], c[1], c[2]}};
    if (c[3] != c[2] && c[3] != 0) triangles.push_back({c[0], c[2], c[3]});
    for (auto [a, b, d] : triangles) {
      double sa = area(b, d, px, py), sb = area(d, a, px, py), sc = area(a, b, px, py);
      double r = 1 / area(b, d, x(a), y(a));
      if (sa >= 0 && sb >= 0 && sc >= 0 && std::isfinite(r)) {
        return (h(a) * (sa * r) + h(b) * (sb * r)) + h(d) * (sc * r);
      }
    }
  }
  return 0;
}

}  // namespace

std::map<std::string, std::string> RefInterpFiles(const MadeModel& model, const RefPicks& picks) {
  const bool delm = model.program_flag == 1;
  std::map<std::string, std::string> files;
  std::string& out = files["out.txt"];
  if (!picks.points.empty()) out = "interporate\ntime,x,y,total-head,pressure-head(KORIN)\n";
  for (const MadeStep& step : model.steps) {
    for (auto [px, py] : picks.points) {
      double h = InterpolatedHead(model, step, px, py);
      out +=
          Cat({RefReal(step.time, 15, 7), ",", RefReal(px, 15, 7), ",", RefReal(py, 15, 7), ",",
               delm ? "" : RefReal(py + h, 15, 7) + ",", RefReal(h, 15, 7), delm ? ",\n" : "\n"});
    }
  }
  auto head = [](const MadeStep& step, int i) { return step.nodes[i].head; };
  files["HTIME.CSV"] = NodeTable(model, "total-head", picks.head, [&](const MadeStep& step, int i) {
    return step.nodes[i].head + (delm ? 0 : model.nodes[i].y);
  });
  if (!delm) files["PTIME.CSV"] = NodeTable(model, "pressure-head", picks.pres, head);
  files["QTIME.CSV"] = NodeTable(model, "discharge-rate", picks.flow,
                                 [](const MadeStep& step, int i) { return step.nodes[i].flow; });
  files["VTIME.CSV"] = ElemTable(model, "KORIn/velocity DELM/flow-on-layer", picks.vel, false);
  files["VeTIME.CSV"] = delm ? ElemTable(model, "DELM/velocity", picks.vel, true) : "";
  return files;
}
