#include "reference_text.h"

#include <cmath>
#include <cstdio>
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

std::string RefReal(double value, int width, int digits) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*E", digits, value == 0 ? 0.0 : value);
  std::string field = text;
  size_t e = field.find('E');
  if (field.size() - e - 2 == 3) field.erase(e, 1);  // three exponent digits drop the letter
  if (static_cast<int>(field.size()) > width) return std::string(width, '*');
  return std::string(width - field.size(), ' ') + field;
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
