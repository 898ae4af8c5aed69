// ChooseProgram: which simulator wrote a result file, as the command line
// reads it: RX-KORIN or RX-DELM as given by --program, or else as the length
// of the node record tells (16 bytes a node for RX-KORIN, 36 for RX-DELM).
#pragma once

#include <string>

#include "model/simulator.h"

struct ProgramChoice {
  Simulator simulator;
  std::string how;  // how it was chosen, for the summary
};

// `given` is "korin", "delm" or empty. Throws RunError naming the file when
// the node record cannot tell and nothing is given, or when it plainly holds
// the other simulator's entries.
ProgramChoice ChooseProgram(const std::string& path, const std::string& given);
