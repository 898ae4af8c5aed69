// Which steps of the pass are handed to the step writer. Answer 0 selects the
// final step (and any earlier step numbered 0), a negative answer every step,
// a positive answer every step whose own number equals it.
#pragma once

#include <cstdint>

inline bool IsStepSelected(int32_t StepNo, int32_t RequestedStep, bool is_last_step) {
  bool takes_own_number = RequestedStep < 0 || (RequestedStep == 0 && is_last_step);
  int32_t effective_step = takes_own_number ? StepNo : RequestedStep;
  return StepNo == effective_step;
}
