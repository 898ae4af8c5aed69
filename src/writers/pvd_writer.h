// WritePvdCollection: a ParaView collection file (.pvd) that lists the files
// of a time series, one data set per written step with its time, so that
// ParaView and VTK see the steps as one series over time.
#pragma once

#include <string>
#include <vector>

#include "common/text_output.h"

struct PvdDataSet {
  double time;
  std::string file;  // relative to the collection file's folder
};

void WritePvdCollection(TextOutput& out, const std::vector<PvdDataSet>& data_sets);
