// Charts drawn through the plotting library (PLplot): the time history of
// values at chosen places, and a map of one step's values over the mesh. Each
// chart is a PNG or SVG picture, told by the ending of its file's name.
//
// The plotting library is optional: a build without it (see CMakeLists.txt,
// RXPOST_CHARTS) compiles charts_unavailable.cc instead, where every function
// here refuses with one line saying so.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/text_output.h"
#include "model/model_store.h"

// Before any long work: throws RunError naming `option` when this build draws
// no charts, or when `path` ends neither in .png nor in .svg.
void CheckChartFile(const std::string& path, std::string_view option);

// One line of a history panel: a value per time of the chart (not-a-number
// where the place has none).
struct ChartSeries {
  std::string label;
  std::vector<double> values;
};

// One panel: a quantity against time, one line per place.
struct ChartPanel {
  std::string quantity;
  std::vector<ChartSeries> series;
};

struct HistoryChart {
  std::string title;
  std::vector<double> times;
  std::vector<ChartPanel> panels;  // drawn one below the other
};

// Draws the chart into `image`, whose name tells PNG or SVG; throws RunError
// when the picture cannot be made or written.
void DrawHistoryChart(const HistoryChart& chart, TextOutput& image);

// One step's values over the mesh: per node (indexed 1..NUMNP, interpolated
// linearly over each triangle of an element) or per element (1..NUMEL, one
// colour an element). Inactive elements are grey; so is a triangle with a
// value that is not finite.
struct MeshMap {
  const ModelStore* model;
  std::vector<double> values;
  bool per_element = false;
  std::string quantity;  // names the colour bar
  std::string title;
  std::string caption;  // below the picture: the step and its time
  bool edges = false;   // element outlines
};

void DrawMeshMap(const MeshMap& map, TextOutput& image);
