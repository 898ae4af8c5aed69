// Eighteen significant digits of a double, correctly rounded and written as
// "d.ddddddddddddddddd": the route of the widest real field, with about half
// the work of the general long route (real_rounding.h).
//
// A normal v = m * 2^(biased - 1086), m (the significand at the top of a
// word) in [2^63, 2^64), has the decimal exponent k = floor(log10 v) from the
// octave table. Z = v * 10^(9-k) lies in [10^9, 10^10), and X = Z * 10^8 in
// [10^17, 10^18) is the value to round to an integer.
//
// The table entry of k holds P = floor(10^(9-k) * 2^(top - 958)) below
// 2^128, `top` being the highest octave (biased exponent) of the decade k,
// so that Z = (m >> s) * P / 2^128 nearly, with s = top - biased in 0..4
// (exact, as m ends in 11 zero bits). The top 128 bits of that 192-bit
// product are H * 2^64 + G, less than 2 units of G below Z * 2^64 (less than
// one from truncating P, less than one from the dropped word).
//
// The last eight digits and the rounding come from G by exact products:
// G * 10^4 = D1 * 2^64 + G1 and G1 * 10^4 = D2 * 2^64 + F, so that
// X' = H * 10^8 + D1 * 10^4 + D2 + F / 2^64 exactly, and X' <= X < X' + 2^-36
// (2 * 10^8 < 2^28 units of F). Hence F > 1/2 (in units of 2^-64): up (X's
// fraction is above one half, or X passed the next integer); F < 1/2 - 2^-36:
// down; in between, X is either exactly halfway (decided to even by an exact
// test on the bits) or too close to tell, for the caller's exact route, as is
// a round-up that carries out of the last four digits.
//
// The first ten digits come from H < 10^10 by fixed point: H * ceil(2^64 /
// 10^8) = A0 * 2^64 + R, A0 = the first two digits, R / 2^64 = the other
// eight / 10^8 plus less than 10^-9; R * 10^4 and its fraction * 10^4 give
// them four at a time (the excess stays below 0.1 of a unit).
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#include "common/decimal_digits.h"
#include "common/octave_table.h"
#include "common/pow10_table.h"

namespace eighteen_digits {

__extension__ using Uint128 = unsigned __int128;

inline constexpr int kMinExponent = -308;  // the decimal exponents of normal doubles
inline constexpr int kMaxExponent = 308;

struct Power {
  uint64_t high, low;  // P = high * 2^64 + low
  int64_t top;         // the highest biased exponent of the decade
};

// Whether the octave holds values of the next decade too.
constexpr bool ReachesNextDecade(int biased) {
  return kOctaves.next_power_bits[biased] < static_cast<uint64_t>(biased + 1) << 52;
}

inline constexpr auto kPowers = [] {
  std::array<Power, kMaxExponent - kMinExponent + 1> powers{};
  // Octaves by increasing exponent: the last to hold values of a decade
  // stays its top.
  for (int biased = 1; biased <= 2046; ++biased) {
    const int k = kOctaves.exponent[biased];
    powers[k - kMinExponent].top = biased;
    if (ReachesNextDecade(biased)) powers[k + 1 - kMinExponent].top = biased;
  }
  for (int k = kMinExponent; k <= kMaxExponent; ++k) {
    Power& power = powers[k - kMinExponent];
    const Pow10Entry& t = kPow10Table[9 - k - kPow10MinExponent];  // floor(10^(9-k) * 2^-b)
    const int drop = 958 - t.binary_exponent - static_cast<int>(power.top);
    if (drop < 1 || drop > 63) throw "the powers would need more bits than the table has";
    const Uint128 p = ((Uint128{t.high} << 64) | t.low) >> drop;
    power.high = static_cast<uint64_t>(p >> 64);
    power.low = static_cast<uint64_t>(p);
  }
  // Every octave's shifts s for the decades it holds: 0..11 keeps m exact.
  for (int biased = 1; biased <= 2046; ++biased) {
    const int k = kOctaves.exponent[biased];
    for (int decade = k; decade <= k + (ReachesNextDecade(biased) ? 1 : 0); ++decade) {
      const int64_t s = powers[decade - kMinExponent].top - biased;
      if (s < 0 || s > 11) throw "an octave too far from the top of its decade";
    }
  }
  return powers;
}();

// "d.d" and one byte more for the first two digits 0..99.
inline constexpr auto kHeads = [] {
  std::array<uint32_t, 100> heads{};
  for (uint32_t i = 0; i < 100; ++i) heads[i] = (0x30 + i / 10) | '.' << 8 | (0x30 + i % 10) << 16;
  return heads;
}();

// 5^0 .. 5^22, the powers of five below 2^53.
inline constexpr auto kPowersOfFive = [] {
  std::array<uint64_t, 23> powers{};
  uint64_t p = 1;
  for (uint64_t& power : powers) power = p, p *= 5;
  return powers;
}();

// Whether v (normal, with decimal exponent k) times 10^(17-k) is exactly an
// integer and a half: v = odd * 2^e, and 2 * odd * 2^e * 10^q is odd.
inline bool IsExactlyHalfway(uint64_t magnitude_bits, int64_t k) {
  const uint64_t significand = (magnitude_bits & ((uint64_t{1} << 52) - 1)) | uint64_t{1} << 52;
  const int zeros = std::countr_zero(significand);
  const int64_t e = static_cast<int64_t>(magnitude_bits >> 52) - 1075 + zeros;
  const int64_t q = 17 - k;
  if (e + 1 + q != 0) return false;
  return q >= 0 || (q >= -22 && (significand >> zeros) % kPowersOfFive[-q] == 0);
}

// The product of two words.
[[gnu::always_inline]] inline Uint128 Multiply(uint64_t a, uint64_t b) {
  return static_cast<Uint128>(a) * b;
}

// Rounds a positive normal value to 18 digits and writes "d.ddddddddddddddddd"
// at `at` (and 3 bytes of rubbish after them) and sets its decimal exponent;
// false, with nothing written, when it cannot be sure of the rounding.
[[gnu::always_inline]] inline bool Write(char* at, uint64_t magnitude_bits, int64_t* exponent) {
  constexpr uint64_t kHalf = uint64_t{1} << 63;
  constexpr uint64_t kMargin = uint64_t{1} << 28;
  const int64_t k = DecimalExponentOfNormal(magnitude_bits);
  const Power& power = kPowers[k - kMinExponent];
  const uint64_t m = ((magnitude_bits << 11) | kHalf) >> (power.top - (magnitude_bits >> 52));
  const Uint128 product = Multiply(m, power.high) + (Multiply(m, power.low) >> 64);
  const uint64_t high = static_cast<uint64_t>(product >> 64);
  const Uint128 low_digits = Multiply(static_cast<uint64_t>(product), 10000);
  const Uint128 last_digits = Multiply(static_cast<uint64_t>(low_digits), 10000);
  uint64_t last = static_cast<uint64_t>(last_digits >> 64);
  const uint64_t fraction = static_cast<uint64_t>(last_digits);
  if (fraction - (kHalf - kMargin) <= kMargin) [[unlikely]] {
    if (!IsExactlyHalfway(magnitude_bits, k)) return false;
    last += last & 1;
  } else {
    last += fraction >> 63;
  }
  if (last == 10000) [[unlikely]]
    return false;
  const Uint128 head = Multiply(high, 184467440738);  // ceil(2^64 / 10^8)
  const Uint128 middle = Multiply(static_cast<uint64_t>(head), 10000);
  const Uint128 next = Multiply(static_cast<uint64_t>(middle), 10000);
  std::memcpy(at, &kHeads[static_cast<size_t>(head >> 64)], 4);
  std::memcpy(at + 3, &kFourDigits[static_cast<size_t>(middle >> 64)], 4);
  std::memcpy(at + 7, &kFourDigits[static_cast<size_t>(next >> 64)], 4);
  std::memcpy(at + 11, &kFourDigits[static_cast<size_t>(low_digits >> 64)], 4);
  std::memcpy(at + 15, &kFourDigits[last], 4);
  *exponent = k;
  return true;
}

}  // namespace eighteen_digits
