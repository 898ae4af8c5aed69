// Eighteen significant digits of a double, correctly rounded and written as
// "d.ddddddddddddddddd": the route of the widest real field, with far less
// work than the general long route (real_rounding.h) and WriteDigits.
//
// A normal v = m * 2^(biased - 1086), m (the significand at the top of a
// word) in [2^63, 2^64), has the decimal exponent k = floor(log10 v) from the
// octave table. Z = v * 10^(1-k) lies in [10, 100): its integer part is the
// first two digits, and X = Z * 10^16 in [10^17, 10^18) is the value to
// round to an integer.
//
// The table entry of k holds P = floor(10^(1-k) * 2^(top - 958)) (about 71
// bits), `top` being the highest octave (biased exponent) of the decade k,
// so that Z = (m >> s) * P / 2^128 nearly, with s = top - biased in 0..4
// (exact, as m ends in 11 zero bits). The top 128 bits of that 192-bit
// product are H * 2^64 + G, less than 2 units of G below Z * 2^64 (less than
// one from truncating P, less than one from the dropped word).
//
// Rounding to nearest is the integer part of X + 1/2: G + 923 (the half
// unit 2^63 / 10^16 = 922.34 rounded up, a carry going to H) makes
// X'' = X' + 1/2 + d, d < 3.6e-4. The other sixteen digits come from it by
// exact products, four each: G'' * 10^4 = A1 * 2^64 + G1, ...,
// G3 * 10^4 = A4 * 2^64 + F, so that the digits are those of floor(X'') and
// F / 2^64 its fraction. As X + 1/2 lies in [X'' - d, X'' - d + 2^-9.8),
// they are those of floor(X + 1/2) unless F lies within 2^54 of a whole
// number (about one value in 500): then X is either exactly halfway, decided
// to even by an exact test on the bits, or too close to tell, for the
// caller's exact route; so is a value that rounds up to 10^(k+1).
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#include "common/decimal_digits.h"
#include "common/exponent_text.h"
#include "common/octave_table.h"
#include "common/pow10_table.h"

namespace eighteen_digits {

__extension__ using Uint128 = unsigned __int128;

inline constexpr int kMinExponent = -308;  // the decimal exponents of normal doubles
inline constexpr int kMaxExponent = 308;

struct Power {
  uint64_t high, low;                 // P = high * 2^64 + low
  int32_t top;                        // the highest biased exponent of the decade
  std::array<char, 4> exponent_text;  // "E+05"
};

// Whether the octave holds values of the next decade too.
constexpr bool ReachesNextDecade(int biased) {
  return kOctaves.next_power_bits[biased] < static_cast<uint64_t>(biased + 1) << 52;
}

// The powers by decimal exponent, and "d.d" (and one byte more) for the
// first two digits 0..99: one object, so that one address serves both.
struct Tables {
  std::array<Power, kMaxExponent - kMinExponent + 1> powers;
  std::array<uint32_t, 100> heads;
};

inline constexpr Tables kTables = [] {
  Tables tables{};
  auto& powers = tables.powers;
  // Octaves by increasing exponent: the last to hold values of a decade
  // stays its top.
  for (int biased = 1; biased <= 2046; ++biased) {
    const int k = kOctaves.exponent[biased];
    powers[k - kMinExponent].top = biased;
    if (ReachesNextDecade(biased)) powers[k + 1 - kMinExponent].top = biased;
  }
  for (int k = kMinExponent; k <= kMaxExponent; ++k) {
    Power& power = powers[k - kMinExponent];
    const Pow10Entry& t = kPow10Table[1 - k - kPow10MinExponent];  // floor(10^(1-k) * 2^-b)
    const int drop = 958 - t.binary_exponent - static_cast<int>(power.top);
    if (drop < 1 || drop > 63) throw "the powers would need more bits than the table has";
    const Uint128 p = ((Uint128{t.high} << 64) | t.low) >> drop;
    power.high = static_cast<uint64_t>(p >> 64);
    power.low = static_cast<uint64_t>(p);
    power.exponent_text = ExponentText(k);
  }
  // Every octave's shifts s for the decades it holds: 0..11 keeps m exact.
  for (int biased = 1; biased <= 2046; ++biased) {
    const int k = kOctaves.exponent[biased];
    for (int decade = k; decade <= k + (ReachesNextDecade(biased) ? 1 : 0); ++decade) {
      const int64_t s = powers[decade - kMinExponent].top - biased;
      if (s < 0 || s > 11) throw "an octave too far from the top of its decade";
    }
  }
  for (uint32_t i = 0; i < 100; ++i) {
    tables.heads[i] = (0x30 + i / 10) | '.' << 8 | (0x30 + i % 10) << 16;
  }
  return tables;
}();

// Whether v (normal, with decimal exponent k) times 10^q, q = 17 - k, is
// exactly an integer and a half. With v = odd * 2^e, 2 * v * 10^q =
// odd * 5^q * 2^(e + 1 + q) is an odd integer when e + 1 + q = 0 and q >= 0;
// for q < 0 it would be below 2^53 / 5, not the 10^17 or more it is.
inline bool IsExactlyHalfway(uint64_t magnitude_bits) {
  const int64_t k = DecimalExponentOfNormal(magnitude_bits);
  const int zeros = std::countr_zero(magnitude_bits | uint64_t{1} << 52);
  const int64_t e = static_cast<int64_t>(magnitude_bits >> 52) - 1075 + zeros;
  return e + 1 + (17 - k) == 0;
}

// The product of two words.
struct Words {
  uint64_t high, low;
};
[[gnu::always_inline]] inline Words Multiply(uint64_t a, uint64_t b) {
  const Uint128 product = static_cast<Uint128>(a) * b;
  return {static_cast<uint64_t>(product >> 64), static_cast<uint64_t>(product)};
}

// For a value exactly halfway between N and N + 1, X + 1/2 = N + 1 and X''
// lies just below it (F above one half: the digits are N's) or at or just
// above it (F below: N + 1's). The last four digits of the even one of the
// two, or 10000 or more when they would carry or borrow (which no exact half
// of 18 digits needs: 2N + 1 = odd * 5^q, so N ends in 2 or 7).
inline uint64_t LastDigitsToEven(Words last) {
  if (last.high % 2 == 0) return last.high;
  return last.low >> 63 ? last.high + 1 : last.high - 1;  // 0 - 1 wraps above 10000
}

// Rounds a positive normal value to 18 digits and writes them with the
// point and the exponent, "d.ddddddddddddddddE+05", at `at`; false, with
// rubbish written, when it cannot be sure of the rounding. Values exactly
// halfway are decided only with `decide_halfway` (the test is kept out of
// the hot route, which leaves them to the rare one).
[[gnu::always_inline]] inline bool Write(char* at, uint64_t magnitude_bits, bool decide_halfway) {
  constexpr uint64_t kHalfUnit = 923;  // above 2^63 / 10^16
  constexpr int kMarginBits = 54;      // F within 2^54 of a whole number: unsure
  const int64_t k = DecimalExponentOfNormal(magnitude_bits);
  const Power& power = kTables.powers[k - kMinExponent];
  std::memcpy(at + 19, power.exponent_text.data(), 4);
  const uint64_t m =
      ((magnitude_bits << 11) | uint64_t{1} << 63) >> (power.top - (magnitude_bits >> 52));
  const Words upper = Multiply(m, power.high);
  // (The high word of m * P.low is below m < 2^64 - 923: no carry here.)
  const uint64_t addend = Multiply(m, power.low).high + kHalfUnit;
  const uint64_t fraction = upper.low + addend;  // G + 923, H + carry below
  const uint64_t first_two = upper.high + (fraction < addend);
  if (first_two >= 100) [[unlikely]]
    return false;  // rounds up to 10^(k+1)
  // The digits four at a time; two of the stores wait after the test, as
  // four neighbours stored at once would be merged into slower vector code.
  std::memcpy(at, &kTables.heads[first_two], 4);
  const Words second = Multiply(fraction, 10000);
  std::memcpy(at + 3, &kFourDigits[second.high], 4);
  const Words third = Multiply(second.low, 10000);
  const Words fourth = Multiply(third.low, 10000);
  std::memcpy(at + 11, &kFourDigits[fourth.high], 4);
  const Words last = Multiply(fourth.low, 10000);
  uint64_t last_four = last.high;
  if ((last.low + (uint64_t{1} << kMarginBits)) >> (kMarginBits + 1) == 0) [[unlikely]] {
    if (!decide_halfway || !IsExactlyHalfway(magnitude_bits)) return false;
    last_four = LastDigitsToEven(last);
    if (last_four >= 10000) return false;
  }
  std::memcpy(at + 7, &kFourDigits[third.high], 4);
  std::memcpy(at + 15, &kFourDigits[last_four], 4);
  return true;
}

}  // namespace eighteen_digits
