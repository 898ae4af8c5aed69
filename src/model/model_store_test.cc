#include "model/model_store.h"

#include <gtest/gtest.h>

#include "model/elem_columns.h"

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif

int32_t ReadInt(const int32_t* at) { return *static_cast<const volatile int32_t*>(at); }
double ReadReal(const double* at) { return *static_cast<const volatile double*>(at); }

TEST(ModelStoreDeathTest, ReadsPastTheCountsAreCaughtUnderAddressSanitizer) {
  if (!kAddressSanitizer) GTEST_SKIP() << "only the sanitizer build can catch them";
  ModelStore model;
  model.PrepareNodeArrays(7);
  model.PrepareElemArrays(3);
  EXPECT_EQ(ReadReal(model.NodeHead + 7) + ReadInt(model.NodeCode + 7), 0.0);
  EXPECT_EQ(ReadInt(model.ElemNodes + ElemColumns::Index(3, 5)), 0);
  EXPECT_DEATH(ReadReal(model.NodeHead + 8), "use-after-poison");
  EXPECT_DEATH(ReadInt(model.ElemNodes + ElemColumns::Index(4, 2)), "use-after-poison");
  EXPECT_DEATH(ReadReal(model.ElemVX + 1000000), "use-after-poison");
  model.PrepareNodeArrays(2);  // a smaller model hides what the larger one used
  EXPECT_DEATH(ReadReal(model.NodeX + 3), "use-after-poison");
}

}  // namespace
