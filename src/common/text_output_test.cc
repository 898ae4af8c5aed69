#include "common/text_output.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "common/output_files.h"
#include "common/run_error.h"
#include "test_files.h"

namespace {

TEST(TextOutput, WritesEveryByteAcrossManyBufferFills) {
  std::string path = MakeScratchDir("text-output") + "/big.txt";
  std::string expected;
  {
    OutputFiles files;
    auto out = files.Create(path);
    for (int i = 0; i < 200000; ++i) {
      std::string line = "line " + std::to_string(i);
      out->Append(line);
      out->EndLine();
      expected += line + "\n";
    }
    char* p = out->Reserve(TextOutput::kMaxReserve);
    for (size_t i = 0; i < TextOutput::kMaxReserve; ++i) *p++ = 'x';
    out->Commit(p);
    expected += std::string(TextOutput::kMaxReserve, 'x');
  }  // the destructor flushes the rest
  // Compared without printing megabytes of text on a failure.
  const std::string written = ReadWholeFile(path);
  EXPECT_EQ(written.size(), expected.size());
  const size_t same =
      std::mismatch(written.begin(), written.end(), expected.begin(), expected.end()).first -
      written.begin();
  EXPECT_EQ(same, std::min(written.size(), expected.size())) << "bytes alike before a difference";
}

TEST(TextOutput, FullDiskIsAnErrorNamingTheFile) {
  OutputFiles files;
  auto out = files.Create("/dev/full");
  out->Append("some text\n");
  try {
    out->Flush();
    FAIL() << "a write to /dev/full succeeded";
  } catch (const RunError& error) {
    EXPECT_EQ(std::string(error.what()),
              "/dev/full: write failed: No space left on device; the file is incomplete");
  }
  // A long run of text hits the error when the buffer first fills.
  OutputFiles other_files;
  auto again = other_files.Create("/dev/full");
  EXPECT_THROW(again->Append(std::string(TextOutput::kBufferSize + 1, 'a')), RunError);
}

TEST(TextOutput, FolderThatDoesNotExistIsAnErrorNamingTheFile) {
  try {
    OutputFiles().Create("/nonexistent-folder/out.txt");
    FAIL() << "created a file in a missing folder";
  } catch (const RunError& error) {
    EXPECT_EQ(std::string(error.what()),
              "/nonexistent-folder/out.txt: cannot create file: No such file or directory");
  }
}

}  // namespace
