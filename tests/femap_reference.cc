#include "femap_reference.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "reference_text.h"
#include "tiny_model.h"

namespace {

using File = std::vector<RefLine>;
using Values = std::vector<double>;

void Fixed(File& f, const std::string& text) { f.push_back({true, text}); }
void Free(File& f, const std::string& text, int count = 1) {
  for (int i = 0; i < count; ++i) f.push_back({false, " " + text});
}
std::string Format(const char* format, double v) {
  char text[48];
  std::snprintf(text, sizeof text, format, v);
  return text;
}
std::string Single(double v) { return Format("%.9gf", static_cast<float>(v)); }
std::string Double(double v) { return Format("%.17gd", v); }
std::string Str(long long v) { return std::to_string(v); }

const std::string kZ3 = "0.,0.,0.,", kZ5 = "0.,0.,0.,0.,0.,";

void AddModel(File& f, const MadeModel& m) {
  for (const char* line : {"   -1", "   100"}) Fixed(f, line);
  Free(f, " "), Free(f, "4.5,"), Fixed(f, "   -1"), Fixed(f, "   -1"), Fixed(f, "   401");
  const std::pair<std::string, int> material[] = {{"1,55,0,1,0,", 1},
                                                  {" ", 1},
                                                  {kZ3, 3},
                                                  {kZ5, 4},
                                                  {"0.,", 1},
                                                  {kZ5, 1},
                                                  {"0.,", 1},
                                                  {kZ5, 1},
                                                  {"0.,", 1},
                                                  {kZ5, 1},
                                                  {"0.,", 1},
                                                  {"0.,0.,0.,0.,", 1},
                                                  {kZ5, 5},
                                                  {"0.,", 1},
                                                  {kZ5, 1},
                                                  {kZ3, 1},
                                                  {"0.,0.,0.,0,0,", 1},
                                                  {"0,0,0,0,0,", 1},
                                                  {"0,0,0,0,0,0,", 1},
                                                  {kZ3, 1},
                                                  {kZ5, 1},
                                                  {"0.,0.,", 1},
                                                  {"0,0,0,0,", 2}};
  for (const auto& [text, count] : material) Free(f, text, count);
  Fixed(f, "   -1"), Fixed(f, "   -1"), Fixed(f, "   402");
  int properties = 1;
  for (const MadeElement& e : m.elements) properties = std::max(properties, e.attribute);
  for (int p = 1; p <= properties; ++p) {
    Fixed(f, RefInt(p, 8) + ",110,1,19,1,0,");
    Free(f, " "), Free(f, "0,0,0,0,"), Free(f, "45,"), Free(f, "0,0,0,0,0,0,0,0,", 5);
    Free(f, "0,0,0,0,0,"), Free(f, "93,"), Free(f, kZ5, 18), Free(f, kZ3);
  }
  Fixed(f, "   -1"), Fixed(f, "   -1"), Fixed(f, "   403");
  for (size_t n = 0; n < m.nodes.size(); ++n) {
    Fixed(f, RefInt(n + 1, 8) + ",0,0,1,46,0,0,0,0,0,0," +
                 RefReal(static_cast<float>(m.nodes[n].x), 13, 6) + "," +
                 RefReal(static_cast<float>(m.nodes[n].y), 13, 6) + "," + RefReal(0, 13, 6));
  }
  Fixed(f, "   -1"), Fixed(f, "   -1"), Fixed(f, "   404");
  for (size_t e = 0; e < m.elements.size(); ++e) {
    const int* c = m.elements[e].corners;
    const bool quad = c[3] != 0 && c[3] != c[2];
    Free(f, Str(e + 1) + ",124," + Str(m.elements[e].attribute) + ",19," + (quad ? "4" : "2") +
                ",1,0,0,");
    std::string slots;
    for (int k = 0; k < 10; ++k) slots += RefInt(k < 3 || (k == 3 && quad) ? c[k] : 0, 7) + ",";
    Fixed(f, slots);
    Free(f, "0,0,0,0,0,0,0,0,0,0,"), Free(f, kZ3, 3), Free(f, "0,0,0,0,0,0,0,0,0,0,0,0,");
  }
  Fixed(f, "   -1");
}

void AddGroup(File& f, const MadeModel& m) {
  Fixed(f, "      -1"), Fixed(f, "     408"), Free(f, "20001,1"), Fixed(f, "ELEM-GROUP 0 ");
  Free(f, "0,0,0"), Free(f, "0,0,0,0,0.,0."), Free(f, "0,0");
  for (int i = 0; i < 6; ++i) Free(f, "0,0"), Free(f, "0.,0.,0.", 2);
  Free(f, "38"), Free(f, "21");
  for (size_t e = 0; e < m.elements.size(); ++e) {
    if (m.elements[e].attribute > 0) Free(f, Str(e + 1) + ",0,1,1,");
  }
  for (const char* text : {"-1,-1,-1,-1,", "-1", "15", "-1"}) Free(f, text);
  Fixed(f, "      -1");
}

struct Vec {
  int id;
  const char *title, *components, *type;
};

// Extremes of `scan` (strictly beyond the values of entity 1 take over),
// then the data lines of `data`.
void AddVector(File& f, int s, const Vec& v, bool magnitude, const Values& scan, const Values& data,
               bool dbl) {
  double low = scan.empty() ? 0 : scan[0], high = low;
  size_t low_at = 0, high_at = 0;
  for (size_t i = 0; i < scan.size(); ++i) {
    if (scan[i] > high) high = scan[i], high_at = i;
    if (scan[i] < low) low = scan[i], low_at = i;
  }
  float largest = std::abs(static_cast<float>(high)), smallest = std::abs(static_cast<float>(low));
  float third = magnitude ? static_cast<float>(high) : std::max(largest, smallest);
  Free(f, Str(s) + "," + Str(v.id) + ",1,"), Free(f, v.title);
  Free(f, Single(low) + " " + Single(high) + " " + Single(third));
  Free(f, v.components), Free(f, "0,0,0,0,0,0,0,0,0,0,");
  Free(f, Str(low_at + 1) + "," + Str(high_at + 1) + v.type), Free(f, "0,1,1,");
  for (size_t i = 0; i < data.size(); ++i) {
    Free(f, Str(i + 1) + "," + (dbl ? Double(data[i]) : Single(data[i])));
  }
  Free(f, "-1," + (dbl ? Double(0) : Single(0)));
}

// Magnitude, x and y; node families are written in double precision, element
// ones in single precision with magnitudes of the single-precision parts.
void AddFamily(File& f, int s, const Vec* v, const Values& x, const Values& y, const Values& data_x,
               const Values& data_y, bool dbl) {
  Values m, data_m;
  for (size_t i = 0; i < x.size(); ++i) {
    m.push_back(std::sqrt(y[i] * y[i] + x[i] * x[i]));
    const float fx = static_cast<float>(x[i]), fy = static_cast<float>(y[i]);
    data_m.push_back(dbl ? m.back() : std::sqrt(fy * fy + fx * fx));
  }
  AddVector(f, s, v[0], true, m, data_m, dbl);
  AddVector(f, s, v[1], false, x, data_x, dbl);
  AddVector(f, s, v[2], false, y, data_y, dbl);
}

const Vec kNodeVecs[] = {{10, "Total Head", "0,0,0,0,0,0,0,0,0,0,", ",6,7,"},
                         {12, "Q", "0,0,0,0,0,0,0,0,0,0,", ",6,7,"},
                         {13, "D*Velocity(Node)", "14,15,0,0,0,0,0,0,0,0,", ",1,7,"},
                         {14, "D*X Velocity(Node)", "14,0,0,0,0,0,0,0,0,0,", ",1,7,"},
                         {15, "D*Y Velocity(Node)", "0,15,0,0,0,0,0,0,0,0,", ",1,7,"},
                         {16, "Velocity(Node)", "17,18,0,0,0,0,0,0,0,0,", ",1,7,"},
                         {17, "X Velocity(Node)", "17,0,0,0,0,0,0,0,0,0,", ",1,7,"},
                         {18, "Y Velocity(Node)", "0,18,0,0,0,0,0,0,0,0,", ",1,7,"}};
const Vec kElemVecs[] = {{70010, "D*Velocity", "70011,70012,0,0,0,0,0,0,0,0,", ",1,8,"},
                         {70011, "D*X Velocity", "70011,0,0,0,0,0,0,0,0,0,", ",1,8,"},
                         {70012, "D*Y Velocity", "0,70012,0,0,0,0,0,0,0,0,", ",1,8,"},
                         {70013, "Velocity", "70014,70015,0,0,0,0,0,0,0,0,", ",1,8,"},
                         {70014, "X Velocity", "70014,0,0,0,0,0,0,0,0,0,", ",1,8,"},
                         {70015, "Y Velocity", "0,70015,0,0,0,0,0,0,0,0,", ",1,8,"}};

void AddSet(File& f, const MadeModel& m, const MadeStep& step, int s) {
  for (const char* line : {"      -1", "     450"}) Fixed(f, line);
  Free(f, Str(s)), Fixed(f, " T=" + RefReal(static_cast<float>(step.time), 12, 4));
  Free(f, "0,0,"), Free(f, Single(step.time)), Free(f, "1,"), Free(f, "  ");
  for (const char* line : {"      -1", "      -1", "     451"}) Fixed(f, line);
  Values head, flow, vx(m.nodes.size()), vy = vx, wa = vx, wb = vx;
  for (const MadeNodeValues& v : step.nodes) head.push_back(v.head), flow.push_back(v.flow);
  for (size_t n = 0; n < m.nodes.size(); ++n) {
    int count = 0;
    for (size_t e = 0; e < m.elements.size(); ++e) {
      const MadeElementValues& v = step.elements[e];
      for (int k = 0; k < 4; ++k) {
        if (m.elements[e].corners[k] != static_cast<int>(n + 1)) continue;
        ++count, vx[n] += v.vx, vy[n] += v.vy, wa[n] += v.vx * (1 / v.d), wb[n] += v.vy * (1 / v.d);
      }
    }
    const double r = count ? 1.0 / count : 0.0;
    vx[n] *= r, vy[n] *= r, wa[n] *= r, wb[n] *= r;
  }
  AddVector(f, s, kNodeVecs[0], false, head, head, false);
  AddVector(f, s, kNodeVecs[1], false, flow, flow, false);
  AddFamily(f, s, &kNodeVecs[2], vx, vy, vx, vy, true);
  AddFamily(f, s, &kNodeVecs[5], wa, wb, wa, wb, true);
  Values ex, ey, dx, dy, qx, qy;
  for (const MadeElementValues& v : step.elements) {
    ex.push_back(v.vx), ey.push_back(v.vy), dx.push_back(v.vx * (1 / v.d));
    dy.push_back(v.vy * (1 / v.d)), qx.push_back(v.vx / v.d), qy.push_back(v.vy / v.d);
  }
  AddFamily(f, s, &kElemVecs[0], ex, ey, ex, ey, false);
  AddFamily(f, s, &kElemVecs[3], dx, dy, qx, qy, false);
  Fixed(f, "      -1");
}

using Items = std::vector<std::vector<std::string>>;

// Fields split at commas, each made of the items between blanks.
Items SplitItems(const std::string& line) {
  Items fields(1);
  std::string item;
  for (char c : line + ",") {
    if (c != ',' && c != ' ') {
      item += c;
      continue;
    }
    if (!item.empty()) fields.back().push_back(item), item.clear();
    if (c == ',') fields.emplace_back();
  }
  return fields;
}

int SignificantDigits(const std::string& number) {
  std::string digits;
  for (char c : number.substr(0, number.find_first_of("eE"))) {
    if (std::isdigit(static_cast<unsigned char>(c))) digits += c;
  }
  size_t first = digits.find_first_not_of('0');
  return first == std::string::npos ? 0 : static_cast<int>(digits.size() - first);
}

bool SameItem(const std::string& actual, const std::string& expected) {
  char* end;
  const double want = std::strtod(expected.c_str(), &end);
  const char kind = expected.back();
  if (end != &expected.back() || (kind != 'f' && kind != 'd')) return actual == expected;
  const double got = std::strtod(actual.c_str(), &end);
  if (*end != '\0' || actual.empty()) return false;
  if (kind == 'd') return got == want;
  return std::strtof(actual.c_str(), nullptr) == static_cast<float>(want) &&
         SignificantDigits(actual) <= 9;
}

bool SameFreeLine(const std::string& actual, const std::string& expected) {
  const Items a = SplitItems(actual), e = SplitItems(expected);
  if (!actual.starts_with(' ') || a.size() != e.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i].size() != e[i].size()) return false;
    for (size_t j = 0; j < a[i].size(); ++j) {
      if (!SameItem(a[i][j], e[i][j])) return false;
    }
  }
  return true;
}

}  // namespace

std::vector<RefLine> RefFemapFile(const MadeModel& model) {
  File f;
  AddModel(f, model);
  AddGroup(f, model);
  for (size_t s = 0; s < model.steps.size(); ++s) AddSet(f, model, model.steps[s], s + 1);
  return f;
}

void ExpectSameFemap(const std::string& actual, const std::vector<RefLine>& expected) {
  const std::vector<std::string> lines = SplitLines(actual);
  EXPECT_TRUE(actual.ends_with('\n'));
  EXPECT_EQ(lines.size(), expected.size());
  int wrong = 0;
  for (size_t i = 0; i < std::min(lines.size(), expected.size()); ++i) {
    const RefLine& e = expected[i];
    if (e.fixed ? lines[i] == e.text : SameFreeLine(lines[i], e.text)) continue;
    if (++wrong <= 5)
      ADD_FAILURE() << "line " << i + 1 << ": [" << lines[i] << "] not [" << e.text << "]";
  }
  EXPECT_EQ(wrong, 0);
}
