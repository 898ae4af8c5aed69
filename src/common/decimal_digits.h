// Decimal digits of unsigned integers for the number writers: digit pairs
// and groups of four from tables, eight digits in one word, and the count of
// digits of a value.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

inline constexpr std::array<uint64_t, 20> kPowersOfTen = [] {
  std::array<uint64_t, 20> powers{};
  uint64_t p = 1;
  for (uint64_t& power : powers) power = p, p *= 10;
  return powers;
}();

// "00" "01" ... "99": two digits per lookup.
inline constexpr std::array<char, 200> kDigitPairs = [] {
  std::array<char, 200> pairs{};
  for (int i = 0; i < 100; ++i) {
    pairs[2 * i] = static_cast<char>('0' + i / 10);
    pairs[2 * i + 1] = static_cast<char>('0' + i % 10);
  }
  return pairs;
}();

inline void WritePair(char* p, uint32_t value) { std::memcpy(p, &kDigitPairs[2 * value], 2); }

// "0000" "0001" ... "9999" as words, first digit in the lowest byte: four
// digits per lookup (40 KB, of which a run uses the part its values reach).
inline constexpr std::array<uint32_t, 10000> kFourDigits = [] {
  std::array<uint32_t, 10000> words{};
  for (uint32_t i = 0; i < 10000; ++i) {
    words[i] = (0x30 + i / 1000) | (0x30 + i / 100 % 10) << 8 | (0x30 + i / 10 % 10) << 16 |
               (0x30 + i % 10) << 24;
  }
  return words;
}();

// The 8 digits of value < 10^8 (leading zeros included) as the bytes of one
// word, first digit in the lowest byte: two lookups of four digits.
inline uint64_t EightDigits(uint32_t value) {
  const uint32_t high = value / 10000;
  return kFourDigits[high] | uint64_t{kFourDigits[value - high * 10000]} << 32;
}

// Stores the last `count` (1..8) of the eight digits of `value` at `at`, and
// 8 - count bytes of rubbish after them; returns the first digit stored.
inline char StoreLastDigits(char* at, uint32_t value, int count) {
  const uint64_t digits = EightDigits(value) >> (8 * (8 - count));
  std::memcpy(at, &digits, 8);
  return static_cast<char>(digits);
}

// Writes `value` (< 10^18) as exactly `count` digits at `at`, leading zeros
// included, and returns the first. May write up to 4 bytes of rubbish just
// past the digits.
[[gnu::always_inline]] inline char WriteDigits(char* at, uint64_t value, int count) {
  if (count > 18) {
    std::memset(at, '0', count - 18);
    WriteDigits(at + count - 18, value, 18);
    return '0';
  }
  if (count < 4) {
    for (int i = count - 1; i >= 0; --i, value /= 10) at[i] = static_cast<char>('0' + value % 10);
    return at[0];
  }
  if (count <= 8) return StoreLastDigits(at, static_cast<uint32_t>(value), count);
  const uint64_t high = value / 100000000;
  const uint32_t low = static_cast<uint32_t>(value - high * 100000000);
  char first;
  if (count <= 16) {
    first = StoreLastDigits(at, static_cast<uint32_t>(high), count - 8);
  } else {
    const uint32_t top = static_cast<uint32_t>(value / 10000000000000000);  // beside `high`
    if (count == 18) {
      WritePair(at, top);
      first = kDigitPairs[2 * top];
    } else {
      first = static_cast<char>('0' + top);
      at[0] = first;
    }
    StoreLastDigits(at + count - 16, static_cast<uint32_t>(high - uint64_t{top} * 100000000), 8);
  }
  StoreLastDigits(at + count - 8, low, 8);  // over the rubbish of the higher digits
  return first;
}

// Digits of a value (1 for 0): from its bit length, 1233/4096 being just
// above log10(2), corrected by one comparison.
// (Setting the lowest bit changes no digit count and makes 0 count as 1.)
inline int DigitCount(uint64_t value) {
  value |= 1;
  const int guess = ((64 - std::countl_zero(value)) * 1233) >> 12;
  return guess + (value >= kPowersOfTen[guess] ? 1 : 0);
}
