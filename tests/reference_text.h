// Expected output text worked out independently of the program's own
// formatting: every number field from the C library's printf (the one printf
// reference of the tests), node averages by a plain search over the elements,
// straight from a made model.
#pragma once

#include <string>

#include "result_file_maker.h"

// |value| rounded to `significant` digits by printf ("%.*e"): the digits, and
// the power of ten of the first.
struct RefDigits {
  std::string digits;
  int exponent;
};
RefDigits RefSignificand(double value, int significant);

// Real field of `width` with `digits` after the point: d.ddd (scaled) or
// 0.ddd (fraction); asterisks when it does not fit.
std::string RefReal(double value, int width, int digits, bool fraction = false);
std::string RefInt(long long value, int width);

// The output files that a run over every step of `model` should write.
std::string RefRestartFile(const MadeModel& model, int head_style, bool with_head_lines);
std::string RefTecplotFile(const MadeModel& model);
std::string RefMkViewFile(const MadeModel& model);
