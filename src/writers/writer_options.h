// WriterOptions: what the writers need to know of the run besides the model.
#pragma once

#include <cstdint>

#include "model/simulator.h"

struct WriterOptions {
  Simulator simulator = Simulator::kKorin;
  int32_t head_style = 0;    // restart of RX-KORIN results: 0 pressure, 1 total head
  int32_t no_head_flag = 0;  // restart without its head lines (menu answer -1)
};
