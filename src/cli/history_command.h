// `rxpost history`: the values at chosen nodes, elements and points through
// the steps of a result file, as a tidy CSV table (writers/history_table.h)
// on standard output or in a file, and optionally as a chart (a PNG or SVG
// picture: one panel per quantity against time, one line per place).
#pragma once

#include <string>

#include "cli/place_lists.h"
#include "cli/step_choice.h"

struct HistoryOptions {
  std::string result_path;
  std::string program;  // "korin", "delm" or empty (detect)
  PlaceRequest places;
  StepChoice steps;
  std::string csv_path;   // empty: standard output
  std::string plot_path;  // empty: no chart
};

// Throws RunError on a fault of the result file, of the places or of an
// output file.
void RunHistory(const HistoryOptions& options);
