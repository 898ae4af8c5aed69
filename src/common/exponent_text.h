// The four characters of a real field's exponent: the letter E, a sign and
// two digits ("E+05", "E-99"), or a sign and three digits ("+100", "-308").
#pragma once

#include <array>

constexpr std::array<char, 4> ExponentText(int exponent) {
  const char sign = exponent < 0 ? '-' : '+';
  const int magnitude = exponent < 0 ? -exponent : exponent;
  return {magnitude <= 99 ? 'E' : sign,
          magnitude <= 99 ? sign : static_cast<char>('0' + magnitude / 100),
          static_cast<char>('0' + magnitude / 10 % 10), static_cast<char>('0' + magnitude % 10)};
}
