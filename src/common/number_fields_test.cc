#include "common/number_fields.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cfloat>
#include <cmath>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "common/eighteen_digits.h"
#include "reference.h"

namespace {

// Calls `write` on a buffer with guard bytes on both sides and checks that it
// wrote exactly `width` bytes and returned the end of them.
template <typename Write>
std::string Field(int width, Write write) {
  constexpr int kGuard = 16;
  std::string buffer(width + 2 * kGuard, '#');
  char* start = buffer.data() + kGuard;
  EXPECT_EQ(write(start), start + width) << "wrong end pointer for width " << width;
  EXPECT_EQ(buffer.substr(0, kGuard) + buffer.substr(kGuard + width), std::string(2 * kGuard, '#'))
      << "wrote outside the field";
  return buffer.substr(kGuard, width);
}
std::string Integer(int64_t value, int width) {
  return Field(width, [&](char* out) { return WriteIntegerField(out, value, width); });
}
std::string Real(double value, int width, int digits, bool fraction = false) {
  return Field(width, [&](char* out) {
    return fraction ? WriteFractionRealField(out, value, width, digits)
                    : WriteScaledRealField(out, value, width, digits);
  });
}

TEST(NumberFields, IntegersFitOrTurnToAsterisks) {
  EXPECT_EQ(Integer(12, 5), "   12");
  EXPECT_EQ(Integer(-1, 8), "      -1");
  EXPECT_EQ(Integer(0, 1), "0");
  EXPECT_EQ(Integer(5, 0), "");
  EXPECT_EQ(Integer(INT64_MIN, 21), " -9223372036854775808");
  // Every width 1..18: the largest and most negative values that fit, and
  // the first ones beyond.
  for (int width = 1; width <= 18; ++width) {
    const int64_t largest = std::stoll(std::string(width, '9'));
    const int64_t most_negative = width == 1 ? 0 : -std::stoll(std::string(width - 1, '9'));
    EXPECT_EQ(Integer(largest, width), std::string(width, '9'));
    EXPECT_EQ(Integer(largest + 1, width), std::string(width, '*'));
    EXPECT_EQ(Integer(most_negative, width), RefInt(most_negative, width));
    EXPECT_EQ(Integer(most_negative - 1, width), std::string(width, '*'));
  }
}

// The documented examples.
TEST(NumberFields, RealExamples) {
  EXPECT_EQ(Real(1234.5, 15, 7), "  1.2345000E+03");
  EXPECT_EQ(Real(-0.3, 15, 7), " -3.0000000E-01");
  EXPECT_EQ(Real(9.99999999, 15, 7), "  1.0000000E+01");
  EXPECT_EQ(Real(0.0, 15, 7), "  0.0000000E+00");
  EXPECT_EQ(Real(1.0E-120, 12, 4), "  1.0000-120");
  EXPECT_EQ(Real(99.999999, 12, 4), "  1.0000E+02");
  EXPECT_EQ(Real(10.0, 25, 17), "  1.00000000000000000E+01");
  EXPECT_EQ(Real(12.5, 15, 7, true), "  0.1250000E+02");
  EXPECT_EQ(Real(-0.3, 15, 7, true), " -0.3000000E+00");
  EXPECT_EQ(Real(0.0, 15, 7, true), "  0.0000000E+00");
}

// The proof against printf: every field kind the program uses, by the
// general entry and by the entry of its constant shape, over random bit
// patterns, engineering values, exact ties and their neighbours, decimal
// texts halfway between fields, rounding carries, powers of ten, the extremes
// and the special values.
struct RealKind {
  int width, digits;
  bool fraction;
  char* (*write_of)(char*, double);  // the entry of the constant shape
  int values;                        // how many random values of each family
  int Significant() const { return fraction ? digits : digits + 1; }
};

// Names the kind in test names: "scaled 25 17".
void PrintTo(const RealKind& kind, std::ostream* out) {
  *out << (kind.fraction ? "fraction " : "scaled ") << kind.width << " " << kind.digits;
}

class RealFieldsMatchPrintf : public ::testing::TestWithParam<RealKind> {};

INSTANTIATE_TEST_SUITE_P(
    ProgramFields, RealFieldsMatchPrintf,
    ::testing::Values(RealKind{12, 4, false, WriteScaledRealFieldOf<12, 4>, 250000},
                      RealKind{12, 5, false, WriteScaledRealFieldOf<12, 5>, 250000},
                      RealKind{13, 6, false, WriteScaledRealFieldOf<13, 6>, 250000},
                      RealKind{15, 7, false, WriteScaledRealFieldOf<15, 7>, 250000},
                      RealKind{25, 17, false, WriteScaledRealFieldOf<25, 17>, 250000},
                      RealKind{15, 7, true, WriteFractionRealFieldOf<15, 7>, 250000}));

__extension__ using Uint128 = unsigned __int128;

Uint128 PowerOf(uint64_t base, int exponent) {
  Uint128 power = 1;
  while (exponent-- > 0) power *= base;
  return power;
}

// Adds `value`, its negation, and their neighbours up to `steps` ulps away.
void AddWithNeighbours(std::vector<double>& values, double value, int steps) {
  for (double v : {value, -value}) {
    double up = v, down = v;
    values.push_back(v);
    for (int i = 0; i < steps; ++i) {
      values.push_back(up = std::nextafter(up, INFINITY));
      values.push_back(down = std::nextafter(down, -INFINITY));
    }
  }
}

// Adds `value`, its negation, and the values 2^j ulps away from them on both
// sides, j = 0..max_j.
void AddPowerOfTwoUlpsAway(std::vector<double>& values, double value, int max_j) {
  if (!std::isfinite(value)) return;
  for (double v : {value, -value}) {
    values.push_back(v);
    const double ulp = std::nextafter(v, INFINITY) - v;
    for (int j = 0; j <= max_j; ++j) {
      values.push_back(v + std::ldexp(ulp, j));
      values.push_back(v - std::ldexp(ulp, j));
    }
  }
}

// Doubles exactly halfway between two `n`-digit decimals: M / 10^k with M of
// n+1 digits ending in 5, i.e. m / 2^k with m = M / 5^k (k >= 1); and
// (2N+1) * 5^s * 2^(s-1) with N of n digits (s >= 1).
std::vector<double> ExactTies(int n, int count, std::mt19937_64& random) {
  constexpr uint64_t kMaxMantissa = (uint64_t{1} << 53) - 1;
  std::vector<double> ties;
  auto pick = [&](Uint128 low, Uint128 high) { return low + random() % (high - low + 1); };
  for (int k = 1; PowerOf(5, k) < PowerOf(10, n + 1); ++k) {
    const Uint128 five = PowerOf(5, k);
    const Uint128 low = (PowerOf(10, n) + five - 1) / five;
    const Uint128 high = std::min<Uint128>((PowerOf(10, n + 1) - 1) / five, kMaxMantissa);
    for (int i = 0; i < count && low + 1 < high; ++i) {
      ties.push_back(std::ldexp(static_cast<double>(pick(low, high - 1) | 1), -k));
    }
  }
  for (int s = 1; (2 * PowerOf(10, n - 1) + 1) * PowerOf(5, s) <= kMaxMantissa; ++s) {
    const Uint128 high =
        std::min<Uint128>(PowerOf(10, n) - 1, (kMaxMantissa / PowerOf(5, s) - 1) / 2);
    for (int i = 0; i < count; ++i) {
      ties.push_back(std::ldexp(
          static_cast<double>((2 * pick(PowerOf(10, n - 1), high) + 1) * PowerOf(5, s)), s - 1));
    }
  }
  return ties;
}

// The families of values for `n` significant digits.
std::vector<double> ValuesFor(int n, int count) {
  std::mt19937_64 random(n * 1000 + count);
  std::vector<double> values;
  for (int i = 0; i < count; ++i) {
    values.push_back(std::bit_cast<double>(random()));
    values.push_back((random() & 1 ? -1 : 1) *
                     std::pow(10.0, -6.0 + 12.0 * (random() >> 11) * 0x1p-53));
  }
  for (double tie : ExactTies(n, 100, random)) AddWithNeighbours(values, tie, 1);
  for (int i = 0; i < count / 50; ++i) {  // not ties in binary: 1.2345 is 1.23449999...
    std::string text = std::to_string(1 + random() % 9);
    for (int digit = 1; digit < n; ++digit) text += static_cast<char>('0' + random() % 10);
    values.push_back(std::strtod(
        (text + "5e" + std::to_string(static_cast<int>(random() % 600) - 300)).c_str(), nullptr));
  }
  // In every decade, values next to a rounding boundary (halfway between two
  // n-digit decimals) and next to the boundary where rounding carries into
  // the next decade, 2^j ulps away for j = 0..15: from both sides across the
  // margins that the fast routes keep around one half, for every digit count.
  for (int e = -330; e <= 310; ++e) {
    AddWithNeighbours(values, std::strtod(("1e" + std::to_string(e)).c_str(), nullptr), 3);
    std::string digits = std::to_string(1 + random() % 9);
    for (int digit = 1; digit < n; ++digit) digits += static_cast<char>('0' + random() % 10);
    for (const std::string& boundary : {std::string(n, '9'), digits}) {
      AddPowerOfTwoUlpsAway(
          values, std::strtod((boundary + "5e" + std::to_string(e - n)).c_str(), nullptr), 15);
    }
  }
  for (double special : {DBL_MAX, DBL_MIN, DBL_TRUE_MIN, 0.0, 1.0})
    AddWithNeighbours(values, special, 2);
  values.insert(values.end(), {INFINITY, -INFINITY, NAN, -NAN});
  return values;
}

// An exact tie shows in printf's exact expansion as a 5 after `n` digits and
// nothing but zeros after it.
bool IsExactTie(double magnitude, int n) {
  const std::string digits = RefSignificand(magnitude, 760).digits;
  return digits[n] == '5' && digits.find_first_not_of('0', n + 1) == std::string::npos;
}

// Besides, the fast route must decide every value but the exact ties (else
// the fields are slow) and leave those to printf; where it decides, the field
// shows its digits. The 18-digit field's own route must decide the exact ties
// too, and leave few values (those within its margin of a boundary) to the
// exact routes.
TEST_P(RealFieldsMatchPrintf, OverEveryFamilyOfValues) {
  const RealKind kind = GetParam();
  const int n = kind.Significant();
  int faults = 0, ties = 0, close = 0, count = 0;
  for (double value : ValuesFor(n, kind.values)) {
    const std::string expected = RefReal(value, kind.width, kind.digits, kind.fraction);
    const std::string actual = Real(value, kind.width, kind.digits, kind.fraction);
    const std::string actual_of =
        Field(kind.width, [&](char* out) { return kind.write_of(out, value); });
    const double magnitude = std::fabs(value);
    DecimalSignificand fast;
    const bool refused = n <= 18 && std::isfinite(magnitude) && magnitude != 0 &&
                         !RoundSignificandFast(magnitude, n, &fast);
    const bool tie = refused && IsExactTie(magnitude, n);
    char text[32];
    const bool left = n == 18 && std::isfinite(magnitude) && magnitude >= DBL_MIN &&
                      !eighteen_digits::Write(text, std::bit_cast<uint64_t>(magnitude), true);
    ties += tie;
    close += left;
    ++count;
    if ((actual != expected || actual_of != expected || refused != tie || (left && tie)) &&
        ++faults <= 5) {
      ADD_FAILURE() << std::hexfloat << value << ": got [" << actual << "] and [" << actual_of
                    << "] expected [" << expected << "]"
                    << (refused != tie ? ", refused by the fast route" : "")
                    << (left && tie ? ", an exact half left by the 18-digit route" : "");
    }
  }
  EXPECT_EQ(faults, 0);
  EXPECT_TRUE(n > 18 || ties >= 100) << ties << " exact ties";
  EXPECT_LE(close, count / 100) << close << " of " << count << " left by the 18-digit route";
}

}  // namespace
