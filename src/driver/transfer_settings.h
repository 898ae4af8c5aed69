// The answers of the transfer dialogue, as given; the writers get only the
// WriterOptions derived from them.
#pragma once

#include <cstdint>
#include <string>

#include "model/simulator.h"

struct TransferSettings {
  Simulator simulator = Simulator::kKorin;  // the program question's answer, 0 or 1
  std::string result_file_name;
  int32_t output_kind = 0;  // the menu answer
  int32_t head_style = 0;   // restart of RX-KORIN results: 0 pressure, 1 total head
  std::string main_output_name;
  int32_t requested_step = 0;
};
