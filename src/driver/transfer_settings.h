// The answers of the transfer dialogue, as given; the writers get only the
// WriterOptions derived from them.
#pragma once

#include <cstdint>
#include <string>

struct TransferSettings {
  int32_t ProgramFlag = 0;  // 0 RX-KORIN results, 1 RX-DELM results
  std::string ResultFileName;
  int32_t output_kind = 0;  // the menu answer
  int32_t HeadStyle = 0;    // restart of RX-KORIN results: 0 pressure, 1 total head
  std::string MainOutputName;
  int32_t RequestedStep = 0;
};
