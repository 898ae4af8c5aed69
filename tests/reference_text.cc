#include "reference_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string_view>
#include <vector>

namespace {

// Plain appends (which GCC 12 checks without false alarms).
void Add(std::string& text, std::initializer_list<std::string_view> pieces) {
  for (std::string_view piece : pieces) text.append(piece);
}

std::string RightAligned(std::string_view text, int width) {
  if (static_cast<int>(text.size()) > width) return std::string(width, '*');
  std::string field(width - text.size(), ' ');
  return field.append(text);
}

// Node averages of the step's element values: the velocity and its length,
// and (RX-DELM) the same divided by D.
struct NodeAverage {
  double vx = 0, vy = 0, v = 0, vx_by_d = 0, vy_by_d = 0, v_by_d = 0;
};

bool IsActive(const MadeElement& e) { return e.attribute > 0; }
bool IsTriangle(const MadeElement& e) { return e.corners[3] == e.corners[2] || e.corners[3] == 0; }
int CornerCount(const MadeElement& e) { return IsTriangle(e) ? 3 : 4; }
double Magnitude(double x, double y) { return std::sqrt(x * x + y * y); }

// The mean over the active elements that have `node` among their corners.
NodeAverage AverageAt(const MadeModel& model, const MadeStep& step, int node) {
  NodeAverage sum;
  int count = 0;
  for (size_t e = 0; e < model.elements.size(); ++e) {
    const MadeElement& elem = model.elements[e];
    if (!IsActive(elem)) continue;
    for (int c = 0; c < CornerCount(elem); ++c) {
      if (elem.corners[c] != node) continue;
      const MadeElementValues& v = step.elements[e];
      const double by_d = model.program_flag == 1 ? 1.0 / v.d : 0.0;
      ++count, sum.vx += v.vx, sum.vy += v.vy, sum.vx_by_d += v.vx * by_d,
          sum.vy_by_d += v.vy * by_d;
    }
  }
  const double r = count == 0 ? 0.0 : 1.0 / count;
  const double vx = sum.vx * r, vy = sum.vy * r, ax = sum.vx_by_d * r, ay = sum.vy_by_d * r;
  return {vx, vy, Magnitude(vx, vy), ax, ay, Magnitude(ax, ay)};
}

std::string Title80(const MadeModel& model) {
  std::string title = model.title.substr(0, 80);
  return title.append(80 - title.size(), ' ');
}

std::string Counts(const MadeModel& model) {
  int active = 0;
  for (const MadeElement& e : model.elements) active += IsActive(e);
  std::string line;
  Add(line, {"ZONE N= ", RefInt(static_cast<long long>(model.nodes.size()), 8),
             ", E= ", RefInt(active, 8)});
  return line;
}

// Corners as written (a triangle shows its third corner in the fourth place).
std::vector<std::string> Corners(const MadeElement& e) {
  std::vector<std::string> fields;
  for (int c = 0; c < 4; ++c)
    fields.push_back(RefInt(e.corners[c == 3 && IsTriangle(e) ? 2 : c], 8));
  return fields;
}

// One line: the `fields`, then the `reals` as fields of (width, digits), all
// joined by commas, then `end` (",\n" or "\n").
void AddLine(std::string& file, std::vector<std::string> fields, const std::vector<double>& reals,
             int width, int digits, std::string_view end) {
  for (double v : reals) fields.push_back(RefReal(v, width, digits));
  for (size_t i = 0; i < fields.size(); ++i) Add(file, {i ? "," : "", fields[i]});
  file.append(end);
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
  std::string text = value < 0 ? "-" : "";
  if (fraction) {
    Add(text, {"0.", r.digits, tail});
  } else {
    Add(text, {r.digits.substr(0, 1), ".", r.digits.substr(1), tail});
  }
  return RightAligned(text, width);
}

std::string RefInt(long long value, int width) {
  return RightAligned(std::to_string(value), width);
}

std::string RefRestartFile(const MadeModel& model, int head_style, bool with_head_lines) {
  const bool delm = model.program_flag == 1;
  std::string file;
  for (const MadeStep& step : model.steps) {
    if (with_head_lines) {
      char time[64];
      std::snprintf(time, sizeof time, "%.17g", step.time);
      Add(file, {"  LA,TIME  ", std::to_string(step.number), " ", time, "\n"});
    }
    for (size_t i = 0; i < model.nodes.size(); ++i) {
      const MadeNode& n = model.nodes[i];
      const MadeNodeValues& v = step.nodes[i];
      std::vector<std::string> codes = {RefInt(static_cast<long long>(i + 1), 10),
                                        RefInt(v.code, 5)};
      if (delm) {
        codes.push_back(RefInt(n.extra_code, 5));
        AddLine(file, codes, {n.x, n.y, v.head, v.flow, n.extra_a, n.extra_b}, 25, 17, "\n");
      } else {
        AddLine(file, codes, {n.x, n.y, v.head + head_style * n.y, v.flow}, 25, 17, ",\n");
      }
    }
  }
  return file;
}

std::string RefTecplotFile(const MadeModel& model) {
  const bool delm = model.program_flag == 1;
  std::string file;
  for (const MadeStep& step : model.steps) {
    Add(file,
        {"TITTLE = \"TIME=", RefReal(step.time, 15, 7), " ", Title80(model), "\"\n",
         delm ? "VARIABLES = \"X\",\"Y\",\"H\",\"VX\",\"VY\",\"V\",\"VX/D\",\"VY/D\",\"V/D\"\n"
              : "VARIABLES = \"X\",\"Y\",\"P\",\"H\",\"VX\",\"VY\",\"V\"\n",
         Counts(model), ", F=FEPOINT\n"});
    for (size_t i = 0; i < model.nodes.size(); ++i) {
      const MadeNode& n = model.nodes[i];
      const double h = step.nodes[i].head;
      const NodeAverage a = AverageAt(model, step, static_cast<int>(i + 1));
      if (delm) {
        AddLine(file, {}, {n.x, n.y, h, a.vx, a.vy, a.v, a.vx_by_d, a.vy_by_d, a.v_by_d}, 15, 7,
                ",\n");
      } else {
        AddLine(file, {}, {n.x, n.y, h, h + n.y, a.vx, a.vy, a.v}, 15, 7, ",\n");
      }
    }
    for (const MadeElement& e : model.elements) {
      if (IsActive(e)) AddLine(file, Corners(e), {}, 0, 0, "\n");
    }
  }
  return file;
}

std::string RefMkViewFile(const MadeModel& model) {
  const bool delm = model.program_flag == 1;
  std::string file;
  for (const MadeStep& step : model.steps) {
    Add(file,
        {"TIME=", RefReal(step.time, 12, 4), "\nTITTLE= \"", Title80(model), "\"\n", Counts(model),
         delm ? ",M= 1 ,NV= 9 ,EV= 5\nNVARIABLES = \"SW\",\"X\",\"Y\",\"H\",\"VX\",\"VY\",\"V\","
                "\"VX*D\",\"VY*D\",\"V*D\",\"BL\",\"Q\"\n"
              : ", M=    1,NV= 6 ,EV= 5\nNVARIABLES = \"SW\",\"X\",\"Y\",\"P\",\"H\",\"VX\",\"VY\","
                "\"V\",\"Q\"\n"});
    for (size_t i = 0; i < model.nodes.size(); ++i) {
      const MadeNode& n = model.nodes[i];
      const MadeNodeValues& v = step.nodes[i];
      const NodeAverage a = AverageAt(model, step, static_cast<int>(i + 1));
      if (delm) {
        AddLine(
            file, {" 0"},
            {n.x, n.y, v.head, a.vx_by_d, a.vy_by_d, a.v_by_d, a.vx, a.vy, a.v, n.extra_b, v.flow},
            12, 4, "\n");
      } else {
        AddLine(file, {" 0"}, {n.x, n.y, v.head, v.head + n.y, a.vx, a.vy, a.v, v.flow}, 12, 4,
                ",\n");
      }
    }
    file += "EVARIABLES = \"SW\",\"I\",\"J\",\"K\",\"L\",\"P\",\"X\",\"Y\",\"VX\",\"VY\",\"V\"\n";
    for (size_t e = 0; e < model.elements.size(); ++e) {
      const MadeElement& elem = model.elements[e];
      const MadeElementValues& v = step.elements[e];
      if (!IsActive(elem)) continue;
      double x = 0, y = 0;
      for (int c = 0; c < CornerCount(elem); ++c) {
        x += model.nodes[elem.corners[c] - 1].x;
        y += model.nodes[elem.corners[c] - 1].y;
      }
      const double r = delm ? 1.0 / v.d : 1.0;
      std::vector<std::string> fields = Corners(elem);
      fields.insert(fields.begin(), " 0");
      fields.push_back(RefInt(delm ? 1 : elem.attribute, 8));
      AddLine(file, fields,
              {x / CornerCount(elem), y / CornerCount(elem), v.vx * r, v.vy * r,
               Magnitude(v.vx, v.vy) * r},
              12, 4, "\n");
    }
  }
  return file;
}
