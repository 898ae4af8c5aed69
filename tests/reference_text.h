// Expected output lines worked out independently of the program's own
// formatting: fields from the C library's printf, node averages by a plain
// search over the elements, straight from a made model.
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

// The mean of a step's element values over the active elements at `node`
// (1-based); the values divided by D for RX-DELM only.
struct RefNodeAverage {
  double vx = 0, vy = 0, vx_by_d = 0, vy_by_d = 0;
};
RefNodeAverage RefAverageAt(const MadeModel& model, const MadeStep& step, int node);
// Corner 4 repeats corner 3, or is 0.
bool RefIsTriangle(const MadeElement& e);

// The output files that a run over every step of `model` should write.
std::string RefRestartFile(const MadeModel& model, int head_style, bool with_head_lines);
std::string RefTecplotFile(const MadeModel& model);
std::string RefMkViewFile(const MadeModel& model);

// What an INTERP run should have read from PICKUP.INP: the lists after the
// negative-count rule (an empty list: the table stays empty) and the points.
struct RefPicks {
  std::vector<int> head = {}, pres = {}, flow = {}, vel = {};
  std::vector<std::pair<double, double>> points = {};
};
// The files of an INTERP run over every step of `model`, by name ("out.txt"
// for the main file); a file the run must not create is absent.
std::map<std::string, std::string> RefInterpFiles(const MadeModel& model, const RefPicks& picks);
