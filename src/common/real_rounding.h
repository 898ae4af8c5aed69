// Correct rounding of a positive double to n significant decimal digits
// without printf, for the real fields: a short route with one 64-bit
// multiplication for 4 to 8 digits, and a longer one with a 128-bit power of
// ten for 1 to 18 digits. Each says when it cannot be sure (the value lies at
// or too near the middle between two results); the caller then takes the
// next route, and the last one is printf.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <iterator>

#include "common/decimal_digits.h"
#include "common/number_fields.h"
#include "common/octave_table.h"
#include "common/pow10_table.h"

namespace real_rounding {

__extension__ using Uint128 = unsigned __int128;

inline constexpr uint64_t kSignBit = uint64_t{1} << 63;

// Whether the bits (sign cleared) are those of a normal double.
[[gnu::always_inline]] inline bool IsNormal(uint64_t magnitude_bits) {
  return (magnitude_bits >> 52) - 1 < 0x7fe;
}

// Stores rounded digits: 9.99..95 carried into 10.00..0 becomes 1.00..0
// with the next exponent.
[[gnu::always_inline]] inline void StoreRounded(uint64_t digits, int64_t exponent, int significant,
                                                DecimalSignificand* result) {
  if (digits == kPowersOfTen[significant]) [[unlikely]] {
    digits = kPowersOfTen[significant - 1];
    ++exponent;
  }
  result->digits = digits;
  result->exponent = exponent;
}

// The short route, for 4 to 8 digits and normal values
// ----------------------------------------------------
// v = m * 2^(biased - 1086) with m = the significand moved to the top of a
// word, in [2^63, 2^64). Its decimal exponent k comes from the octave table;
// X = v * 10^q with q = n-1-k lies in [10^(n-1), 10^n). The table's top word
// T64 = floor(10^q * 2^-(b+64)) (in [2^63, 2^64)) gives the 128-bit product
// m * T64, whose top word H approximates X * 2^r, r = 958 - biased - b:
// X - H * 2^-r lies in [0, 2^(1-r)), once from truncating T64 (less than
// m * 2^-64 units of H) and once from the dropped low word. As X < 10^8 and
// H >= 2^62, r >= 36: the digits N = H >> r, and the top r bits of H's rest
// are X's fraction, at most 2^29 units of a 64-bit fraction below the true
// one. A fraction within 2^30 of one half (or at it) is left to the long
// route.
// The top words of the table, with 958 - b: 16 bytes an entry.
struct ShortPower {
  uint64_t factor;
  int64_t shift_base;
};
inline constexpr auto kShortPowers = [] {
  std::array<ShortPower, std::size(kPow10Table)> powers{};
  for (size_t i = 0; i < powers.size(); ++i) {
    powers[i] = {kPow10Table[i].high, 958 - int64_t{kPow10Table[i].binary_exponent}};
  }
  return powers;
}();

[[gnu::always_inline]] inline bool RoundNormalShort(uint64_t magnitude_bits, int significant,
                                                    DecimalSignificand* result) {
  constexpr uint64_t kHalf = uint64_t{1} << 63;
  constexpr uint64_t kMargin = uint64_t{1} << 30;
  const uint64_t biased = magnitude_bits >> 52;
  const int64_t exponent = DecimalExponentOfNormal(magnitude_bits);
  const ShortPower& power = kShortPowers[significant - 1 - exponent - kPow10MinExponent];
  const uint64_t m = (magnitude_bits << 11) | kSignBit;
  const uint64_t high = static_cast<uint64_t>((static_cast<Uint128>(m) * power.factor) >> 64);
  const uint64_t shift = static_cast<uint64_t>(power.shift_base) - biased;  // 36..63
  const uint64_t fraction = high << ((0 - shift) & 63);
  if (fraction - (kHalf - kMargin) <= kMargin) return false;
  StoreRounded((high >> shift) + (fraction >> 63), exponent, significant, result);
  return true;
}

// The long route, for 1 to 18 digits and any positive finite value
// ----------------------------------------------------------------
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
// most 2 units of its last bit below the true one (see above). Only
// fraction_high = half or half - 1 needs the low word; otherwise the answer
// is computed without a branch (up or down is a coin toss).
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
  // table's low word is zero only where T is 10^next exactly.
  const bool same_octave = e + 63 == power.binary_exponent + 127;
  const bool reaches = (m > power.high) | ((m == power.high) & (power.low == 0));
  return low_guess + static_cast<int>(same_octave & reaches);
}

[[gnu::always_inline]] inline bool RoundLong(double magnitude, int significant,
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
  StoreRounded(digits, exponent, significant, result);
  return true;
}

}  // namespace real_rounding
