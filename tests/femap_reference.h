// The FEMAP neutral file expected from a run, worked out independently of the
// program with plain loops over a made model, and the comparison of a written
// file with it: fixed-column lines byte for byte, free-form lines field by
// field (fields split at commas, items at blanks; single-precision numbers
// equal as 4-byte reals with at most 9 digits, double ones as 8-byte reals).
#pragma once

#include <string>
#include <vector>

#include "result_file_maker.h"

struct RefLine {
  bool fixed;
  // Fixed lines: the exact text. Free-form lines: the items, with single
  // reals written as "%.9g" plus "f" and double reals as "%.17g" plus "d".
  std::string text;
};

// The model and group blocks, then one output set per step of `model`,
// numbered from 1.
std::vector<RefLine> RefFemapFile(const MadeModel& model);

void ExpectSameFemap(const std::string& actual, const std::vector<RefLine>& expected);
