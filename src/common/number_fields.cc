#include "common/number_fields.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "common/decimal_digits.h"
#include "common/pow10_table.h"

// How the real fields round
// -------------------------
// A positive double is M * 2^E with M normalized to [2^63, 2^64). Its decimal
// exponent k = floor(log10 v) is found from E (floor((E+63) * log10 2) is k or
// k-1) and one comparison with the table's 10^(k+1). For n significant digits
// we want X = v * 10^q, q = n-1-k, which lies in [10^(n-1), 10^n); its integer
// part N and fraction decide the rounding.
//
// The table holds T = floor(10^q * 2^-b) in [2^127, 2^128). We keep the top 128
// bits of the 192-bit product M * T, i.e. Y = floor(M*T / 2^64) * 2^(64+E+b).
// Then Y <= X, and X - Y < (M * 1 + 2^64) * 2^(E+b) < 2^65 * 2^(E+b): once
// from truncating T, once from the dropped low word. With shift = -(128+E+b),
// N is the top word >> shift, the fraction F is the remaining shift+64 bits,
// and the error is below 2 units of F's last bit. So
//   F >  1/2          : X's fraction is above one half (or X passed N+1): up;
//   F <= 1/2 - 2 units: X < N + 1/2: down;
//   otherwise X may be exactly N + 1/2 (a tie) or on either side: the exact
//   slow path (glibc printf, correctly rounded, ties to even) decides.
// Any case outside what this argument covers (shift outside 1..63, table range,
// N outside [10^(n-1) - 1, 10^n)) also goes to the slow path.

namespace {

__extension__ using Uint128 = unsigned __int128;

// Writes the four exponent characters: "E+05", "E-99", "+100", "-308".
[[gnu::always_inline]] inline void WriteExponent(char* p, int exponent) {
  const char sign = exponent < 0 ? '-' : '+';
  const uint32_t magnitude = static_cast<uint32_t>(exponent < 0 ? -exponent : exponent);
  if (magnitude <= 99) {
    p[0] = 'E';
    p[1] = sign;
  } else {
    p[0] = sign;
    p[1] = static_cast<char>('0' + magnitude / 100);
  }
  WritePair(p + 2, magnitude % 100);
}

// Fills n bytes with c; for up to 64 bytes with a few fixed-size stores.
[[gnu::always_inline]] inline void Fill(char* p, char c, int n) {
  if (n >= 32 && n <= 64) {
    std::memset(p, c, 32);
    std::memset(p + n - 32, c, 32);
  } else if (n >= 16 && n < 32) {
    std::memset(p, c, 16);
    std::memset(p + n - 16, c, 16);
  } else if (n >= 8 && n < 16) {
    std::memset(p, c, 8);
    std::memset(p + n - 8, c, 8);
  } else {
    std::memset(p, c, n);
  }
}

char* FillAsterisks(char* out, int width) {
  if (width <= 0) return out;
  std::memset(out, '*', width);
  return out + width;
}

// Right-aligns `len` bytes of `text` in the field, or fills it with asterisks.
inline char* PlaceText(char* out, const char* text, int len, int width) {
  if (width <= 0) return out;
  if (len > width) return FillAsterisks(out, width);
  std::memset(out, ' ', width - len);
  std::memcpy(out + width - len, text, len);
  return out + width;
}

char* WriteNonFinite(char* out, double value, int width) {
  if (std::isnan(value)) return PlaceText(out, "NaN", 3, width);
  if (value > 0) return PlaceText(out, "Infinity", 8, width);
  return PlaceText(out, "-Infinity", 9, width);
}

// The top 128 bits of the 192-bit product m * (high * 2^64 + low).
struct Top128 {
  uint64_t high;
  uint64_t low;
};

inline Top128 MultiplyTop128(uint64_t m, const Pow10Entry& power) {
  const Uint128 low_product = static_cast<Uint128>(m) * power.low;
  const Uint128 top = static_cast<Uint128>(m) * power.high + (low_product >> 64);
  return {static_cast<uint64_t>(top >> 64), static_cast<uint64_t>(top)};
}

enum class Rounding { kDown, kUp, kUnsure };

// The fraction is (fraction_high * 2^64 + fraction_low) / 2^(shift + 64), at
// most 2 units of its last bit below the true one (see the comment on top).
// Only fraction_high = half or half - 1 needs the low word; otherwise the
// answer is computed without a branch (up or down is a coin toss).
[[gnu::always_inline]] inline Rounding DecideRounding(uint64_t fraction_high, uint64_t fraction_low,
                                                      int shift) {
  const uint64_t half = uint64_t{1} << (shift - 1);
  if (fraction_high - (half - 1) > 1) {
    return fraction_high > half ? Rounding::kUp : Rounding::kDown;
  }
  if (fraction_high == half && fraction_low != 0) return Rounding::kUp;
  if (fraction_high == half - 1 && fraction_low != ~uint64_t{0}) return Rounding::kDown;
  return Rounding::kUnsure;
}

// floor(log10 v) for v = m * 2^e, m in [2^63, 2^64).
[[gnu::always_inline]] inline int DecimalExponent(uint64_t m, int e) {
  const int low_guess = ((e + 63) * 78913) >> 18;  // floor((e + 63) * log10 2), |e + 63| <= 1300
  const int next = low_guess + 1;
  if (next < kPow10MinExponent || next > kPow10MaxExponent) return low_guess;
  const Pow10Entry& power = kPow10Table[next - kPow10MinExponent];
  // 10^next lies in [2^(b+127), 2^(b+128)); v can reach it only in the same
  // octave, where v >= 10^next means m * 2^64 >= T (+ what T dropped). The
  // table's low word is zero only where T is 10^next exactly. Evaluated
  // without branches: whether v reaches 10^next depends on the data.
  const bool same_octave = e + 63 == power.binary_exponent + 127;
  const bool reaches = (m > power.high) | ((m == power.high) & (power.low == 0));
  return low_guess + static_cast<int>(same_octave & reaches);
}

// See RoundSignificandFast; inlined into the fields, where `significant` is
// often a constant.
[[gnu::always_inline]] inline bool RoundSignificand(double magnitude, int significant,
                                                    DecimalSignificand* result) {
  if (significant < 1 || significant > 18) return false;
  const uint64_t bits = std::bit_cast<uint64_t>(magnitude);
  const int biased_exponent = static_cast<int>(bits >> 52);  // sign bit must be clear
  uint64_t m = bits & ((uint64_t{1} << 52) - 1);
  int e = -1074;
  if (biased_exponent >= 0x7ff) return false;
  if (biased_exponent > 0) {
    m |= uint64_t{1} << 52;
    e = biased_exponent - 1075;
  } else if (m == 0) {
    return false;
  }
  const int normalize = std::countl_zero(m);
  m <<= normalize;
  e -= normalize;

  const int exponent = DecimalExponent(m, e);
  const int q = significant - 1 - exponent;
  if (q < kPow10MinExponent || q > kPow10MaxExponent) return false;
  const Pow10Entry& power = kPow10Table[q - kPow10MinExponent];
  const int shift = -(128 + e + power.binary_exponent);
  if (shift < 1 || shift > 63) return false;

  const Top128 product = MultiplyTop128(m, power);
  // X >= 10^(n-1) as the exponent is exact, but Y may lie just below it when
  // X is exactly 10^(n-1); the rounding then goes up to 10^(n-1).
  uint64_t digits = product.high >> shift;
  if (digits >= kPowersOfTen[significant]) return false;
  const uint64_t fraction_high = product.high & ((uint64_t{1} << shift) - 1);
  const Rounding rounding = DecideRounding(fraction_high, product.low, shift);
  if (rounding == Rounding::kUnsure) return false;
  digits += static_cast<uint64_t>(rounding == Rounding::kUp);
  if (digits < kPowersOfTen[significant - 1]) return false;

  result->exponent = exponent;
  if (digits == kPowersOfTen[significant]) {  // 9.99..95 carried into 10.00..0
    digits = kPowersOfTen[significant - 1];
    ++result->exponent;
  }
  result->digits = digits;
  return true;
}

// Writes a real field straight into `out`: `count` significant digits, put
// at their place by `write_digits(at)`, which returns the first digit and may
// spill up to 4 bytes past them, onto the exponent written afterwards. The
// first digit goes before the point (scaled) or after "0." (fraction).
template <typename WriteDigitsAt>
[[gnu::always_inline]] inline char* WriteRealText(char* out, int width, int count, int exponent,
                                                  bool negative, bool fraction,
                                                  WriteDigitsAt write_digits) {
  const int length = static_cast<int>(negative) + count + (fraction ? 6 : 5);
  if (length > width) return FillAsterisks(out, width);
  Fill(out, ' ', width);
  char* const exponent_at = out + width - 4;
  char* const digits_at = exponent_at - count;
  out[width - length] = '-';  // overwritten by the first character unless negative
  const char first_digit = write_digits(digits_at);
  if (fraction) {
    digits_at[-1] = '.';
    digits_at[-2] = '0';
  } else {
    digits_at[-1] = first_digit;
    digits_at[0] = '.';
  }
  WriteExponent(exponent_at, exponent);
  return out + width;
}

// The exact route: glibc's printf rounds correctly from the binary value, ties
// to even.
[[gnu::noinline]] char* WriteRealFieldFromPrintf(char* out, double magnitude, bool negative,
                                                 int width, int significant, bool fraction) {
  char printed[kMaxFieldWidth + 16];
  std::snprintf(printed, sizeof printed, "%.*e", significant - 1, magnitude);
  char digits[kMaxFieldWidth];
  int count = 0;
  const char* p = printed;
  for (; *p != 'e'; ++p) {
    if (*p >= '0' && *p <= '9' && count < kMaxFieldWidth) digits[count++] = *p;
  }
  ++p;
  const bool negative_exponent = *p++ == '-';
  int exponent = 0;
  for (; *p != '\0'; ++p) exponent = exponent * 10 + (*p - '0');
  if (negative_exponent) exponent = -exponent;
  if (fraction) ++exponent;
  return WriteRealText(out, width, significant, exponent, negative, fraction, [&](char* at) {
    std::memcpy(at, digits, count);
    return digits[0];
  });
}

// Both real fields: `significant` digits, the first before the point
// (scaled) or after "0." (fraction, whose exponent is one higher).
[[gnu::always_inline]] inline char* WriteRealField(char* out, double value, int width,
                                                   int significant, bool fraction) {
  if (!std::isfinite(value)) return WriteNonFinite(out, value, width);
  if (significant < 1 || significant > kMaxFieldWidth || significant + (fraction ? 6 : 5) > width) {
    return FillAsterisks(out, width);
  }
  const bool negative = std::signbit(value) && value != 0;
  const double magnitude = std::fabs(value);
  DecimalSignificand decimal{0, 0};
  if (magnitude != 0) {
    if (!RoundSignificand(magnitude, significant, &decimal)) {
      return WriteRealFieldFromPrintf(out, magnitude, negative, width, significant, fraction);
    }
    if (fraction) ++decimal.exponent;
  }
  return WriteRealText(out, width, significant, decimal.exponent, negative, fraction,
                       [&](char* at) { return WriteDigits(at, decimal.digits, significant); });
}

}  // namespace

bool RoundSignificandFast(double magnitude, int significant, DecimalSignificand* result) {
  return RoundSignificand(magnitude, significant, result);
}

namespace {

// Integer field by the general route: digits into a scratch text, then placed.
char* WriteWideIntegerField(char* out, int64_t value, int width) {
  char text[24];
  char* const end = text + sizeof text;
  char* p = end;
  uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  while (magnitude >= 100) {
    p -= 2;
    WritePair(p, static_cast<uint32_t>(magnitude % 100));
    magnitude /= 100;
  }
  if (magnitude >= 10) {
    p -= 2;
    WritePair(p, static_cast<uint32_t>(magnitude));
  } else {
    *--p = static_cast<char>('0' + magnitude);
  }
  if (value < 0) *--p = '-';
  return PlaceText(out, p, static_cast<int>(end - p), width);
}

// Integers of at most 8 digits in fields of at most 16 columns, the usual
// case: the eight digits are made at once, their leading zeros turned into
// blanks, and the field copied from the end of a 16-byte line of blanks.
[[gnu::always_inline]] inline char* WriteIntegerFieldInline(char* out, int64_t value, int width) {
  const uint64_t magnitude =
      value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  if (magnitude >= 100000000 || width > 16 || width < 1) {
    return WriteWideIntegerField(out, value, width);
  }
  const int digits = DigitCount(magnitude);
  const int length = digits + (value < 0);
  if (length > width) return FillAsterisks(out, width);
  char line[16];
  std::memset(line, ' ', 8);
  uint64_t word = EightDigits(static_cast<uint32_t>(magnitude));
  const int zero_bytes = 8 - digits;
  if (zero_bytes > 0) {
    const uint64_t zeros = (uint64_t{1} << (8 * zero_bytes)) - 1;
    word = (word & ~zeros) | (0x2020202020202020ull & zeros);
  }
  std::memcpy(line + 8, &word, 8);
  if (value < 0) line[16 - length] = '-';
  std::memcpy(out, line + 16 - width, static_cast<size_t>(width));
  return out + width;
}

}  // namespace

char* WriteIntegerField(char* out, int64_t value, int width) {
  return WriteIntegerFieldInline(out, value, width);
}

char* WriteScaledRealField(char* out, double value, int width, int digits) {
  return WriteRealField(out, value, width, digits + 1, false);
}

char* WriteFractionRealField(char* out, double value, int width, int digits) {
  return WriteRealField(out, value, width, digits, true);
}

char* WriteTextField(char* out, std::string_view text, int width) {
  if (width <= 0) return out;
  if (text.size() >= static_cast<size_t>(width)) {
    std::memcpy(out, text.data(), width);
    return out + width;
  }
  return PlaceText(out, text.data(), static_cast<int>(text.size()), width);
}

template <int kWidth>
char* WriteIntegerFieldOf(char* out, int64_t value) {
  return WriteIntegerFieldInline(out, value, kWidth);
}

template <int kWidth, int kDigits>
char* WriteScaledRealFieldOf(char* out, double value) {
  return WriteRealField(out, value, kWidth, kDigits + 1, false);
}

template <int kWidth, int kDigits>
char* WriteFractionRealFieldOf(char* out, double value) {
  return WriteRealField(out, value, kWidth, kDigits, true);
}

// The fields the program's layouts use.
template char* WriteIntegerFieldOf<2>(char*, int64_t);
template char* WriteIntegerFieldOf<5>(char*, int64_t);
template char* WriteIntegerFieldOf<6>(char*, int64_t);
template char* WriteIntegerFieldOf<7>(char*, int64_t);
template char* WriteIntegerFieldOf<8>(char*, int64_t);
template char* WriteIntegerFieldOf<10>(char*, int64_t);
template char* WriteScaledRealFieldOf<12, 4>(char*, double);
template char* WriteScaledRealFieldOf<12, 5>(char*, double);
template char* WriteScaledRealFieldOf<13, 6>(char*, double);
template char* WriteScaledRealFieldOf<15, 7>(char*, double);
template char* WriteScaledRealFieldOf<25, 17>(char*, double);
template char* WriteFractionRealFieldOf<15, 7>(char*, double);
