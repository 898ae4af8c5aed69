// The decimal exponent of a double from its bits, with one table look-up and
// one comparison: for every binary octave [2^j, 2^(j+1)) of the normal doubles
// (by biased exponent) the exponent floor(log10 v) of its lowest values, and
// the bits of the smallest double in the octave that reaches the next power
// of ten (an octave holds at most one). Built at compile time from the
// 128-bit powers of ten.
#pragma once

#include <array>
#include <cstdint>

#include "common/pow10_table.h"

// Indexed by the biased exponent; entries 0 (zero, subnormals) and 2047
// (infinities, NaN) are not filled. Two arrays, so that each is read with
// the biased exponent as a scaled index.
struct OctaveTables {
  std::array<uint64_t, 2048> next_power_bits;  // the smallest double >= 10^(exponent + 1)
  std::array<int16_t, 2048> exponent;
};

inline constexpr OctaveTables kOctaves = [] {
  OctaveTables octaves{};
  // floor(log10 2^-1022) = -308: 2^-1022 is about 2.2e-308.
  int exponent = -308;
  for (uint64_t biased = 1; biased <= 2046; ++biased) {
    const int next = exponent + 1;
    const Pow10Entry& power = kPow10Table[next - kPow10MinExponent];
    octaves.exponent[biased] = static_cast<int16_t>(exponent);
    // 2^(b+127) <= 10^next < 2^(b+128): the octave of 10^next.
    const bool in_octave = power.binary_exponent + 127 + 1023 == static_cast<int>(biased);
    if (!in_octave) {
      octaves.next_power_bits[biased] = (biased + 1) << 52;  // out of reach within the octave
      continue;
    }
    // 10^next rounded up to 53 bits: the table's T is exact (for 0 <= next
    // <= 55) or truncated (else), so any dropped bit means "round up".
    const bool truncated = next < 0 || next > 55;
    const bool low_bits = power.low != 0 || (power.high & 0x7ff) != 0;
    const uint64_t significand = (power.high >> 11) + (truncated || low_bits ? 1 : 0);
    // A significand of 2^53 carries into the next octave's bits: still right.
    octaves.next_power_bits[biased] = (biased << 52) + significand - (uint64_t{1} << 52);
    exponent = next;
  }
  return octaves;
}();

// floor(log10 v) for a positive normal double with the given bits.
[[gnu::always_inline]] inline int64_t DecimalExponentOfNormal(uint64_t bits) {
  const uint64_t biased = bits >> 52;
  return int64_t{kOctaves.exponent[biased]} +
         static_cast<int64_t>(bits >= kOctaves.next_power_bits[biased]);
}
