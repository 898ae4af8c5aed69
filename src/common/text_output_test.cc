#include "common/text_output.h"

#include <gtest/gtest.h>

#include <string>

#include "test_files.h"

namespace {

TEST(TextOutput, WritesEveryByteAcrossManyBufferFills) {
  std::string path = MakeScratchDir("text-output") + "/big.txt";
  std::string expected;
  {
    auto out = TextOutput::Create(path);
    for (int i = 0; i < 200000; ++i) {
      out->Append("line " + std::to_string(i));
      out->EndLine();
      expected += "line " + std::to_string(i) + "\n";
    }
    out->Append(std::string(3 << 20, 'y'));  // across three buffer fills at once
    expected.append(3 << 20, 'y');
    char* p = out->Reserve(TextOutput::kMaxReserve);
    std::fill_n(p, TextOutput::kMaxReserve, 'x');
    out->Commit(p + TextOutput::kMaxReserve);
    expected.append(TextOutput::kMaxReserve, 'x');
  }  // the destructor flushes the rest
  EXPECT_EQ(ReadWholeFile(path), expected);
}

}  // namespace
