#include "common/text_output.h"

#include <gtest/gtest.h>

#include <algorithm>
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
  // Compared without printing megabytes of text on a failure.
  const std::string written = ReadWholeFile(path);
  EXPECT_EQ(written.size(), expected.size());
  const size_t same =
      std::mismatch(written.begin(), written.end(), expected.begin(), expected.end()).first -
      written.begin();
  EXPECT_EQ(same, std::min(written.size(), expected.size())) << "bytes alike before a difference";
}

}  // namespace
