// WritePvdCollection: a ParaView collection file (.pvd) that lists the files
// of a time series, one data set per written step with its time, so that
// ParaView and VTK see the steps as one series over time. The file is
// well-formed XML whatever the names: file names go through XmlSafeFileName
// and are escaped, and a step whose time is not a finite number (NaN,
// infinite) is listed at its step number as time, which every reader takes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/text_output.h"

struct PvdDataSet {
  double time;
  int32_t step_number;  // the time used when `time` is not finite
  std::string file;     // relative to the collection file's folder
};

void WritePvdCollection(TextOutput& out, const std::vector<PvdDataSet>& data_sets);

// True when `time` cannot stand as a time in the collection.
bool IsUnlistableTime(double time);

// `name` (bytes of a file name) when it is UTF-8 text without control
// characters, which an XML parser takes; otherwise every byte that breaks
// this is written as %XX (its value in hex), so that the result is.
std::string XmlSafeFileName(std::string_view name);
