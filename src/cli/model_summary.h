// The facts `rxpost info` shows about a model (the title also heads the charts): the mesh (counts
// and the extent of the coordinates) and, for each step, the range of its total head, discharge and
// element velocity magnitude.
#pragma once

#include <cstdint>
#include <limits>
#include <string>

#include "model/model_store.h"
#include "model/simulator.h"

// The smallest and largest of the values added; empty when none was added
// (not-a-number values are left out).
struct ValueRange {
  double min = std::numeric_limits<double>::infinity();
  double max = -std::numeric_limits<double>::infinity();

  void Add(double value) {
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

MeshSummary SummarizeMesh(const ModelStore& model);
StepSummary SummarizeStep(const ModelStore& model, Simulator simulator);

// The title without its trailing blanks, control bytes shown as '?'.
std::string ShownTitle(const ModelStore& model);
