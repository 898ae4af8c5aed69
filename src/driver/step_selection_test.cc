#include "driver/step_selection.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// The numbers of the selected steps among steps numbered `numbers`.
std::vector<int> Selected(const std::vector<int>& numbers, int requested) {
  std::vector<int> selected;
  for (size_t i = 0; i < numbers.size(); ++i) {
    if (IsStepSelected(numbers[i], requested, i + 1 == numbers.size())) selected.push_back(numbers[i]);
  }
  return selected;
}

TEST(StepSelection, RequestPicksFinalEveryOrMatchingSteps) {
  EXPECT_EQ(Selected({1, 2, 3}, 0), (std::vector<int>{3}));
  EXPECT_EQ(Selected({1, 2, 3}, -5), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(Selected({1, 2, 3}, 2), (std::vector<int>{2}));
  EXPECT_EQ(Selected({1, 2, 3}, 9), (std::vector<int>{}));
  EXPECT_EQ(Selected({5, 5, 7}, 5), (std::vector<int>{5, 5}));
}

TEST(StepSelection, RequestZeroAlsoTakesEarlierStepsNumberedZero) {
  EXPECT_EQ(Selected({0, 1, 2}, 0), (std::vector<int>{0, 2}));
  EXPECT_EQ(Selected({0, 0}, 0), (std::vector<int>{0, 0}));
  EXPECT_EQ(Selected({}, 0), (std::vector<int>{}));
}

}  // namespace
