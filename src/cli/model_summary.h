// The facts `rxpost info` shows about a model (the title also heads the charts): the mesh (counts
// and the extent of the coordinates) and, for each step, the range of its total head, discharge and
// element velocity magnitude.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <limits>
#include <string>
#include <utility>

#include "model/model_store.h"
#include "model/simulator.h"

// The smallest and largest of the values added; empty when none was added.
// Not-a-number values are left out, and counted.
struct ValueRange {
  double min = std::numeric_limits<double>::infinity();
  double max = -std::numeric_limits<double>::infinity();
  int64_t values = 0, not_numbers = 0;

  void Add(double value) {
    ++values;
    if (value != value) ++not_numbers;
    if (value < min) min = value;
    if (value > max) max = value;
  }
  bool IsEmpty() const { return !(min <= max); }
};

struct MeshSummary {
  int32_t nodes = 0, elements = 0;
  int32_t active = 0, inactive = 0;
  int32_t quadrilaterals = 0, triangles = 0;
  ValueRange x, y;
};

// Total head over the nodes (pressure head plus y for RX-KORIN), discharge
// over the nodes, and the velocity magnitude over the active elements (for
// RX-DELM the stored values divided by D).
struct StepSummary {
  int32_t number = 0;
  double time = 0;
  ValueRange head, discharge, velocity;
};

// "total head 3 of 10, discharge 1 of 10" for the named ranges that left out
// not-a-number values; empty when none did.
std::string DescribeNotNumbers(
    std::initializer_list<std::pair<const char*, const ValueRange*>> ranges);

MeshSummary SummarizeMesh(const ModelStore& model);
StepSummary SummarizeStep(const ModelStore& model, Simulator simulator);

// The title without its trailing blanks, unprintable bytes escaped.
std::string ShownTitle(const ModelStore& model);
