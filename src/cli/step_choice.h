// StepChoice: the steps that `rxpost vtk --steps` writes, the dialogue's step
// rules spelled as words: "final" (the last step, and any earlier step
// numbered 0, as the dialogue's answer 0), "all" (a negative answer), or a
// list of step numbers "3,5,9" (each a positive answer).
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

struct StepChoice {
  // Answers to the dialogue's step question; a step is chosen when any of
  // them selects it.
  std::vector<int32_t> requests;

  bool Selects(int32_t step_no, bool is_last_step) const;
};

// Throws RunError naming --steps when `text` is none of the three forms.
StepChoice ParseStepChoice(std::string_view text);
