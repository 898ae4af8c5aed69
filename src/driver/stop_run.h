// StopRun: the user's own end of a run, a stop code rather than an error (the
// rejected model ends with 1111). The program reports "STOP <code>" on
// standard error and exits with the code as its status (modulo 256).
#pragma once

struct StopRun {
  int code;
};
