#include "common/number_fields.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "common/decimal_digits.h"
#include "common/eighteen_digits.h"
#include "common/exponent_text.h"
#include "common/real_rounding.h"

namespace {

using real_rounding::IsNormal;
using real_rounding::kSignBit;

// Rounds a positive finite magnitude by the short route where it applies,
// else by the long one; false when neither is sure (printf then decides).
[[gnu::always_inline]] inline bool RoundSignificand(double magnitude, int significant,
                                                    DecimalSignificand* result) {
  const uint64_t bits = std::bit_cast<uint64_t>(magnitude);
  if (significant >= 4 && significant <= 8 && IsNormal(bits) &&
      real_rounding::RoundNormalShort(bits, significant, result)) {
    return true;
  }
  return real_rounding::RoundLong(magnitude, significant, result);
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
  std::memcpy(exponent_at, ExponentText(exponent).data(), 4);
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
[[gnu::always_inline]] inline char* WriteRealFieldInline(char* out, double value, int width,
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

[[gnu::noinline]] char* WriteRealField(char* out, double value, int width, int significant,
                                       bool fraction) {
  return WriteRealFieldInline(out, value, width, significant, fraction);
}

// The exponent's four characters for every exponent a field can show.
constexpr int kExponentTextsMin = -340;
constexpr auto kExponentTexts = [] {
  std::array<std::array<char, 4>, 2 * 340 + 1> texts{};
  for (int exponent = kExponentTextsMin; exponent <= -kExponentTextsMin; ++exponent) {
    texts[exponent - kExponentTextsMin] = ExponentText(exponent);
  }
  return texts;
}();

// The text of zero in a field: "  0.0000000E+00".
template <int kWidth, int kSignificant, bool kFraction>
constexpr auto kZeroField = [] {
  std::array<char, kWidth> text{};
  const int length = kSignificant + (kFraction ? 6 : 5);
  for (int i = 0; i < kWidth; ++i) text[i] = i < kWidth - length ? ' ' : '0';
  text[kWidth - length + 1] = '.';
  text[kWidth - 4] = 'E';
  text[kWidth - 3] = '+';
  return text;
}();

// Writes blanks and the sign of a real field whose text (without the sign)
// starts at out + kBlanks, 1 <= kBlanks <= 8, as one word of 8 bytes.
template <int kBlanks>
[[gnu::always_inline]] inline void WriteBlanksAndSign(char* out, uint64_t bits) {
  static_assert(std::endian::native == std::endian::little);
  static constexpr uint64_t kBlankWord = 0x2020202020202020;
  static constexpr uint64_t kWords[] = {kBlankWord,
                                        kBlankWord + (uint64_t{'-' - ' '} << (8 * kBlanks - 8))};
  std::memcpy(out, &kWords[bits >> 63], 8);
}

// A real field the hot routes leave: zero as a constant text, anything else
// (subnormals, infinities, NaN, values at or next to a rounding boundary)
// through WriteRealField.
template <int kWidth, int kSignificant, bool kFraction>
char* WriteRareRealField(char* out, double value) {
  if (value == 0) {
    std::memcpy(out, kZeroField<kWidth, kSignificant, kFraction>.data(), kWidth);
    return out + kWidth;
  }
  return WriteRealField(out, value, kWidth, kSignificant, kFraction);
}

// The hot real fields of 4 to 8 digits: a width with room for a minus sign
// and at most 8 blanks before it. A normal value takes the short rounding
// route and is placed with a few stores: blanks, the sign, the digits in
// words (the point written over the second byte), the exponent as one word.
template <int kWidth, int kSignificant, bool kFraction>
[[gnu::always_inline]] inline char* WriteHotRealField(char* out, double value) {
  constexpr int kLength = kSignificant + (kFraction ? 6 : 5);  // without the sign
  constexpr int kBlanks = kWidth - kLength;
  static_assert(kSignificant >= 4 && kSignificant <= 8 && kBlanks >= 1 && kBlanks <= 8);
  const uint64_t bits = std::bit_cast<uint64_t>(value);
  const uint64_t magnitude_bits = bits & ~kSignBit;
  DecimalSignificand decimal;
  if (!IsNormal(magnitude_bits) ||
      !real_rounding::RoundNormalShort(magnitude_bits, kSignificant, &decimal)) [[unlikely]] {
    return WriteRareRealField<kWidth, kSignificant, kFraction>(out, value);
  }
  WriteBlanksAndSign<kBlanks>(out, bits);
  char* const first = out + kBlanks;
  char* exponent_at;
  if constexpr (kFraction) {
    std::memcpy(first, "0.", 2);
    WriteDigits(first + 2, decimal.digits, kSignificant);
    exponent_at = first + 2 + kSignificant;
    ++decimal.exponent;
  } else {
    first[0] = WriteDigits(first + 1, decimal.digits, kSignificant);
    first[1] = '.';
    exponent_at = first + 1 + kSignificant;
  }
  std::memcpy(exponent_at, &kExponentTexts[decimal.exponent - kExponentTextsMin], 4);
  return out + kWidth;
}

// The scaled field of 18 digits ("  1.00000000000000000E+01") by its own
// route: blanks and sign, then the digits with their point and the exponent.
// The hot entry leaves values near a rounding boundary to the next one, which
// decides exact halves itself and leaves the rest to WriteRealField.
template <int kWidth>
[[gnu::noinline]] char* WriteCloseEighteenDigitField(char* out, double value) {
  const uint64_t magnitude_bits = std::bit_cast<uint64_t>(value) & ~kSignBit;
  if (eighteen_digits::Write(out + kWidth - 23, magnitude_bits, true)) return out + kWidth;
  return WriteRealField(out, value, kWidth, 18, false);
}

template <int kWidth>
[[gnu::always_inline]] inline char* WriteHotEighteenDigitField(char* out, double value) {
  constexpr int kBlanks = kWidth - 23;
  static_assert(kBlanks >= 1 && kBlanks <= 8);
  const uint64_t bits = std::bit_cast<uint64_t>(value);
  const uint64_t magnitude_bits = bits & ~kSignBit;
  WriteBlanksAndSign<kBlanks>(out, bits);
  if (!IsNormal(magnitude_bits)) [[unlikely]] {
    return WriteRareRealField<kWidth, 18, false>(out, value);
  }
  if (!eighteen_digits::Write(out + kBlanks, magnitude_bits, false)) [[unlikely]] {
    return WriteCloseEighteenDigitField<kWidth>(out, value);
  }
  return out + kWidth;
}

// A real field of constant shape: a hot route where one applies (4 to 8
// digits, or the scaled field of 18), else the general one.
template <int kWidth, int kSignificant, bool kFraction>
char* WriteRealFieldOf(char* out, double value) {
  constexpr int kBlanks = kWidth - kSignificant - (kFraction ? 6 : 5);
  if constexpr (kSignificant >= 4 && kSignificant <= 8 && kBlanks >= 1 && kBlanks <= 8) {
    return WriteHotRealField<kWidth, kSignificant, kFraction>(out, value);
  } else if constexpr (kSignificant == 18 && !kFraction && kBlanks >= 1 && kBlanks <= 8) {
    return WriteHotEighteenDigitField<kWidth>(out, value);
  } else {
    return WriteRealFieldInline(out, value, kWidth, kSignificant, kFraction);
  }
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
// case: the eight digits are made at once as one word, their leading zeros
// (the low bytes that are '0', the last digit kept) turned into blanks and
// the blank before the first digit into a minus sign for a negative value.
[[gnu::always_inline]] inline char* WriteIntegerFieldInline(char* out, int64_t value, int width) {
  const uint64_t magnitude =
      value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  if (magnitude >= 100000000 || width > 16 || width < 1) {
    return WriteWideIntegerField(out, value, width);
  }
  const uint64_t digits = EightDigits(static_cast<uint32_t>(magnitude));
  const int zero_bytes =
      std::countr_zero((digits ^ 0x3030303030303030ull) | (uint64_t{1} << 56)) >> 3;
  const uint64_t negative = value < 0;
  if (negative && zero_bytes == 0) return WriteWideIntegerField(out, value, width);
  const int length = 8 - zero_bytes + static_cast<int>(negative);
  if (length > width) return FillAsterisks(out, width);
  const uint64_t zeros = (uint64_t{1} << (8 * zero_bytes)) - 1;
  uint64_t word = digits - (0x1010101010101010ull & zeros);  // '0' - 0x10 is ' '
  word ^= ((uint64_t{' ' ^ '-'} << (8 * zero_bytes)) >> 8) * negative;
  if (width >= 8) {
    std::memset(out, ' ', static_cast<size_t>(width - 8));
    std::memcpy(out + width - 8, &word, 8);
  } else {
    word >>= 8 * (8 - width);
    std::memcpy(out, &word, static_cast<size_t>(width));
  }
  return out + width;
}

}  // namespace

char* WriteIntegerField(char* out, int64_t value, int width) {
  return WriteIntegerFieldInline(out, value, width);
}

char* WriteScaledRealField(char* out, double value, int width, int digits) {
  return WriteRealFieldInline(out, value, width, digits + 1, false);
}

char* WriteFractionRealField(char* out, double value, int width, int digits) {
  return WriteRealFieldInline(out, value, width, digits, true);
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
  return WriteRealFieldOf<kWidth, kDigits + 1, false>(out, value);
}

template <int kWidth, int kDigits>
char* WriteFractionRealFieldOf(char* out, double value) {
  return WriteRealFieldOf<kWidth, kDigits, true>(out, value);
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
