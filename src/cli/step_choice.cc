#include "cli/step_choice.h"

#include <algorithm>
#include <charconv>
#include <string>

#include "common/run_error.h"
#include "reader/step_selection.h"

bool StepChoice::Selects(int32_t step_no, bool is_last_step) const {
  switch (form) {
    case Form::kFinal:
      return IsStepSelected(step_no, 0, is_last_step);
    case Form::kAll:
      return true;
    case Form::kNumbers:
      break;
  }
  return std::find(numbers.begin(), numbers.end(), step_no) != numbers.end();
}

StepChoice ParseStepChoice(std::string_view text) {
  if (text == "final") return {StepChoice::Form::kFinal, {}};
  if (text == "all") return {StepChoice::Form::kAll, {}};
  StepChoice choice{StepChoice::Form::kNumbers, {}};
  for (std::string_view rest = text;;) {
    const std::string_view item = rest.substr(0, rest.find(','));
    int32_t number = 0;
    auto [end, error] = std::from_chars(item.data(), item.data() + item.size(), number);
    if (error != std::errc() || end != item.data() + item.size() || number < 0) {
      throw ErrorAbout("--steps", "'" + std::string(text) +
                                      "' is not final, all or a list of step numbers (0 or "
                                      "more) such as 3,5,9");
    }
    choice.numbers.push_back(number);
    if (item.size() == rest.size()) return choice;
    rest.remove_prefix(item.size() + 1);
  }
}
