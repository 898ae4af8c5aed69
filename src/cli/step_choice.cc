#include "cli/step_choice.h"

#include <algorithm>
#include <charconv>
#include <string>

#include "common/run_error.h"
#include "reader/step_selection.h"

bool StepChoice::Selects(int32_t StepNo, bool is_last_step) const {
  return std::any_of(requests.begin(), requests.end(), [&](int32_t RequestedStep) {
    return IsStepSelected(StepNo, RequestedStep, is_last_step);
  });
}

StepChoice ParseStepChoice(std::string_view text) {
  if (text == "final") return {{0}};
  if (text == "all") return {{-1}};
  StepChoice choice;
  for (std::string_view rest = text;;) {
    const std::string_view item = rest.substr(0, rest.find(','));
    int32_t number = 0;
    auto [end, error] = std::from_chars(item.data(), item.data() + item.size(), number);
    if (error != std::errc() || end != item.data() + item.size() || number <= 0) {
      throw ErrorAbout("--steps", "'" + std::string(text) +
                                      "' is not final, all or a list of step numbers above 0 "
                                      "such as 3,5,9");
    }
    choice.requests.push_back(number);
    if (item.size() == rest.size()) return choice;
    rest.remove_prefix(item.size() + 1);
  }
}
