// Fixed-width number and text fields, the building blocks of every fixed-column
// line the program writes. Each function writes exactly `width` bytes at `out`
// (right-aligned, blank-filled; asterisks across the field when the text does
// not fit) and returns the pointer just past them. Nothing is allocated.
//
// Reals are correctly rounded from the exact binary value: to nearest, and a
// value exactly halfway between two mantissas goes to the even one. The
// exponent is the letter E, a sign and two digits; a three-digit exponent drops
// the letter. Negative zero is written like zero; infinities and NaN are
// written as Infinity, -Infinity and NaN.
#pragma once

#include <cstdint>
#include <string_view>

// Widest field any layout uses; callers may rely on width <= kMaxFieldWidth.
inline constexpr int kMaxFieldWidth = 64;

// Integer field: 12 in width 5 is "   12"; 123456 in width 5 is "*****".
char* WriteIntegerField(char* out, int64_t value, int width);

// Scaled real field: one digit before the point (non-zero for a non-zero
// value), `digits` (0 or more) after it. 1234.5 at (15, 7) is
// "  1.2345000E+03"; 1.0E-120 at (12, 4) is "  1.0000-120". A negative
// `digits` gives asterisks.
char* WriteScaledRealField(char* out, double value, int width, int digits);

// Fraction real field: "0." and `digits` (1 or more) digits, the first
// non-zero for a non-zero value. 12.5 at (15, 7) is "  0.1250000E+02".
// `digits` below 1 gives asterisks.
char* WriteFractionRealField(char* out, double value, int width, int digits);

// The same fields with a width and digits known at compile time, where the
// compiler can fold them: the hot lines' fields. Defined for the widths and
// digits the program's layouts use (a new one is added in number_fields.cc).
template <int kWidth>
char* WriteIntegerFieldOf(char* out, int64_t value);
template <int kWidth, int kDigits>
char* WriteScaledRealFieldOf(char* out, double value);
template <int kWidth, int kDigits>
char* WriteFractionRealFieldOf(char* out, double value);

// Text field: a shorter text is right-aligned, a longer one cut at the right.
char* WriteTextField(char* out, std::string_view text, int width);

// The significand of a real rounded to a number of significant digits:
// `digits` has exactly that many digits (10^(n-1) <= digits < 10^n) and the
// value is about digits * 10^(exponent - n + 1), so `exponent` is the power of
// ten of the first digit.
struct DecimalSignificand {
  uint64_t digits;
  int64_t exponent;
};

// The fast route of the real fields, open to tests and benchmarks: rounds a
// positive finite `magnitude` to `significant` (1..18) digits, correctly, using
// a 128-bit power of ten. Returns false when it cannot be sure of the rounding
// (the value may lie exactly halfway) or the case is outside the range it was
// proven for; the fields then ask printf.
bool RoundSignificandFast(double magnitude, int significant, DecimalSignificand* result);
