#include "common/number_fields.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr char kCanary = '#';
constexpr int kGuard = 16;

// Calls `write` on a buffer with guard bytes on both sides and checks that it
// wrote exactly `width` bytes and returned the end of them.
template <typename Write>
std::string Field(int width, Write write) {
  std::string buffer(width + 2 * kGuard, kCanary);
  char* start = buffer.data() + kGuard;
  char* end = write(start);
  EXPECT_EQ(end, start + width) << "wrong end pointer for width " << width;
  for (int i = 0; i < kGuard; ++i) {
    EXPECT_EQ(buffer[i], kCanary) << "wrote before the field";
    EXPECT_EQ(buffer[kGuard + width + i], kCanary) << "wrote past the field";
  }
  return buffer.substr(kGuard, width);
}

std::string Integer(int64_t value, int width) {
  return Field(width, [&](char* out) { return WriteIntegerField(out, value, width); });
}
std::string Scaled(double value, int width, int digits) {
  return Field(width, [&](char* out) { return WriteScaledRealField(out, value, width, digits); });
}
std::string Fraction(double value, int width, int digits) {
  return Field(width, [&](char* out) { return WriteFractionRealField(out, value, width, digits); });
}
std::string Text(std::string_view text, int width) {
  return Field(width, [&](char* out) { return WriteTextField(out, text, width); });
}

std::string RightAligned(const std::string& text, int width) {
  if (static_cast<int>(text.size()) > width) return std::string(width, '*');
  return std::string(width - text.size(), ' ') + text;
}

// The expected real field, put together from glibc's correctly rounded
// "%.*E" text (sign, mantissa digits, exponent) independently of the code
// under test.
std::string ReferenceRealField(double value, int width, int digits, bool fraction) {
  if (std::isnan(value)) return RightAligned("NaN", width);
  if (std::isinf(value)) return RightAligned(value > 0 ? "Infinity" : "-Infinity", width);
  const int significant = fraction ? digits : digits + 1;
  char printed[128];
  std::snprintf(printed, sizeof printed, "%.*E", significant - 1, value);
  std::string text = printed;
  bool negative = text[0] == '-';
  if (negative) text.erase(0, 1);
  const size_t e = text.find('E');
  int exponent = std::atoi(text.c_str() + e + 1);
  std::string mantissa_digits;
  for (size_t i = 0; i < e; ++i) {
    if (text[i] != '.') mantissa_digits += text[i];
  }
  if (value == 0) {
    negative = false;
    exponent = 0;
  } else if (fraction) {
    exponent += 1;
  }
  std::string field = negative ? "-" : "";
  if (fraction) {
    field += "0." + mantissa_digits;
  } else {
    field += mantissa_digits.substr(0, 1) + "." + mantissa_digits.substr(1);
  }
  char exponent_text[16];
  const char sign = exponent < 0 ? '-' : '+';
  if (std::abs(exponent) <= 99) {
    std::snprintf(exponent_text, sizeof exponent_text, "E%c%02d", sign, std::abs(exponent));
  } else {
    std::snprintf(exponent_text, sizeof exponent_text, "%c%03d", sign, std::abs(exponent));
  }
  return RightAligned(field + exponent_text, width);
}

struct RealFieldKind {
  int width;
  int digits;
  bool fraction;
  int Significant() const { return fraction ? digits : digits + 1; }
};

// The real fields the program writes.
const std::vector<RealFieldKind> kProgramFields = {
    {12, 4, false}, {12, 5, false}, {13, 6, false}, {15, 7, false}, {25, 17, false}, {15, 7, true},
};
// Others the functions accept: few digits, more than the fast route takes,
// fields too narrow for negative values.
const std::vector<RealFieldKind> kOtherFields = {
    {10, 1, false}, {10, 2, false}, {11, 3, false}, {27, 18, false}, {30, 22, false},
    {8, 1, true},   {12, 4, true},  {25, 17, true}, {26, 18, true},  {11, 4, false},
};

std::string Describe(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%a (%.17g)", value, value);
  return text;
}

// Compares every field with the printf reference; reports the first few
// mismatches and returns how many there were.
int CountMismatches(const std::vector<double>& values, const RealFieldKind& kind) {
  int mismatches = 0;
  for (double value : values) {
    const std::string expected = ReferenceRealField(value, kind.width, kind.digits, kind.fraction);
    const std::string actual = kind.fraction ? Fraction(value, kind.width, kind.digits)
                                             : Scaled(value, kind.width, kind.digits);
    if (actual != expected && ++mismatches <= 5) {
      ADD_FAILURE() << (kind.fraction ? "fraction" : "scaled") << " (" << kind.width << ","
                    << kind.digits << ") of " << Describe(value) << ": got [" << actual
                    << "] expected [" << expected << "]";
    }
  }
  return mismatches;
}

void ExpectAllMatch(const std::vector<double>& values, const std::vector<RealFieldKind>& kinds) {
  for (const RealFieldKind& kind : kinds) {
    EXPECT_EQ(CountMismatches(values, kind), 0)
        << "field (" << kind.width << "," << kind.digits << ")";
  }
}

std::vector<double> RandomBitPatterns(int count, uint64_t seed) {
  std::mt19937_64 random(seed);
  std::vector<double> values(count);
  for (double& value : values) value = std::bit_cast<double>(random());
  return values;
}

std::vector<double> EngineeringValues(int count, uint64_t seed) {
  std::mt19937_64 random(seed);
  std::uniform_real_distribution<double> decades(-6.0, 6.0);
  std::vector<double> values(count);
  for (double& value : values) {
    value = std::pow(10.0, decades(random));
    if (random() & 1) value = -value;
  }
  return values;
}

// Adds value and its neighbours up to `steps` ulps away on both sides.
void AddWithNeighbours(std::vector<double>& values, double value, int steps) {
  values.push_back(value);
  double up = value, down = value;
  for (int i = 0; i < steps; ++i) {
    up = std::nextafter(up, INFINITY);
    down = std::nextafter(down, -INFINITY);
    values.push_back(up);
    values.push_back(down);
  }
}

__extension__ using Uint128 = unsigned __int128;

Uint128 PowerOf(uint64_t base, int exponent) {
  Uint128 power = 1;
  while (exponent-- > 0) power *= base;
  return power;
}

// Doubles that lie exactly halfway between two `significant`-digit decimals,
// i.e. (2N+1)/2 * 10^s with N of `significant` digits. For s >= 1 the value is
// the integer (2N+1) * 5^s * 2^(s-1); for s <= 0 it is m / 2^k with k = 1 - s
// and m * 5^k = 2N+1, so m * 5^k has significant+1 digits (the last a 5).
std::vector<double> ExactTies(int significant, int count, uint64_t seed) {
  std::mt19937_64 random(seed);
  const Uint128 low = PowerOf(10, significant), high = PowerOf(10, significant + 1) - 1;
  constexpr uint64_t kMaxMantissa = (uint64_t{1} << 53) - 1;
  std::vector<double> ties;
  for (int k = 1; PowerOf(5, k) <= high; ++k) {  // m / 2^k
    const Uint128 five = PowerOf(5, k);
    const Uint128 m_low = (low + five - 1) / five;
    const Uint128 m_high = std::min<Uint128>(high / five, kMaxMantissa);
    for (int i = 0; i < count && m_low <= m_high; ++i) {
      Uint128 m = m_low + random() % (m_high - m_low + 1);
      if (m % 2 == 0) m = m + 1 <= m_high ? m + 1 : m - 1;
      if (m < m_low) continue;
      ties.push_back(std::ldexp(static_cast<double>(m), -k));
    }
  }
  for (int s = 1; PowerOf(5, s) < kMaxMantissa; ++s) {  // (2N+1) * 5^s * 2^(s-1)
    const Uint128 five = PowerOf(5, s);
    const Uint128 n_low = PowerOf(10, significant - 1), n_high = PowerOf(10, significant) - 1;
    if (2 * n_low + 1 > kMaxMantissa / five) break;
    const Uint128 n_top = std::min<Uint128>(n_high, (kMaxMantissa / five - 1) / 2);
    for (int i = 0; i < count; ++i) {
      const Uint128 n = n_low + random() % (n_top - n_low + 1);
      ties.push_back(std::ldexp(static_cast<double>((2 * n + 1) * five), s - 1));
    }
  }
  return ties;
}

// The doubles nearest to decimal texts that lie halfway at `significant`
// digits, like 1.2345 at 4: not exact ties, so they round by their binary
// value (1.2345 is stored as 1.23449999..., which rounds down).
std::vector<double> DecimalHalfwayTexts(int significant, int count, uint64_t seed) {
  std::mt19937_64 random(seed);
  std::vector<double> values;
  for (int i = 0; i < count; ++i) {
    std::string text = std::to_string(1 + random() % 9);
    for (int digit = 1; digit < significant; ++digit)
      text += static_cast<char>('0' + random() % 10);
    const int exponent = static_cast<int>(random() % 600) - 300;
    text += "5e" + std::to_string(exponent);
    values.push_back(std::strtod(text.c_str(), nullptr));
  }
  return values;
}

// The doubles nearest to 99...9.5 * 10^j (`significant` nines): rounding to
// `significant` digits carries into the next power of ten just above them.
std::vector<double> CarryBoundaries(int significant) {
  std::vector<double> values;
  const std::string nines(significant, '9');
  for (int exponent = -330; exponent <= 310; ++exponent) {
    const std::string text = nines + "5e" + std::to_string(exponent - significant);
    AddWithNeighbours(values, std::strtod(text.c_str(), nullptr), 2);
  }
  return values;
}

// The doubles nearest to 10^n for every n a double reaches, with neighbours.
std::vector<double> PowerOfTenBoundaries() {
  std::vector<double> values;
  for (int n = -324; n <= 308; ++n) {
    const std::string text = "1e" + std::to_string(n);
    const double power = std::strtod(text.c_str(), nullptr);
    AddWithNeighbours(values, power, 3);
    AddWithNeighbours(values, -power, 1);
  }
  return values;
}

std::vector<double> Negated(std::vector<double> values) {
  for (double& value : values) value = -value;
  return values;
}

bool IsExactTie(double magnitude, int significant) {
  // printf with many more digits shows the exact value; a tie ends in a 5 at
  // position significant + 1 with nothing after it.
  char printed[800];
  std::snprintf(printed, sizeof printed, "%.760e", magnitude);
  std::string digits;
  for (const char* p = printed; *p != 'e'; ++p) {
    if (*p != '.') digits += *p;
  }
  if (digits[significant] != '5') return false;
  return digits.find_first_not_of('0', significant + 1) == std::string::npos;
}

TEST(IntegerFieldTest, WritesDigitsRightAligned) {
  EXPECT_EQ(Integer(12, 5), "   12");
  EXPECT_EQ(Integer(0, 5), "    0");
  EXPECT_EQ(Integer(-1, 8), "      -1");
  EXPECT_EQ(Integer(-4096, 6), " -4096");
  EXPECT_EQ(Integer(1234567890, 10), "1234567890");
  EXPECT_EQ(Integer(99, 2), "99");
  EXPECT_EQ(Integer(-9, 2), "-9");
  EXPECT_EQ(Integer(7, 2), " 7");
}

TEST(IntegerFieldTest, FillsAsterisksWhenTooLong) {
  EXPECT_EQ(Integer(123456, 5), "*****");
  EXPECT_EQ(Integer(123456789, 8), "********");
  EXPECT_EQ(Integer(100, 2), "**");
  EXPECT_EQ(Integer(-10, 2), "**");
  EXPECT_EQ(Integer(-99999, 5), "*****");
  EXPECT_EQ(Integer(-9999, 5), "-9999");
  EXPECT_EQ(Integer(99999, 5), "99999");
  // Every width 2..10: the largest value and most negative one that fit, and
  // the first ones beyond.
  for (int width = 2; width <= 10; ++width) {
    const int64_t largest = static_cast<int64_t>(PowerOf(10, width)) - 1;
    const int64_t most_negative = 1 - static_cast<int64_t>(PowerOf(10, width - 1));
    EXPECT_EQ(Integer(largest, width), std::string(width, '9'));
    EXPECT_EQ(Integer(largest + 1, width), std::string(width, '*'));
    EXPECT_EQ(Integer(most_negative, width), std::string("-").append(width - 1, '9'));
    EXPECT_EQ(Integer(most_negative - 1, width), std::string(width, '*'));
  }
}

TEST(IntegerFieldTest, HandlesExtremes) {
  EXPECT_EQ(Integer(INT64_MIN, 20), "-9223372036854775808");
  EXPECT_EQ(Integer(INT64_MIN, 22), "  -9223372036854775808");
  EXPECT_EQ(Integer(INT64_MIN, 19), std::string(19, '*'));
  EXPECT_EQ(Integer(INT64_MAX, 19), "9223372036854775807");
  EXPECT_EQ(Integer(INT64_MAX, 18), std::string(18, '*'));
  EXPECT_EQ(Integer(5, 1), "5");
  EXPECT_EQ(Integer(-5, 1), "*");
  EXPECT_EQ(Integer(5, 0), "");
}

TEST(ScaledRealFieldTest, WritesTheDocumentedExamples) {
  EXPECT_EQ(Scaled(1234.5, 15, 7), "  1.2345000E+03");
  EXPECT_EQ(Scaled(-0.3, 15, 7), " -3.0000000E-01");
  EXPECT_EQ(Scaled(9.99999999, 15, 7), "  1.0000000E+01");
  EXPECT_EQ(Scaled(0.0, 15, 7), "  0.0000000E+00");
  EXPECT_EQ(Scaled(-0.0, 15, 7), "  0.0000000E+00");
  EXPECT_EQ(Scaled(1.0E-120, 12, 4), "  1.0000-120");
  EXPECT_EQ(Scaled(99.999999, 12, 4), "  1.0000E+02");
  EXPECT_EQ(Scaled(10.0, 25, 17), "  1.00000000000000000E+01");
  EXPECT_EQ(Scaled(8.64e4, 12, 4), "  8.6400E+04");
  EXPECT_EQ(Scaled(-1.23456e5, 12, 5), "-1.23456E+05");
  EXPECT_EQ(Scaled(0.001, 13, 6), " 1.000000E-03");
}

TEST(ScaledRealFieldTest, RoundsExactTiesToEven) {
  EXPECT_EQ(Scaled(12344.5, 12, 4), "  1.2344E+04");
  EXPECT_EQ(Scaled(12345.5, 12, 4), "  1.2346E+04");
  EXPECT_EQ(Scaled(0.125, 10, 1), "   1.2E-01");
  EXPECT_EQ(Scaled(0.375, 10, 1), "   3.8E-01");
  EXPECT_EQ(Scaled(123456785.0, 15, 7), "  1.2345678E+08");
  EXPECT_EQ(Scaled(123456795.0, 15, 7), "  1.2345680E+08");
  EXPECT_EQ(Scaled(99999.5, 12, 4), "  1.0000E+05");
  EXPECT_EQ(Scaled(-99998.5, 12, 4), " -9.9998E+04");
  // 1 + 2^-18 = 1.000003814697265625 and 1 + 3 * 2^-18 = 1.000011444091796875:
  // 19 digits, so at 18 they are ties.
  EXPECT_EQ(Scaled(1.0 + std::ldexp(1.0, -18), 25, 17), "  1.00000381469726562E+00");
  EXPECT_EQ(Scaled(1.0 + std::ldexp(3.0, -18), 25, 17), "  1.00001144409179688E+00");
  // Decimal texts halfway between fields are not ties in binary: 2.675 is
  // stored as 2.67499999999999982236431605997495353221893310546875 and 1.2345
  // as 1.2344999999999999307220832633902318775653839111328125.
  EXPECT_EQ(Scaled(2.675, 10, 2), "  2.67E+00");
  EXPECT_EQ(Scaled(1.2345, 12, 3), "   1.234E+00");
  // One ulp off a tie decides it.
  EXPECT_EQ(Scaled(std::nextafter(12344.5, 1e9), 12, 4), "  1.2345E+04");
  EXPECT_EQ(Scaled(std::nextafter(12345.5, 0.0), 12, 4), "  1.2345E+04");
}

TEST(ScaledRealFieldTest, SwitchesToThreeDigitExponents) {
  EXPECT_EQ(Scaled(1e99, 12, 4), "  1.0000E+99");
  EXPECT_EQ(Scaled(9.99994e99, 12, 4), "  9.9999E+99");
  EXPECT_EQ(Scaled(9.99996e99, 12, 4), "  1.0000+100");
  EXPECT_EQ(Scaled(1e100, 12, 4), "  1.0000+100");
  EXPECT_EQ(Scaled(-1e100, 12, 4), " -1.0000+100");
  EXPECT_EQ(Scaled(1e-99, 12, 4), "  1.0000E-99");
  EXPECT_EQ(Scaled(9.99996e-100, 12, 4), "  1.0000E-99");
  EXPECT_EQ(Scaled(9.99994e-100, 12, 4), "  9.9999-100");
  EXPECT_EQ(Scaled(1e-100, 12, 4), "  1.0000-100");
  EXPECT_EQ(Scaled(DBL_MAX, 15, 7), "  1.7976931+308");
  EXPECT_EQ(Scaled(DBL_MAX, 25, 17), "  1.79769313486231571+308");
  EXPECT_EQ(Scaled(-DBL_MAX, 12, 4), " -1.7977+308");
  EXPECT_EQ(Scaled(DBL_TRUE_MIN, 12, 4), "  4.9407-324");
  EXPECT_EQ(Scaled(DBL_TRUE_MIN, 25, 17), "  4.94065645841246544-324");
  EXPECT_EQ(Scaled(DBL_MIN, 15, 7), "  2.2250739-308");
}

TEST(ScaledRealFieldTest, FillsAsterisksWhenTooLong) {
  EXPECT_EQ(Scaled(-1.0, 10, 4), "**********");
  EXPECT_EQ(Scaled(1.0, 10, 4), "1.0000E+00");
  EXPECT_EQ(Scaled(-1.0, 11, 4), "-1.0000E+00");
  EXPECT_EQ(Scaled(0.0, 9, 4), "*********");
  EXPECT_EQ(Scaled(-1e-300, 11, 4), "-1.0000-300");
  EXPECT_EQ(Scaled(2.5, 5, 17), "*****");
  EXPECT_EQ(Scaled(2.5, 12, 0), "      2.E+00");
  EXPECT_EQ(Scaled(2.5, 12, -1), "************");
}

TEST(FractionRealFieldTest, WritesLeadingZeroMantissa) {
  EXPECT_EQ(Fraction(12.5, 15, 7), "  0.1250000E+02");
  EXPECT_EQ(Fraction(-0.3, 15, 7), " -0.3000000E+00");
  EXPECT_EQ(Fraction(0.0, 15, 7), "  0.0000000E+00");
  EXPECT_EQ(Fraction(-0.0, 15, 7), "  0.0000000E+00");
  EXPECT_EQ(Fraction(0.999999996, 15, 7), "  0.1000000E+01");
  EXPECT_EQ(Fraction(1e99, 15, 7), "  0.1000000+100");
  EXPECT_EQ(Fraction(9.9e98, 15, 7), "  0.9900000E+99");
  EXPECT_EQ(Fraction(1e-100, 15, 7), "  0.1000000E-99");
  EXPECT_EQ(Fraction(0.1234567, 15, 7), "  0.1234567E+00");
  EXPECT_EQ(Fraction(-1e-200, 14, 7), "-0.1000000-199");
  EXPECT_EQ(Fraction(-1e-200, 13, 7), "*************");
  EXPECT_EQ(Fraction(0.5, 12, 0), "************");
}

TEST(RealFieldTest, WritesInfinityAndNaN) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(Scaled(inf, 15, 7), "       Infinity");
  EXPECT_EQ(Scaled(-inf, 15, 7), "      -Infinity");
  EXPECT_EQ(Scaled(nan, 15, 7), "            NaN");
  EXPECT_EQ(Scaled(-nan, 12, 4), "         NaN");
  EXPECT_EQ(Fraction(-inf, 15, 7), "      -Infinity");
  EXPECT_EQ(Scaled(inf, 8, 4), "Infinity");
  EXPECT_EQ(Scaled(-inf, 8, 4), "********");
  EXPECT_EQ(Scaled(nan, 2, 4), "**");
}

TEST(TextFieldTest, RightAlignsOrCuts) {
  EXPECT_EQ(Text("total-head", 40), std::string(30, ' ') + "total-head");
  EXPECT_EQ(Text(",x,y", 5), " ,x,y");
  EXPECT_EQ(Text("abcd", 4), "abcd");
  EXPECT_EQ(Text("abcdef", 4), "abcd");
  EXPECT_EQ(Text("", 1), " ");
  EXPECT_EQ(Text("x", 1), "x");
  EXPECT_EQ(Text("pressure head", 14), " pressure head");
  EXPECT_EQ(Text("a much longer label than fits", 22), "a much longer label th");
  EXPECT_EQ(Text("abc", 0), "");
}

// The fields against the printf reference over many values.

TEST(RealFieldsMatchPrintfTest, RandomBitPatterns) {
  ExpectAllMatch(RandomBitPatterns(250000, 1), kProgramFields);
  ExpectAllMatch(RandomBitPatterns(20000, 2), kOtherFields);
}

TEST(RealFieldsMatchPrintfTest, EngineeringRange) {
  ExpectAllMatch(EngineeringValues(250000, 3), kProgramFields);
  ExpectAllMatch(EngineeringValues(20000, 4), kOtherFields);
}

TEST(RealFieldsMatchPrintfTest, ExactTiesAndTheirNeighbours) {
  for (const auto* kinds : {&kProgramFields, &kOtherFields}) {
    for (const RealFieldKind& kind : *kinds) {
      std::vector<double> values;
      for (double tie : ExactTies(kind.Significant(), 100, kind.width * 100 + kind.digits)) {
        AddWithNeighbours(values, tie, 1);
        AddWithNeighbours(values, -tie, 1);
      }
      ASSERT_GT(values.size(), 1000u);
      EXPECT_EQ(CountMismatches(values, kind), 0);
    }
  }
}

TEST(RealFieldsMatchPrintfTest, DecimalTextsHalfwayBetweenFields) {
  for (const auto* kinds : {&kProgramFields, &kOtherFields}) {
    for (const RealFieldKind& kind : *kinds) {
      const std::vector<double> values = DecimalHalfwayTexts(kind.Significant(), 5000, kind.width);
      EXPECT_EQ(CountMismatches(values, kind), 0);
      EXPECT_EQ(CountMismatches(Negated(values), kind), 0);
    }
  }
}

TEST(RealFieldsMatchPrintfTest, RoundingCarries) {
  for (const auto* kinds : {&kProgramFields, &kOtherFields}) {
    for (const RealFieldKind& kind : *kinds) {
      const std::vector<double> values = CarryBoundaries(kind.Significant());
      EXPECT_EQ(CountMismatches(values, kind), 0);
      EXPECT_EQ(CountMismatches(Negated(values), kind), 0);
    }
  }
}

TEST(RealFieldsMatchPrintfTest, PowerOfTenBoundariesAndSpecialValues) {
  std::vector<double> values = PowerOfTenBoundaries();
  for (double special : {DBL_MAX, DBL_MIN, DBL_TRUE_MIN, 0.0, 1.0}) {
    AddWithNeighbours(values, special, 2);
    AddWithNeighbours(values, -special, 2);
  }
  values.insert(values.end(), {INFINITY, -INFINITY, NAN, -NAN, -0.0});
  ExpectAllMatch(values, kProgramFields);
  ExpectAllMatch(values, kOtherFields);
}

// The fast route on its own: it must decide nearly every value (else the
// fields are slow) and agree with printf whenever it does.

DecimalSignificand PrintfSignificand(double magnitude, int significant) {
  char printed[64];
  std::snprintf(printed, sizeof printed, "%.*e", significant - 1, magnitude);
  DecimalSignificand result{0, 0};
  const char* p = printed;
  for (; *p != 'e'; ++p) {
    if (*p != '.') result.digits = result.digits * 10 + (*p - '0');
  }
  result.exponent = std::atoi(p + 1);
  return result;
}

TEST(RoundSignificandFastTest, DecidesEveryValueButTiesCorrectly) {
  std::vector<double> values = RandomBitPatterns(40000, 5);
  const std::vector<double> engineering = EngineeringValues(20000, 6);
  const std::vector<double> boundaries = PowerOfTenBoundaries();
  values.insert(values.end(), engineering.begin(), engineering.end());
  values.insert(values.end(), boundaries.begin(), boundaries.end());
  for (int significant = 2; significant <= 18; ++significant) {
    int wrong = 0, refused = 0;
    for (double value : values) {
      const double magnitude = std::fabs(value);
      if (!std::isfinite(magnitude) || magnitude == 0) continue;
      DecimalSignificand fast;
      if (!RoundSignificandFast(magnitude, significant, &fast)) {
        // Only an exact tie may be left to printf (random bit patterns with
        // few fraction bits, 2^44..2^52, often are ties at 14..18 digits).
        if (!IsExactTie(magnitude, significant) && ++refused <= 3) {
          ADD_FAILURE() << significant << " digits of " << Describe(magnitude) << " refused";
        }
        continue;
      }
      const DecimalSignificand expected = PrintfSignificand(magnitude, significant);
      if ((fast.digits != expected.digits || fast.exponent != expected.exponent) && ++wrong <= 3) {
        ADD_FAILURE() << significant << " digits of " << Describe(magnitude) << ": got "
                      << fast.digits << "e" << fast.exponent << ", expected " << expected.digits
                      << "e" << expected.exponent;
      }
    }
    EXPECT_EQ(wrong, 0) << significant << " digits";
    EXPECT_EQ(refused, 0) << significant << " digits";
  }
}

TEST(RoundSignificandFastTest, LeavesExactTiesToPrintf) {
  for (int significant = 2; significant <= 18; ++significant) {
    int ties = 0;
    for (double tie : ExactTies(significant, 50, significant)) {
      ASSERT_TRUE(IsExactTie(tie, significant)) << Describe(tie);
      ++ties;
      DecimalSignificand fast;
      EXPECT_FALSE(RoundSignificandFast(tie, significant, &fast))
          << significant << " digits of " << Describe(tie);
    }
    EXPECT_GT(ties, 50) << significant << " digits";
  }
}

TEST(RoundSignificandFastTest, RefusesWhatItDoesNotCover) {
  DecimalSignificand fast;
  EXPECT_FALSE(RoundSignificandFast(1.5, 19, &fast));
  EXPECT_FALSE(RoundSignificandFast(1.5, 0, &fast));
  EXPECT_FALSE(RoundSignificandFast(0.0, 7, &fast));
  EXPECT_FALSE(RoundSignificandFast(-1.5, 7, &fast));
  EXPECT_FALSE(RoundSignificandFast(INFINITY, 7, &fast));
  EXPECT_FALSE(RoundSignificandFast(NAN, 7, &fast));
  ASSERT_TRUE(RoundSignificandFast(1.5, 7, &fast));
  EXPECT_EQ(fast.digits, 1500000u);
  EXPECT_EQ(fast.exponent, 0);
}

}  // namespace
