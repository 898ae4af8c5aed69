// The expected output files of whole runs, worked out independently of the
// program straight from a made model: fields from the C library's printf,
// node averages by a plain search over the elements. And the comparison of
// long texts, which names the first differing line instead of printing both.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "result_file_maker.h"

// |value| rounded to `significant` digits by printf ("%.*e"): the digits, and
// the power of ten of the first.
struct RefDigits {
  std::string digits;
  int exponent;
};
RefDigits RefSignificand(double value, int significant);

// Real field of `width` with `digits` after the point: d.ddd (scaled) or
// 0.ddd (fraction); NaN and Infinity right-aligned; asterisks when it does
// not fit.
std::string RefReal(double value, int width, int digits, bool fraction = false);
std::string RefInt(long long value, int width);

// The mean of a step's element values (and, for RX-DELM, of the values
// times 1/D) over the active elements at the distinct corners of `node`
// (1-based).
struct RefNodeAverage {
  double vx = 0, vy = 0, vx_by_d = 0, vy_by_d = 0;
};
RefNodeAverage RefAverageAt(const MadeModel& model, const MadeStep& step, int node);

// The model with only the steps at `indexes`: those a run should write.
MadeModel RefWithSteps(MadeModel model, const std::vector<size_t>& indexes);

// The output files that a run over every step of `model` should write.
// Free-form lines (the restart head lines, FEMAP's comma lines) take a blank,
// then their items with a blank before each number; a real is the shortest
// text that reads back to it in its precision, with ".0" when it looks whole.
std::string RefRestartFile(const MadeModel& model, int head_style, bool with_head_lines);
std::string RefTecplotFile(const MadeModel& model);
std::string RefMkViewFile(const MadeModel& model);
struct RefMicroAvsFiles {
  std::string temp;  // "AVS.tmp"
  std::string main;  // the assembled file
};
RefMicroAvsFiles RefMicroAvs(const MadeModel& model);

// What an INTERP run should have read from PICKUP.INP: the lists after the
// negative-count rule (an empty list: the table stays empty) and the points.
struct RefPicks {
  std::vector<int> head = {}, pres = {}, flow = {}, vel = {};
  std::vector<std::pair<double, double>> points = {};
};
// The files of an INTERP run over every step of `model`, by name ("out.txt"
// for the main file); a file the run must not create is absent.
std::map<std::string, std::string> RefInterpFiles(const MadeModel& model, const RefPicks& picks);

// The FEMAP neutral file, its output sets numbered from 1.
std::string RefFemapFile(const MadeModel& model);

// EXPECT that `actual` is `expected`; a failure names the first line that
// differs, its number and both versions of it.
void ExpectSameText(const std::string& actual, const std::string& expected,
                    const std::string& what = "text");

// The lines of `text`, without their line ends.
std::vector<std::string> SplitLines(const std::string& text);
