// Which steps of the pass are handed to the step writer. Answer 0 selects the
// final step (and any earlier step numbered 0), a negative answer every step,
// a positive answer every step whose own number equals it.
#pragma once

#include <cstdint>

inline bool IsStepSelected(int32_t step_no, int32_t requested_step, bool is_last_step) {
  bool takes_own_number = requested_step < 0 || (requested_step == 0 && is_last_step);
  int32_t effective_step = takes_own_number ? step_no : requested_step;
  return step_no == effective_step;
}
