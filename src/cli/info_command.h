// `rxpost info`: a readable summary of a result file (simulator, title, mesh
// counts, coordinate extent, and for each step its number, time and value
// ranges) on standard output, or the same facts as CSV for scripts.
#pragma once

#include <string>

struct InfoOptions {
  std::string result_path;
  std::string program;  // "korin", "delm" or empty (detect)
  bool csv = false;
};

// Throws RunError on a fault of the result file or of standard output.
void RunInfo(const InfoOptions& options);
