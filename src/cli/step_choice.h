// StepChoice: the steps that `rxpost vtk --steps` writes: "final" (the last
// step, and any earlier step numbered 0, as the dialogue's answer 0), "all"
// (a negative answer), or a list of step numbers "3,5,9" (the steps whose own
// number is in the list; 0 among them is the number 0, not the final step).
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

struct StepChoice {
  enum class Form { kFinal, kAll, kNumbers };
  Form form = Form::kFinal;
  std::vector<int32_t> numbers;  // for kNumbers

  bool Selects(int32_t step_no, bool is_last_step) const;
};

// Throws RunError naming --steps when `text` is none of the three forms.
StepChoice ParseStepChoice(std::string_view text);
