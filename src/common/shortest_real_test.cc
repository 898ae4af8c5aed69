#include "common/shortest_real.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <random>
#include <string>

namespace {

// The plain text, and the text made to look like a real: ".0" after a text
// without a point or an exponent, "0.0" for either zero.
template <typename Real>
void ExpectLikeStandard(Real value) {
  char ours[40], standard[40];
  const std::string expected(standard, std::to_chars(standard, standard + 40, value).ptr);
  EXPECT_EQ(std::string(ours, WriteShortestText(ours, value)), expected);
  const bool looks_real = expected.find_first_of(".e") != std::string::npos;
  EXPECT_EQ(std::string(ours, WriteShortestRealText(ours, value)), value == 0   ? "0.0"
                                                                   : looks_real ? expected
                                                                                : expected + ".0");
}

// Random bit patterns, values near the point (where fixed and scientific
// notation compete, and integers written whole), every power of two.
TEST(ShortestReal, WritesWhatTheStandardLibraryWrites) {
  std::mt19937_64 random(3);
  for (int i = 0; i < 100000; ++i) {
    const uint64_t bits = random() & ~(uint64_t{0x7ff} << 52);
    ExpectLikeStandard(std::bit_cast<double>(bits | (random() % 2047) << 52));
    ExpectLikeStandard(std::bit_cast<float>(static_cast<uint32_t>(random() % 0x7f800000u)));
    ExpectLikeStandard(std::ldexp(static_cast<double>(random() >> 11), -70 + i % 140));
    ExpectLikeStandard(std::round(std::ldexp(1.0 + (random() >> 11) * 0x1p-53, i % 40)) / 1000);
  }
  for (int e = -1074; e <= 1023; ++e) ExpectLikeStandard(std::ldexp(1.0, e));
  for (int e = -149; e <= 127; ++e) ExpectLikeStandard(std::ldexp(1.0f, e));
  for (double v : {0.0, -0.0, 1e21, 1e22, 1e23, 9007199254740993.0, 1.7976931348623157e308, 86400.0,
                   123456789012345678.0}) {
    ExpectLikeStandard(v);
  }
}

// Short decimals m * 10^j (exact as 128-bit integers) and the floats and
// doubles next to them on either side: many such decimals lie half way
// between two values, on an end of a rounding interval, which an even value
// keeps and an odd one loses (1.077e+09, not 1076999936).
TEST(ShortestReal, WritesValuesNextToShortDecimals) {
  __extension__ using Uint128 = unsigned __int128;
  for (Uint128 m = 1; m < 2000; ++m) {
    for (Uint128 decimal = m; decimal <= ~Uint128{0} / 10; decimal *= 10) {
      const float f = static_cast<float>(decimal);
      for (float value : {std::nextafter(f, 0.0f), f, std::nextafter(f, INFINITY)}) {
        ExpectLikeStandard(value);
      }
      const double d = static_cast<double>(decimal);
      for (double value : {std::nextafter(d, 0.0), d, std::nextafter(d, INFINITY)}) {
        ExpectLikeStandard(value);
      }
    }
  }
}

}  // namespace
