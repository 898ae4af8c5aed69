// The answers of the transfer dialogue that shape the output.
#pragma once

#include <cstdint>
#include <string>

// Output kinds by their menu answers; any other answer selects no output.
enum OutputKind : int32_t {
  kRestartNoHead = -1,
  kRestart = 1,
  kTecplot = 2,
  kFemap = 3,
  kMicroAvs = 4,
  kMkView = 5,
  kInterp = 6,
};

struct TransferSettings {
  int32_t ProgramFlag = 0;  // 0 RX-KORIN results, 1 RX-DELM results
  std::string ResultFileName;
  int32_t output_kind = 0;  // the menu answer
  int32_t NoHeadFlag = 0;   // 1 for menu answer -1
  int32_t HeadStyle = 0;    // restart of RX-KORIN results: 0 pressure, 1 total head
  std::string MainOutputName;
  int32_t RequestedStep = 0;
};
