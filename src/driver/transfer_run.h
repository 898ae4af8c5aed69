// The result-transfer mode: the dialogue from the information box to the
// closing banner, the loading of the result file and the pass over its steps.
#pragma once

#include "driver/console.h"

// Runs the transfer mode to its end. Throws RunError on a fault of the input
// or the output, StopRun when the user rejects the loaded model.
void RunTransfer(Console& console);
