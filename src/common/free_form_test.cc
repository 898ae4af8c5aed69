#include "common/free_form.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "text_capture.h"

namespace {

std::string Shortest(double value) {
  char text[40];
  return std::string(text, WriteShortestReal(text, value));
}

std::string ShortestSingle(float value) {
  char text[40];
  return std::string(text, WriteShortestSingleReal(text, value));
}

TEST(FreeForm, LineStartsWithOneBlankAndNumbersArePrecededByOne) {
  std::string line = CaptureText(
      [](TextOutput& out) { FreeFormLine(out).Text(" LA,TIME ").Integer(3).Real(0.5).End(); });
  EXPECT_EQ(line, "  LA,TIME  3 0.5\n");
  std::string counts = CaptureText(
      [](TextOutput& out) { FreeFormLine(out).Text("N=").Integer(-12).Text("E=").Integer(0).End(); });
  EXPECT_EQ(counts, " N= -12E= 0\n");
}

TEST(FreeForm, RealsAlwaysLookLikeReals) {
  EXPECT_EQ(Shortest(86400), "86400.0");
  EXPECT_EQ(Shortest(0), "0.0");
  EXPECT_EQ(Shortest(-0.0), "0.0");
  EXPECT_EQ(Shortest(-2.5), "-2.5");
  EXPECT_EQ(Shortest(0.1), "0.1");
  EXPECT_EQ(Shortest(1e22), "1e+22");
  EXPECT_EQ(Shortest(std::numeric_limits<double>::infinity()), "Infinity");
  EXPECT_EQ(Shortest(-std::numeric_limits<double>::infinity()), "-Infinity");
  EXPECT_EQ(Shortest(std::nan("")), "NaN");
  EXPECT_EQ(ShortestSingle(0.1f), "0.1");
  EXPECT_EQ(ShortestSingle(3.0f), "3.0");
}

TEST(FreeForm, RealsReadBackToTheSameValueInTheirPrecision) {
  std::mt19937_64 random(7);
  for (int i = 0; i < 20000; ++i) {
    uint64_t bits = random();
    double value;
    std::memcpy(&value, &bits, sizeof value);
    if (!std::isfinite(value)) continue;
    std::string text = Shortest(value);
    EXPECT_EQ(std::strtod(text.c_str(), nullptr), value == 0 ? 0.0 : value) << text;
    float single = static_cast<float>(value);
    if (!std::isfinite(single)) continue;
    std::string single_text = ShortestSingle(single);
    EXPECT_EQ(std::strtof(single_text.c_str(), nullptr), single) << single_text;
  }
  // A single-precision item shows the 4-byte value, not the 8-byte one.
  std::string line = CaptureText([](TextOutput& out) { FreeFormLine(out).SingleReal(0.1).End(); });
  EXPECT_EQ(line, "  0.1\n");
}

}  // namespace
