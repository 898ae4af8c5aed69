#include "femap_reference.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "reference_text.h"
#include "tiny_model.h"

namespace {

// Free-form lines hold items; reals end in f (single, "%.9g") or d (double).
struct Line {
  bool fixed;
  std::string text;
};
using File = std::vector<Line>;
using Values = std::vector<double>;

void Fixed(File& f, const std::string& text) { f.push_back({true, text}); }
void Free(File& f, const std::string& text, int count = 1) {
  f.insert(f.end(), count, {false, text});
}
std::string Real(double v, bool dbl) {
  char text[48];
  std::snprintf(text, sizeof text, dbl ? "%.17gd" : "%.9gf", dbl ? v : static_cast<float>(v));
  return text;
}
std::string Str(long long v) { return std::to_string(v); }

const std::string kEnd5 = "   -1", kEnd8 = "      -1";

// Free-form lines of fixed text, given as "text/3*text/...": a count and a
// star before a text repeat it.
void FreeLines(File& f, const std::string& texts) {
  for (size_t at = 0, end; at < texts.size(); at = end + 1) {
    end = std::min(texts.find('/', at), texts.size());
    const size_t star = texts.find('*', at);
    const bool repeated = star < end;
    Free(f, texts.substr(repeated ? star + 1 : at, end - (repeated ? star + 1 : at)),
         repeated ? std::stoi(texts.substr(at, star - at)) : 1);
  }
}

void AddModel(File& f, const MadeModel& m) {
  Fixed(f, kEnd5), Fixed(f, "   100"), FreeLines(f, " /4.5,"), Fixed(f, kEnd5);
  Fixed(f, kEnd5), Fixed(f, "   401");
  FreeLines(f,
            "1,55,0,1,0,/ /3*0.,0.,0.,/4*0.,0.,0.,0.,0.,/0.,/0.,0.,0.,0.,0.,/0.,/0.,0.,0.,0.,0.,/"
            "0.,/0.,0.,0.,0.,0.,/0.,/0.,0.,0.,0.,/5*0.,0.,0.,0.,0.,/0.,/0.,0.,0.,0.,0.,/0.,0.,0.,/"
            "0.,0.,0.,0,0,/0,0,0,0,0,/0,0,0,0,0,0,/0.,0.,0.,/0.,0.,0.,0.,0.,/0.,0.,/2*0,0,0,0,");
  Fixed(f, kEnd5), Fixed(f, kEnd5), Fixed(f, "   402");
  int properties = 1;
  for (const MadeElement& e : m.elements) properties = std::max(properties, e.attribute);
  for (int p = 1; p <= properties; ++p) {
    Fixed(f, RefInt(p, 8) + ",110,1,19,1,0,");
    FreeLines(f, " /0,0,0,0,/45,/5*0,0,0,0,0,0,0,0,/0,0,0,0,0,/93,/18*0.,0.,0.,0.,0.,/0.,0.,0.,");
  }
  Fixed(f, kEnd5), Fixed(f, kEnd5), Fixed(f, "   403");
  for (size_t n = 0; n < m.nodes.size(); ++n) {
    Fixed(f, RefInt(n + 1, 8) + ",0,0,1,46,0,0,0,0,0,0," +
                 RefReal(static_cast<float>(m.nodes[n].x), 13, 6) + "," +
                 RefReal(static_cast<float>(m.nodes[n].y), 13, 6) + "," + RefReal(0, 13, 6));
  }
  Fixed(f, kEnd5), Fixed(f, kEnd5), Fixed(f, "   404");
  for (size_t e = 0; e < m.elements.size(); ++e) {
    const int* c = m.elements[e].corners;
    const bool quad = c[3] != 0 && c[3] != c[2];
    Free(f, Str(e + 1) + ",124," + Str(m.elements[e].attribute) + ",19," + (quad ? "4" : "2") +
                ",1,0,0,");
    std::string slots;
    for (int k = 0; k < 10; ++k) slots += RefInt(k < 3 || (k == 3 && quad) ? c[k] : 0, 7) + ",";
    Fixed(f, slots);
    FreeLines(f, "0,0,0,0,0,0,0,0,0,0,/3*0.,0.,0.,/0,0,0,0,0,0,0,0,0,0,0,0,");
  }
  Fixed(f, kEnd5), Fixed(f, kEnd8), Fixed(f, "     408"), Free(f, "20001,1");
  Fixed(f, "ELEM-GROUP 0 "), FreeLines(f, "0,0,0/0,0,0,0,0.,0./0,0");
  for (int i = 0; i < 6; ++i) FreeLines(f, "0,0/2*0.,0.,0.");
  FreeLines(f, "38/21");
  for (size_t e = 0; e < m.elements.size(); ++e) {
    if (m.elements[e].attribute > 0) Free(f, Str(e + 1) + ",0,1,1,");
  }
  FreeLines(f, "-1,-1,-1,-1,/-1/15/-1");
  Fixed(f, kEnd8);
}

// The fixed texts of a vector: its first line, title, components and type.
struct Head {
  std::string id, title, components, type;
};

// Extremes of `scan` (only values strictly beyond those of entity 1 take
// over), then a line per entry of `data`.
void AddVector(File& f, const Head& h, bool magnitude, const Values& scan, const Values& data,
               bool dbl) {
  double low = scan.empty() ? 0 : scan[0], high = low;
  size_t low_at = 0, high_at = 0;
  for (size_t i = 0; i < scan.size(); ++i) {
    if (scan[i] > high) high = scan[i], high_at = i;
    if (scan[i] < low) low = scan[i], low_at = i;
  }
  const float largest = std::abs(static_cast<float>(high));
  const float third = magnitude ? largest : std::max(largest, std::abs(static_cast<float>(low)));
  Free(f, h.id), Free(f, h.title);
  Free(f, Real(low, false) + " " + Real(high, false) + " " + Real(third, false));
  Free(f, h.components), Free(f, "0,0,0,0,0,0,0,0,0,0,");
  Free(f, Str(low_at + 1) + "," + Str(high_at + 1) + h.type), Free(f, "0,1,1,");
  for (size_t i = 0; i < data.size(); ++i) Free(f, Str(i + 1) + "," + Real(data[i], dbl));
  Free(f, "-1," + Real(0, dbl));
}

// Magnitude, x and y numbered from `id`. Node vectors are written in double
// precision; element ones in single, with magnitudes of single-precision parts.
void AddFamily(File& f, const std::string& set, int id, const std::string& prefix, bool node,
               const Values& x, const Values& y, const Values& data_x, const Values& data_y) {
  Values m, data_m;
  for (size_t i = 0; i < x.size(); ++i) {
    m.push_back(std::sqrt(y[i] * y[i] + x[i] * x[i]));
    const float fx = static_cast<float>(x[i]), fy = static_cast<float>(y[i]);
    data_m.push_back(node ? m.back() : std::sqrt(fy * fy + fx * fx));
  }
  const std::string suffix = node ? "(Node)" : "", zeros = "0,0,0,0,0,0,0,0,";
  const std::string type = node ? ",1,7," : ",1,8,", ix = Str(id + 1), iy = Str(id + 2);
  const auto head = [&](int k, const std::string& title, const std::string& components) {
    return Head{set + "," + Str(id + k) + ",1,", prefix + title + suffix, components, type};
  };
  AddVector(f, head(0, "Velocity", ix + "," + iy + "," + zeros), true, m, data_m, node);
  AddVector(f, head(1, "X Velocity", ix + ",0," + zeros), false, x, data_x, node);
  AddVector(f, head(2, "Y Velocity", "0," + iy + "," + zeros), false, y, data_y, node);
}

void AddSet(File& f, const MadeModel& m, const MadeStep& step, const std::string& set) {
  Fixed(f, kEnd8), Fixed(f, "     450"), Free(f, set);
  Fixed(f, " T=" + RefReal(static_cast<float>(step.time), 12, 4)), Free(f, "0,0,");
  Free(f, Real(step.time, false)), Free(f, "1,"), Free(f, "  ");
  Fixed(f, kEnd8), Fixed(f, kEnd8), Fixed(f, "     451");
  const size_t nodes = m.nodes.size();
  Values head, flow, vx(nodes), vy(nodes), wx(nodes), wy(nodes), ex, ey, dx, dy, qx, qy;
  for (const MadeNodeValues& v : step.nodes) head.push_back(v.head), flow.push_back(v.flow);
  for (size_t n = 0; n < nodes; ++n) {
    int count = 0;
    for (size_t e = 0; e < m.elements.size(); ++e) {
      const MadeElementValues& v = step.elements[e];
      for (int corner : m.elements[e].corners) {
        if (corner != static_cast<int>(n + 1)) continue;
        ++count, vx[n] += v.vx, vy[n] += v.vy, wx[n] += v.vx * (1 / v.d), wy[n] += v.vy * (1 / v.d);
      }
    }
    const double r = count ? 1.0 / count : 0.0;
    vx[n] *= r, vy[n] *= r, wx[n] *= r, wy[n] *= r;
  }
  const std::string none = "0,0,0,0,0,0,0,0,0,0,";
  AddVector(f, {set + ",10,1,", "Total Head", none, ",6,7,"}, false, head, head, false);
  AddVector(f, {set + ",12,1,", "Q", none, ",6,7,"}, false, flow, flow, false);
  AddFamily(f, set, 13, "D*", true, vx, vy, vx, vy);
  AddFamily(f, set, 16, "", true, wx, wy, wx, wy);
  for (const MadeElementValues& v : step.elements) {
    ex.push_back(v.vx), ey.push_back(v.vy), dx.push_back(v.vx * (1 / v.d));
    dy.push_back(v.vy * (1 / v.d)), qx.push_back(v.vx / v.d), qy.push_back(v.vy / v.d);
  }
  AddFamily(f, set, 70010, "D*", false, ex, ey, ex, ey);
  AddFamily(f, set, 70013, "", false, dx, dy, qx, qy);
  Fixed(f, kEnd8);
}

// The items between blanks and commas, each comma an item too.
std::vector<std::string> Items(const std::string& line) {
  std::vector<std::string> items;
  std::string item;
  for (char c : line + " ") {
    if (c != ',' && c != ' ') item += c;
    if ((c == ',' || c == ' ') && !item.empty()) items.push_back(item), item.clear();
    if (c == ',') items.emplace_back(",");
  }
  return items;
}

bool SameItem(const std::string& actual, const std::string& expected) {
  char* end;
  const double want = std::strtod(expected.c_str(), &end);
  if (end != &expected.back() || (*end != 'f' && *end != 'd')) return actual == expected;
  const double got = std::strtod(actual.c_str(), &end);
  if (*end != '\0' || actual.empty()) return false;
  if (expected.back() == 'd') return got == want;
  std::string digits;  // significant ones: at most 9 in a single-precision real
  for (char c : actual.substr(0, actual.find_first_of("eE"))) {
    if (std::isdigit(static_cast<unsigned char>(c))) digits += c;
  }
  digits.erase(0, digits.find_first_not_of('0'));
  return std::strtof(actual.c_str(), nullptr) == static_cast<float>(want) && digits.size() <= 9;
}

bool SameLine(const std::string& actual, const Line& expected) {
  if (expected.fixed) return actual == expected.text;
  const std::vector<std::string> a = Items(actual), e = Items(expected.text);
  return actual.starts_with(' ') && a.size() == e.size() &&
         std::equal(a.begin(), a.end(), e.begin(), SameItem);
}

}  // namespace

void ExpectFemapFileOf(const MadeModel& model, const std::string& written) {
  File expected;
  AddModel(expected, model);
  for (size_t s = 0; s < model.steps.size(); ++s)
    AddSet(expected, model, model.steps[s], Str(s + 1));
  const std::vector<std::string> lines = SplitLines(written);
  EXPECT_TRUE(written.ends_with('\n'));
  EXPECT_EQ(lines.size(), expected.size());
  int wrong = 0;
  for (size_t i = 0; i < std::min(lines.size(), expected.size()); ++i) {
    if (SameLine(lines[i], expected[i]) || ++wrong > 5) continue;
    ADD_FAILURE() << "line " << i + 1 << ": [" << lines[i] << "] not [" << expected[i].text << "]";
  }
  EXPECT_EQ(wrong, 0);
}
