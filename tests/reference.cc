#include "reference.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <sstream>
#include <string_view>

namespace {

using Values = std::vector<double>;

bool IsActive(const MadeElement& e) { return e.attribute > 0; }
bool IsTriangle(const MadeElement& e) { return e.corners[3] == e.corners[2] || e.corners[3] == 0; }
int CornerCount(const MadeElement& e) { return IsTriangle(e) ? 3 : 4; }
bool IsDelm(const MadeModel& model) { return model.program_flag == 1; }
double Magnitude(double x, double y) { return std::sqrt(x * x + y * y); }
std::string Str(long long v) { return std::to_string(v); }

std::string RightAligned(const std::string& text, int width) {
  if (static_cast<int>(text.size()) > width) return std::string(width, '*');
  return std::string(width - text.size(), ' ') + text;
}

std::string Title80(const MadeModel& model) {
  std::string title = model.title.substr(0, 80);
  return title + std::string(80 - title.size(), ' ');
}

int ActiveCount(const MadeModel& model) {
  return static_cast<int>(std::count_if(model.elements.begin(), model.elements.end(), IsActive));
}

// Corners as written: a triangle shows its third corner in the fourth place.
std::vector<int> WrittenCorners(const MadeElement& e) {
  std::vector<int> corners(e.corners, e.corners + 4);
  if (IsTriangle(e)) corners[3] = corners[2];
  return corners;
}

// Each value as a field after `separator`.
std::string Reals(const Values& values, const std::string& separator, int width, int digits) {
  std::string text;
  for (double v : values) text += separator + RefReal(v, width, digits);
  return text;
}

// Free-form lines: a blank, then the items, a blank before each number; a
// real as the shortest text that reads back to it in its precision (as the
// standard library's to_chars gives it), with ".0" when it looks whole.
std::string Num(long long v) { return " " + std::to_string(v); }
template <typename Real>
std::string ShortestReal(Real v) {
  if (std::isnan(v)) return " NaN";
  if (std::isinf(v)) return v > 0 ? " Infinity" : " -Infinity";
  char text[64];
  std::string shortest(text, std::to_chars(text, text + sizeof text, v == 0 ? Real{0} : v).ptr);
  return " " + shortest + (shortest.find_first_of(".e") == std::string::npos ? ".0" : "");
}
std::string FreeReal(double v, bool dbl) {
  return dbl ? ShortestReal(v) : ShortestReal(static_cast<float>(v));
}
std::string FreeLine(const std::string& items) { return " " + items + "\n"; }

// Joins pieces of text (plain appends, which GCC 12 checks without false alarms).
std::string Cat(std::initializer_list<std::string_view> pieces) {
  std::string text;
  for (std::string_view piece : pieces) text.append(piece);
  return text;
}

}  // namespace

RefDigits RefSignificand(double value, int significant) {
  char text[800];
  std::snprintf(text, sizeof text, "%.*e", significant - 1, std::fabs(value));
  const std::string printed = text;
  const size_t e = printed.find('e');
  return {printed.substr(0, 1) + (e > 1 ? printed.substr(2, e - 2) : ""),
          std::atoi(printed.c_str() + e + 1)};
}

std::string RefReal(double value, int width, int digits, bool fraction) {
  if (std::isnan(value)) return RightAligned("NaN", width);
  if (std::isinf(value)) return RightAligned(value > 0 ? "Infinity" : "-Infinity", width);
  const int significant = fraction ? digits : digits + 1;
  if (significant < 1) return std::string(width, '*');
  const RefDigits r = RefSignificand(value, significant);
  const int exponent = value == 0 ? 0 : r.exponent + (fraction ? 1 : 0);
  char tail[8];
  std::snprintf(tail, sizeof tail, std::abs(exponent) > 99 ? "%+04d" : "E%+03d", exponent);
  const std::string mantissa =
      fraction ? "0." + r.digits : r.digits.substr(0, 1) + "." + r.digits.substr(1);
  return RightAligned((value < 0 ? "-" : "") + mantissa + tail, width);
}

std::string RefInt(long long value, int width) {
  return RightAligned(std::to_string(value), width);
}

MadeModel RefWithSteps(MadeModel model, const std::vector<size_t>& indexes) {
  std::vector<MadeStep> kept;
  for (size_t i : indexes) kept.push_back(model.steps[i]);
  model.steps = kept;
  return model;
}

RefNodeAverage RefAverageAt(const MadeModel& model, const MadeStep& step, int node) {
  RefNodeAverage sum;
  int count = 0;
  for (size_t e = 0; e < model.elements.size(); ++e) {
    const MadeElement& elem = model.elements[e];
    for (int c = 0; c < CornerCount(elem) && IsActive(elem); ++c) {
      if (elem.corners[c] != node) continue;
      const MadeElementValues& v = step.elements[e];
      ++count, sum.vx += v.vx, sum.vy += v.vy;
      if (IsDelm(model)) sum.vx_by_d += v.vx * (1.0 / v.d), sum.vy_by_d += v.vy * (1.0 / v.d);
    }
  }
  const double r = count == 0 ? 0.0 : 1.0 / count;
  return {sum.vx * r, sum.vy * r, sum.vx_by_d * r, sum.vy_by_d * r};
}

std::string RefRestartFile(const MadeModel& model, int head_style, bool with_head_lines) {
  std::string file;
  for (const MadeStep& step : model.steps) {
    if (with_head_lines)
      file += FreeLine(" LA,TIME " + Num(step.number) + FreeReal(step.time, true));
    for (size_t i = 0; i < model.nodes.size(); ++i) {
      const MadeNode& n = model.nodes[i];
      const MadeNodeValues& v = step.nodes[i];
      file += RefInt(static_cast<long long>(i + 1), 10) + "," + RefInt(v.code, 5);
      if (IsDelm(model)) {
        file += "," + RefInt(n.extra_code, 5) +
                Reals({n.x, n.y, v.head, v.flow, n.extra_a, n.extra_b}, ",", 25, 17) + "\n";
      } else {
        file += Reals({n.x, n.y, v.head + head_style * n.y, v.flow}, ",", 25, 17) + ",\n";
      }
    }
  }
  return file;
}

namespace {

std::string ZoneCounts(const MadeModel& model) {
  return Cat({"ZONE N= ", RefInt(static_cast<long long>(model.nodes.size()), 8),
              ", E= ", RefInt(ActiveCount(model), 8)});
}

std::string CornerFields(const MadeElement& e, const std::string& separator) {
  std::string text;
  for (int c : WrittenCorners(e)) text += separator + RefInt(c, 8);
  return text;
}

}  // namespace

std::string RefTecplotFile(const MadeModel& model) {
  const bool delm = IsDelm(model);
  std::string file;
  for (const MadeStep& step : model.steps) {
    file += Cat({"TITTLE = \"TIME=", RefReal(step.time, 15, 7), " ", Title80(model), "\"\n"});
    file += delm ? "VARIABLES = \"X\",\"Y\",\"H\",\"VX\",\"VY\",\"V\",\"VX/D\",\"VY/D\",\"V/D\"\n"
                 : "VARIABLES = \"X\",\"Y\",\"P\",\"H\",\"VX\",\"VY\",\"V\"\n";
    file += ZoneCounts(model) + ", F=FEPOINT\n";
    for (size_t i = 0; i < model.nodes.size(); ++i) {
      const MadeNode& n = model.nodes[i];
      const double h = step.nodes[i].head;
      const RefNodeAverage a = RefAverageAt(model, step, static_cast<int>(i + 1));
      const Values values = delm ? Values{n.x,       n.y,       h,
                                          a.vx,      a.vy,      Magnitude(a.vx, a.vy),
                                          a.vx_by_d, a.vy_by_d, Magnitude(a.vx_by_d, a.vy_by_d)}
                                 : Values{n.x, n.y, h, h + n.y, a.vx, a.vy, Magnitude(a.vx, a.vy)};
      for (double v : values) file += RefReal(v, 15, 7) + ",";
      file += "\n";
    }
    for (const MadeElement& e : model.elements) {
      if (IsActive(e)) file += CornerFields(e, ",").substr(1) + "\n";
    }
  }
  return file;
}

namespace {

std::string MkViewNodeLine(const MadeModel& model, const MadeStep& step, size_t i) {
  const MadeNode& n = model.nodes[i];
  const MadeNodeValues& v = step.nodes[i];
  const RefNodeAverage a = RefAverageAt(model, step, static_cast<int>(i + 1));
  if (!IsDelm(model)) {
    return " 0" +
           Reals({n.x, n.y, v.head, v.head + n.y, a.vx, a.vy, Magnitude(a.vx, a.vy), v.flow}, ",",
                 12, 4) +
           ",\n";
  }
  return " 0" +
         Reals({n.x, n.y, v.head, a.vx_by_d, a.vy_by_d, Magnitude(a.vx_by_d, a.vy_by_d), a.vx, a.vy,
                Magnitude(a.vx, a.vy), n.extra_b, v.flow},
               ",", 12, 4) +
         "\n";
}

std::string MkViewElementLine(const MadeModel& model, const MadeStep& step, size_t e) {
  const MadeElement& elem = model.elements[e];
  const MadeElementValues& v = step.elements[e];
  double xc = 0, yc = 0;
  const int corners = CornerCount(elem);
  for (int c = 0; c < corners; ++c) {
    xc += model.nodes[elem.corners[c] - 1].x, yc += model.nodes[elem.corners[c] - 1].y;
  }
  const bool delm = IsDelm(model);
  const double r = delm ? 1.0 / v.d : 1.0;
  return " 0" + CornerFields(elem, ",") + "," + RefInt(delm ? 1 : elem.attribute, 8) +
         Reals({xc / corners, yc / corners, v.vx * r, v.vy * r, Magnitude(v.vx, v.vy) * r}, ",", 12,
               4) +
         "\n";
}

}  // namespace

std::string RefMkViewFile(const MadeModel& model) {
  const bool delm = IsDelm(model);
  std::string file;
  for (const MadeStep& step : model.steps) {
    file += Cat({"TIME=", RefReal(step.time, 12, 4), "\nTITTLE= \"", Title80(model), "\"\n"});
    file += ZoneCounts(model) + (delm ? ",M= 1 ,NV= 9 ,EV= 5\n" : ", M=    1,NV= 6 ,EV= 5\n");
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

// A line of a MicroAVS step block and the width of its copy in the assembled file.
struct BlockLine {
  std::string text;
  int width;
};
using Block = std::vector<BlockLine>;

const Block kKorinNodeHead = {
    {"5   3", 5},        {"5   1   1   1   1   1", 25}, {"Pressure,", 9}, {"Total Head,", 11},
    {"Velocity X,", 13}, {"Velocity Y,", 13},           {"Velocity,", 13}};
const Block kKorinCellHead = {
    {"3   1   1   1", 13}, {"Velocity X,", 13}, {"Velocity Y,", 13}, {"Velocity,", 13}};
const Block kDelmNodeHead = {{"7   6", 5},          {"7   1   1   1   1   1   1   1", 29},
                             {"Total Head,", 11},   {"D*Velocity X,", 13},
                             {"D*Velocity Y,", 13}, {"D*Velocity,", 13},
                             {"Velocity X,", 13},   {"Velocity Y,", 13},
                             {"Velocity,", 13}};
const Block kDelmCellHead = {{"6   1   1   1   1   1   1", 25},
                             {"D*Velocity X,", 13},
                             {"D*Velocity Y,", 13},
                             {"D*Velocity,", 13},
                             {"Velocity X,", 13},
                             {"Velocity Y,", 13},
                             {"Velocity,", 13}};

// The number in 8 columns, a blank, then each value rounded to a 4-byte real
// in 12 columns and a blank.
BlockLine ValueLine(size_t number, const Values& values, int width) {
  std::string text = RefInt(static_cast<long long>(number), 8) + " ";
  for (double value : values) text += RefReal(static_cast<float>(value), 12, 5) + " ";
  return {text, width};
}

Block StepBlock(const MadeModel& model, const MadeStep& step, size_t number) {
  const bool delm = IsDelm(model);
  Block block = {
      {"step" + RefInt(static_cast<long long>(number), 5) + RefReal(step.time, 15, 7, true), 26}};
  for (const BlockLine& line : delm ? kDelmNodeHead : kKorinNodeHead) block.push_back(line);
  for (size_t i = 0; i < model.nodes.size(); ++i) {
    const RefNodeAverage a = RefAverageAt(model, step, static_cast<int>(i + 1));
    const double h = step.nodes[i].head, v = Magnitude(a.vx, a.vy);
    block.push_back(
        delm ? ValueLine(i + 1,
                         {h, a.vx, a.vy, v, a.vx_by_d, a.vy_by_d, Magnitude(a.vx_by_d, a.vy_by_d)},
                         100)
             : ValueLine(i + 1, {h, h + model.nodes[i].y, a.vx, a.vy, v}, 85));
  }
  for (const BlockLine& line : delm ? kDelmCellHead : kKorinCellHead) block.push_back(line);
  for (size_t e = 0; e < model.elements.size(); ++e) {
    const MadeElementValues& u = step.elements[e];
    const double v = Magnitude(u.vx, u.vy), r = 1.0 / u.d;
    block.push_back(delm ? ValueLine(e + 1, {u.vx, u.vy, v, u.vx * r, u.vy * r, v * r}, 87)
                         : ValueLine(e + 1, {u.vx, u.vy, v}, 48));
  }
  return block;
}

std::string MicroAvsMesh(const MadeModel& model) {
  std::string mesh = RefInt(static_cast<long long>(model.nodes.size()), 10) + " " +
                     RefInt(static_cast<long long>(model.elements.size()), 10) + "\n";
  for (size_t i = 0; i < model.nodes.size(); ++i) {
    mesh += RefInt(static_cast<long long>(i + 1), 8) +
            Reals({model.nodes[i].x, model.nodes[i].y, 0}, " ", 12, 5) + "\n";
  }
  for (size_t e = 0; e < model.elements.size(); ++e) {
    const MadeElement& elem = model.elements[e];
    mesh += RefInt(static_cast<long long>(e + 1), 8) + " " + RefInt(elem.attribute, 8) +
            (IsTriangle(elem) ? " tri " : " quad ");
    for (int c = 0; c < CornerCount(elem); ++c) mesh.append(" ").append(RefInt(elem.corners[c], 8));
    mesh += "\n";
  }
  return mesh;
}

}  // namespace

RefMicroAvsFiles RefMicroAvs(const MadeModel& model) {
  RefMicroAvsFiles files;
  files.main = IsDelm(model) ? "# RX-DELM \n" : "# RX-KORIN \n";
  files.main += RefInt(static_cast<long long>(model.steps.size()), 5) + "\ndata\n";
  for (size_t k = 0; k < model.steps.size(); ++k) {
    const Block block = StepBlock(model, model.steps[k], k + 1);
    for (size_t i = 0; i < block.size(); ++i) {
      files.temp += block[i].text + "\n";
      files.main += block[i].text + std::string(block[i].width - block[i].text.size(), ' ') + "\n";
      if (k == 0 && i == 0) files.main += MicroAvsMesh(model);
    }
  }
  return files;
}

namespace {

// `lead` and the items, 500 a line; with `commas`, each item follows a comma
// and a line of fewer than 500 ends with one.
std::string Wrapped(const std::string& lead, const std::vector<std::string>& items, bool commas) {
  std::string text;
  for (size_t first = 0; first < items.size(); first += 500) {
    text += first == 0 ? lead : "";
    const size_t end = std::min(items.size(), first + 500);
    for (size_t i = first; i < end; ++i) text += (commas ? "," : "") + items[i];
    text += commas && end - first < 500 ? ",\n" : "\n";
  }
  return text;
}

// A table's label line, heading lines and a row a step, column i of a row
// being value(step, i).
template <typename Value>
std::string Table(const MadeModel& model, const std::string& label, const std::string& heading,
                  size_t columns, Value value) {
  std::string rows = RightAligned(label, 40) + "\n" + heading;
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
  const std::string heading =
      Wrapped(",node", numbers, true) + Wrapped(",x", xs, true) + Wrapped(",y", ys, true);
  return Table(model, label, heading, nodes.size(),
               [&](const MadeStep& step, size_t i) { return value(step, nodes[i] - 1); });
}

std::string ElemTable(const MadeModel& model, const std::string& label,
                      const std::vector<int>& elems, bool by_d) {
  if (elems.empty()) return "";
  std::vector<std::string> numbers, components(elems.size(), " ,x,y");
  for (int e : elems) numbers.insert(numbers.end(), 2, RefInt(e, 8));
  const std::string heading =
      Wrapped(",element", numbers, true) + Wrapped(",component", components, false);
  return Table(model, label, heading, 2 * elems.size(), [&](const MadeStep& step, size_t i) {
    const MadeElementValues& v = step.elements[elems[i / 2] - 1];
    const double component = i % 2 == 0 ? v.vx : v.vy;
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
    if (!IsTriangle(e)) triangles.push_back({c[0], c[2], c[3]});
    for (auto [a, b, d] : triangles) {
      const double sa = area(b, d, px, py), sb = area(d, a, px, py), sc = area(a, b, px, py);
      const double r = 1 / area(b, d, x(a), y(a));
      if (sa >= 0 && sb >= 0 && sc >= 0 && std::isfinite(r)) {
        return (h(a) * (sa * r) + h(b) * (sb * r)) + h(d) * (sc * r);
      }
    }
  }
  return 0;
}

}  // namespace

std::map<std::string, std::string> RefInterpFiles(const MadeModel& model, const RefPicks& picks) {
  const bool delm = IsDelm(model);
  std::map<std::string, std::string> files;
  std::string& out = files["out.txt"];
  if (!picks.points.empty()) out = "interporate\ntime,x,y,total-head,pressure-head(KORIN)\n";
  for (const MadeStep& step : model.steps) {
    for (auto [px, py] : picks.points) {
      const double h = InterpolatedHead(model, step, px, py);
      out += Reals({step.time, px, py}, ",", 15, 7).substr(1) + "," +
             (delm ? RefReal(h, 15, 7) + ",\n" : Reals({py + h, h}, ",", 15, 7).substr(1) + "\n");
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

namespace {

const std::string kEnd5 = "   -1\n", kEnd8 = "      -1\n";

// Free-form lines of fixed text, given as "text/3*text/...": a count and a
// star before a text repeat it.
std::string FreeLines(const std::string& texts) {
  std::string lines;
  for (size_t at = 0, end; at < texts.size(); at = end + 1) {
    end = std::min(texts.find('/', at), texts.size());
    const size_t star = texts.find('*', at), from = star < end ? star + 1 : at;
    for (int i = star < end ? std::stoi(texts.substr(at, star - at)) : 1; i > 0; --i) {
      lines += FreeLine(texts.substr(from, end - from));
    }
  }
  return lines;
}

std::string FemapModel(const MadeModel& m) {
  std::string f = kEnd5 + "   100\n" + FreeLines(" /4.5,") + kEnd5 + kEnd5 + "   401\n" +
                  FreeLines(
                      "1,55,0,1,0,/ /3*0.,0.,0.,/4*0.,0.,0.,0.,0.,/0.,/0.,0.,0.,0.,0.,/0.,/"
                      "0.,0.,0.,0.,0.,/0.,/0.,0.,0.,0.,0.,/0.,/0.,0.,0.,0.,/5*0.,0.,0.,0.,0.,/"
                      "0.,/0.,0.,0.,0.,0.,/0.,0.,0.,/0.,0.,0.,0,0,/0,0,0,0,0,/0,0,0,0,0,0,/"
                      "0.,0.,0.,/0.,0.,0.,0.,0.,/0.,0.,/2*0,0,0,0,") +
                  kEnd5 + kEnd5 + "   402\n";
  int properties = 1;
  for (const MadeElement& e : m.elements) properties = std::max(properties, e.attribute);
  for (int p = 1; p <= properties; ++p) {
    f += RefInt(p, 8) + ",110,1,19,1,0,\n" +
         FreeLines(" /0,0,0,0,/45,/5*0,0,0,0,0,0,0,0,/0,0,0,0,0,/93,/18*0.,0.,0.,0.,0.,/0.,0.,0.,");
  }
  f += kEnd5 + kEnd5 + "   403\n";
  for (size_t n = 0; n < m.nodes.size(); ++n) {
    f += RefInt(n + 1, 8) + ",0,0,1,46,0,0,0,0,0,0," +
         RefReal(static_cast<float>(m.nodes[n].x), 13, 6) + "," +
         RefReal(static_cast<float>(m.nodes[n].y), 13, 6) + "," + RefReal(0, 13, 6) + "\n";
  }
  f += kEnd5 + kEnd5 + "   404\n";
  for (size_t e = 0; e < m.elements.size(); ++e) {
    const int* c = m.elements[e].corners;
    const bool quad = !IsTriangle(m.elements[e]);
    f += FreeLine(Num(e + 1) + ",124," + Num(m.elements[e].attribute) + ",19," + Num(quad ? 4 : 2) +
                  ",1,0,0,");
    for (int k = 0; k < 10; ++k) f += RefInt(k < 3 || (k == 3 && quad) ? c[k] : 0, 7) + ",";
    f += "\n" + FreeLines("0,0,0,0,0,0,0,0,0,0,/3*0.,0.,0.,/0,0,0,0,0,0,0,0,0,0,0,0,");
  }
  f += kEnd5 + kEnd8 + "     408\n" + FreeLine(" 20001,1") + "ELEM-GROUP 0 \n" +
       FreeLines("0,0,0/0,0,0,0,0.,0./0,0");
  for (int i = 0; i < 6; ++i) f += FreeLines("0,0/2*0.,0.,0.");
  f += FreeLines("38/21");
  for (size_t e = 0; e < m.elements.size(); ++e) {
    if (IsActive(m.elements[e])) f += FreeLine(Num(e + 1) + ",0,1,1,");
  }
  return f + FreeLines("-1,-1,-1,-1,/-1/15/-1") + kEnd8;
}

// The fixed texts of a vector: its first line, title, components and type.
struct VectorHead {
  std::string id, title, components, type;
};

// Extremes of `scan` (only values strictly beyond those of entity 1 take
// over), then a line per entry of `data`.
std::string FemapVector(const VectorHead& h, bool magnitude, const Values& scan, const Values& data,
                        bool dbl) {
  double low = scan.empty() ? 0 : scan[0], high = low;
  size_t low_at = 0, high_at = 0;
  for (size_t i = 0; i < scan.size(); ++i) {
    if (scan[i] > high) high = scan[i], high_at = i;
    if (scan[i] < low) low = scan[i], low_at = i;
  }
  const float largest = std::abs(static_cast<float>(high));
  const float third = magnitude ? largest : std::max(largest, std::abs(static_cast<float>(low)));
  std::string f = FreeLine(h.id) + FreeLine(h.title) +
                  FreeLine(FreeReal(low, false) + FreeReal(high, false) + FreeReal(third, false)) +
                  FreeLine(h.components) + FreeLines("0,0,0,0,0,0,0,0,0,0,") +
                  FreeLine(Num(low_at + 1) + "," + Num(high_at + 1) + h.type) + FreeLines("0,1,1,");
  for (size_t i = 0; i < data.size(); ++i) f += FreeLine(Num(i + 1) + "," + FreeReal(data[i], dbl));
  return f + FreeLine(Num(-1) + "," + FreeReal(0, dbl));
}

// Magnitude, x and y numbered from `id`. Node vectors are written in double
// precision; element ones in single, with magnitudes of single-precision parts.
std::string FemapFamily(const std::string& set, int id, const std::string& prefix, bool node,
                        const Values& x, const Values& y, const Values& data_x,
                        const Values& data_y) {
  Values m, data_m;
  for (size_t i = 0; i < x.size(); ++i) {
    m.push_back(std::sqrt(y[i] * y[i] + x[i] * x[i]));
    const float fx = static_cast<float>(x[i]), fy = static_cast<float>(y[i]);
    data_m.push_back(node ? m.back() : std::sqrt(fy * fy + fx * fx));
  }
  const std::string suffix = node ? "(Node)" : "", zeros = "0,0,0,0,0,0,0,0,";
  const std::string type = node ? ",1,7," : ",1,8,", ix = Str(id + 1), iy = Str(id + 2);
  const auto head = [&](int k, const std::string& title, const std::string& components) {
    return VectorHead{set + "," + Str(id + k) + ",1,", prefix + title + suffix, components, type};
  };
  return FemapVector(head(0, "Velocity", ix + "," + iy + "," + zeros), true, m, data_m, node) +
         FemapVector(head(1, "X Velocity", ix + ",0," + zeros), false, x, data_x, node) +
         FemapVector(head(2, "Y Velocity", "0," + iy + "," + zeros), false, y, data_y, node);
}

// FEMAP averages every element, whatever its attribute, at each non-zero corner.
std::string FemapSet(const MadeModel& m, const MadeStep& step, int number) {
  const std::string set = Num(number);
  std::string f = kEnd8 + "     450\n" + FreeLine(set) +
                  " T=" + RefReal(static_cast<float>(step.time), 12, 4) + "\n" + FreeLines("0,0,") +
                  FreeLine(FreeReal(step.time, false)) + FreeLines("1,/  ") + kEnd8 + kEnd8 +
                  "     451\n";
  const size_t nodes = m.nodes.size();
  Values head, flow, vx(nodes), vy(nodes), wx(nodes), wy(nodes), ex, ey, dx, dy, qx, qy;
  for (const MadeNodeValues& v : step.nodes) head.push_back(v.head), flow.push_back(v.flow);
  std::vector<int> count(nodes);
  for (size_t e = 0; e < m.elements.size(); ++e) {
    const MadeElementValues& v = step.elements[e];
    for (int corner : m.elements[e].corners) {
      if (corner == 0) continue;
      const size_t n = corner - 1;
      ++count[n], vx[n] += v.vx, vy[n] += v.vy, wx[n] += v.vx * (1 / v.d),
          wy[n] += v.vy * (1 / v.d);
    }
  }
  for (size_t n = 0; n < nodes; ++n) {
    const double r = count[n] ? 1.0 / count[n] : 0.0;
    vx[n] *= r, vy[n] *= r, wx[n] *= r, wy[n] *= r;
  }
  for (const MadeElementValues& v : step.elements) {
    ex.push_back(v.vx), ey.push_back(v.vy), dx.push_back(v.vx * (1 / v.d));
    dy.push_back(v.vy * (1 / v.d)), qx.push_back(v.vx / v.d), qy.push_back(v.vy / v.d);
  }
  const std::string none = "0,0,0,0,0,0,0,0,0,0,";
  return f + FemapVector({set + ",10,1,", "Total Head", none, ",6,7,"}, false, head, head, false) +
         FemapVector({set + ",12,1,", "Q", none, ",6,7,"}, false, flow, flow, false) +
         FemapFamily(set, 13, "D*", true, vx, vy, vx, vy) +
         FemapFamily(set, 16, "", true, wx, wy, wx, wy) +
         FemapFamily(set, 70010, "D*", false, ex, ey, ex, ey) +
         FemapFamily(set, 70013, "", false, dx, dy, qx, qy) + kEnd8;
}

}  // namespace

std::string RefFemapFile(const MadeModel& model) {
  std::string file = FemapModel(model);
  for (size_t s = 0; s < model.steps.size(); ++s) file += FemapSet(model, model.steps[s], s + 1);
  return file;
}

namespace {

// The line of `text` that holds position `at`.
std::string_view LineAt(const std::string& text, size_t at) {
  if (at >= text.size()) return "(end of text)";
  const size_t start = at == 0 ? 0 : text.rfind('\n', at - 1) + 1;
  return std::string_view(text).substr(start, text.find('\n', at) - start);
}

}  // namespace

void ExpectSameText(const std::string& actual, const std::string& expected,
                    const std::string& what) {
  if (actual == expected) return;
  const size_t at =
      std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end()).first -
      actual.begin();
  ADD_FAILURE() << what << " differs at line "
                << std::count(actual.begin(), actual.begin() + at, '\n') + 1 << " ("
                << actual.size() << " bytes, expected " << expected.size() << ")\n  written:  ["
                << LineAt(actual, at) << "]\n  expected: [" << LineAt(expected, at) << "]";
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}
