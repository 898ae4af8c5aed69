#include "common/progress_line.h"

#include <gtest/gtest.h>

namespace {

TEST(ProgressLine, SizesAreShownAsPeopleReadThem) {
  EXPECT_EQ(ShownSize(999999), "999999 bytes");
  EXPECT_EQ(ShownSize(451630980), "451.6 MB");
  EXPECT_EQ(ShownSize(2050000000), "2.05 GB");
}

}  // namespace
