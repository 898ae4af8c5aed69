// Expected output lines worked out independently of the program's own
// formatting: fields from the C library's printf, node averages by a plain
// search over the elements, straight from a made model.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "result_file_maker.h"

// Scaled real field of width w with d digits after the point.
std::string RefReal(double value, int width, int digits);
std::string RefInt(long long value, int width);

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
