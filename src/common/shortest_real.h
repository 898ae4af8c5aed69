// The shortest decimal that reads back as a given double or float, and its
// text in the plain form of std::to_chars (fixed or scientific notation,
// whichever is shorter, fixed on a tie), found several times faster than the
// standard library does on the hot path of free-form reals. Among the
// shortest decimals inside the value's rounding interval the one closest to
// the value is taken, an even last digit on a tie.
#pragma once

// Writes the text of a finite value as std::to_chars(out, end, value) does
// without a format ("-0" for negative zero): at most 26 bytes, though up to 32
// bytes at `out` may be overwritten. Returns the end of the text.
char* WriteShortestText(char* out, double value);
char* WriteShortestText(char* out, float value);
// The same text, made to look like a real: a text without a point or an
// exponent gets ".0" ("86400.0"), and either zero is written "0.0". At most
// 26 bytes; up to 32 bytes at `out` may be overwritten.
char* WriteShortestRealText(char* out, double value);
char* WriteShortestRealText(char* out, float value);
