// `rxpost vtk`: the chosen steps of a result file as a ParaView collection:
// OUTPUT.pvd lists one data set per written step with the step's time, and
// beside it OUTPUT_000001.vtu, OUTPUT_000002.vtu, ... hold the steps (numbered
// by written step), each a whole unstructured grid with the step's values.
#pragma once

#include <string>

#include "cli/step_choice.h"

struct VtkOptions {
  std::string result_path;
  std::string collection_path;  // ends in .pvd
  std::string program;          // "korin", "delm" or empty (detect)
  StepChoice steps;
};

// Throws RunError on a fault of the result file or of an output file.
void RunVtk(const VtkOptions& options);
