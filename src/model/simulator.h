// Simulator: which of the two simulators wrote a result file. It decides the
// layout of the records (the reader) and what the stored step values mean
// (step_quantities.h); a writer asks for it only where its columns differ.
#pragma once

#include <string_view>

enum class Simulator { kKorin, kDelm };

inline std::string_view SimulatorName(Simulator simulator) {
  return simulator == Simulator::kDelm ? "RX-DELM" : "RX-KORIN";
}
