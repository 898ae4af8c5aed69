// WriterOptions: what the writers need to know of the run besides the model.
#pragma once

#include <cstdint>

struct WriterOptions {
  int32_t ProgramFlag = 0;  // 0 RX-KORIN results, 1 RX-DELM results
  int32_t HeadStyle = 0;    // restart of RX-KORIN results: 0 pressure, 1 total head
  int32_t NoHeadFlag = 0;   // restart without its head lines (menu answer -1)
};
