// `rxpost vtk`: the chosen steps of a result file as a ParaView collection:
// OUTPUT.pvd lists one data set per written step with the step's time, and
// beside it OUTPUT_000001.vtu, OUTPUT_000002.vtu, ... hold the steps (numbered
// by written step), each a whole unstructured grid with the step's values.
// A file that ends inside a step (a simulation still writing it) gives its
// complete steps. With `follow`, the run then waits for the file to grow and
// adds each new step as soon as it is complete (cli/vtk_follow.h).
#pragma once

#include <string>

#include "cli/step_choice.h"

struct VtkOptions {
  std::string result_path;
  std::string collection_path;  // ends in .pvd, in any case
  std::string program;          // "korin", "delm" or empty (detect)
  StepChoice steps;
  bool follow = false;
  double idle_seconds = 0;  // with follow: end after this long without a new step; 0: never
};

// Throws RunError on a fault of the result file or of an output file.
void RunVtk(const VtkOptions& options);
