#include "common/free_form.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

namespace {

// A blank starts the line and stands before every number; reals always look like reals, in their
// own precision (a single-precision item shows the 4-byte value).
TEST(FreeForm, ItemsAfterOneBlankAndRealsLookingLikeReals) {
  auto out = TextOutput::InMemory();
  FreeFormLine(*out).Text(" LA,TIME ").Integer(-3).Real(0.5).End();
  FreeFormLine(*out).Real(86400).Real(-0.0).Real(1e22).Real(-INFINITY).Real(NAN).End();
  FreeFormLine(*out).SingleReal(0.1).SingleReal(3.0).End();
  EXPECT_EQ(out->Contents(), "  LA,TIME  -3 0.5\n  86400.0 0.0 1e+22 -Infinity NaN\n  0.1 3.0\n");
}

// Counting up in the text gives the items of the numbers themselves, also
// where a carry adds a digit, up to the largest 4-byte integer.
TEST(FreeForm, CounterWritesTheItemsOfConsecutiveNumbers) {
  for (int32_t first : {0, 1, 7, 99990, 999999990, 2147483637}) {
    FreeFormCounter counter(first);
    const int32_t last = first + std::min(200000, 2147483647 - first);
    for (int32_t n = first;; ++n, counter.Next()) {
      char expected[kMaxFreeFormNumber], written[kMaxFreeFormNumber + 16];
      const std::string_view want(expected, WriteFreeFormInteger(expected, n) - expected);
      const std::string_view got(written, counter.Write(written) - written);
      ASSERT_EQ(got, want) << n;
      if (n == last) break;
    }
  }
}

}  // namespace
