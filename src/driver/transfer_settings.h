// The answers of the transfer dialogue, as given; the writers get only the
// WriterOptions derived from them.
#pragma once

#include <cstdint>
#include <string>

#include "model/simulator.h"

struct TransferSettings {
  Simulator simulator = Simulator::kKorin;  // the program question's answer, 0 or 1
  std::string ResultFileName;
  int32_t output_kind = 0;  // the menu answer
  int32_t HeadStyle = 0;    // restart of RX-KORIN results: 0 pressure, 1 total head
  std::string MainOutputName;
  int32_t RequestedStep = 0;
};
