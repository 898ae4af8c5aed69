#include "microavs_reference.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "reference_text.h"

namespace {

// A line of a step block and the width of its copy in the assembled file.
struct BlockLine {
  std::string text;
  int width;
};

const std::vector<BlockLine> kKorinNodeHead = {
    {"5   3", 5},        {"5   1   1   1   1   1", 25}, {"Pressure,", 9}, {"Total Head,", 11},
    {"Velocity X,", 13}, {"Velocity Y,", 13},           {"Velocity,", 13}};
const std::vector<BlockLine> kKorinCellHead = {
    {"3   1   1   1", 13}, {"Velocity X,", 13}, {"Velocity Y,", 13}, {"Velocity,", 13}};
const std::vector<BlockLine> kDelmNodeHead = {
    {"7   6", 5},          {"7   1   1   1   1   1   1   1", 29},
    {"Total Head,", 11},   {"D*Velocity X,", 13},
    {"D*Velocity Y,", 13}, {"D*Velocity,", 13},
    {"Velocity X,", 13},   {"Velocity Y,", 13},
    {"Velocity,", 13}};
const std::vector<BlockLine> kDelmCellHead = {{"6   1   1   1   1   1   1", 25},
                                              {"D*Velocity X,", 13},
                                              {"D*Velocity Y,", 13},
                                              {"D*Velocity,", 13},
                                              {"Velocity X,", 13},
                                              {"Velocity Y,", 13},
                                              {"Velocity,", 13}};

std::string RightAligned(const std::string& text, int width) {
  return std::string(width - text.size(), ' ') + text;
}

// 0.ddddddd times a power of ten, from printf's d.dddddd, in 15 columns.
std::string RefFraction15(double value) {
  if (value == 0) return RightAligned("0.0000000E+00", 15);
  char scaled[32], exponent[8];
  std::snprintf(scaled, sizeof scaled, "%+.6E", value);
  int power = std::atoi(scaled + 10) + 1;
  std::snprintf(exponent, sizeof exponent, std::abs(power) > 99 ? "%+04d" : "E%+03d", power);
  std::string sign = value < 0 ? "-" : "";
  return RightAligned(sign + "0." + scaled[1] + std::string(scaled + 3, 6) + exponent, 15);
}

double Speed(double x, double y) { return std::sqrt(x * x + y * y); }

// The number in 8 columns, a blank, then each value rounded to a 4-byte real
// in 12 columns and a blank.
BlockLine ValueLine(size_t number, std::vector<double> values, int width) {
  std::string text = RefInt(static_cast<long long>(number), 8) + " ";
  for (double value : values) {
    float single = static_cast<float>(value);
    std::string field = std::isnan(single) ? RightAligned("NaN", 12)
                        : std::isinf(single)
                            ? RightAligned(single > 0 ? "Infinity" : "-Infinity", 12)
                            : RefReal(single, 12, 5);
    text += field + " ";
  }
  return {text, width};
}

std::vector<BlockLine> Block(const MadeModel& model, const MadeStep& step, size_t number) {
  const bool delm = model.program_flag == 1;
  std::vector<BlockLine> block = {
      {"step" + RefInt(static_cast<long long>(number), 5) + RefFraction15(step.time), 26}};
  for (const BlockLine& line : delm ? kDelmNodeHead : kKorinNodeHead) block.push_back(line);
  for (size_t i = 0; i < model.nodes.size(); ++i) {
    RefNodeAverage a = RefAverageAt(model, step, static_cast<int>(i + 1));
    double h = step.nodes[i].head, v = Speed(a.vx, a.vy);
    block.push_back(
        delm ? ValueLine(i + 1,
                         {h, a.vx, a.vy, v, a.vx_by_d, a.vy_by_d, Speed(a.vx_by_d, a.vy_by_d)}, 100)
             : ValueLine(i + 1, {h, h + model.nodes[i].y, a.vx, a.vy, v}, 85));
  }
  for (const BlockLine& line : delm ? kDelmCellHead : kKorinCellHead) block.push_back(line);
  for (size_t e = 0; e < model.elements.size(); ++e) {
    const MadeElementValues& u = step.elements[e];
    double v = Speed(u.vx, u.vy), r = 1.0 / u.d;
    block.push_back(delm ? ValueLine(e + 1, {u.vx, u.vy, v, u.vx * r, u.vy * r, v * r}, 87)
                         : ValueLine(e + 1, {u.vx, u.vy, v}, 48));
  }
  return block;
}

std::string Mesh(const MadeModel& model) {
  std::string mesh = RefInt(static_cast<long long>(model.nodes.size()), 10) + " " +
                     RefInt(static_cast<long long>(model.elements.size()), 10) + "\n";
  for (size_t i = 0; i < model.nodes.size(); ++i) {
    mesh += RefInt(static_cast<long long>(i + 1), 8) + " " + RefReal(model.nodes[i].x, 12, 5) +
            " " + RefReal(model.nodes[i].y, 12, 5) + " " + RefReal(0, 12, 5) + "\n";
  }
  for (size_t e = 0; e < model.elements.size(); ++e) {
    const MadeElement& elem = model.elements[e];
    bool triangle = RefIsTriangle(elem);
    mesh += RefInt(static_cast<long long>(e + 1), 8) + " " + RefInt(elem.attribute, 8) +
            (triangle ? " tri " : " quad ");
    for (int c = 0; c < (triangle ? 3 : 4); ++c)
      mesh.append(" ").append(RefInt(elem.corners[c], 8));
    mesh += "\n";
  }
  return mesh;
}

}  // namespace

RefMicroAvsFiles RefMicroAvs(const MadeModel& model) {
  RefMicroAvsFiles files;
  files.main = model.program_flag == 1 ? "# RX-DELM \n" : "# RX-KORIN \n";
  files.main += RefInt(static_cast<long long>(model.steps.size()), 5) + "\ndata\n";
  for (size_t k = 0; k < model.steps.size(); ++k) {
    std::vector<BlockLine> block = Block(model, model.steps[k], k + 1);
    for (size_t i = 0; i < block.size(); ++i) {
      files.temp += block[i].text + "\n";
      files.main += block[i].text + std::string(block[i].width - block[i].text.size(), ' ') + "\n";
      if (k == 0 && i == 0) files.main += Mesh(model);
    }
  }
  return files;
}
