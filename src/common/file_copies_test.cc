#include "common/file_copies.h"

#include <gtest/gtest.h>

#include <string>

#include "common/platform.h"
#include "test_files.h"

namespace {

// A file written with gaps, each to be filled with an earlier part of it.
class GappedFile {
 public:
  explicit GappedFile(const std::string& label)
      : path_(MakeScratchDir(label) + "/gapped.txt"), file_(platform::CreateNew(path_, 0)) {}
  ~GappedFile() { platform::Close(file_); }
  void Write(const std::string& text) {
    ASSERT_EQ(platform::Write(file_, text.data(), text.size()), static_cast<int64_t>(text.size()));
    position_ += static_cast<int64_t>(text.size());
  }
  // Leaves a gap for `size` bytes; returns where it begins.
  int64_t Gap(int64_t size) {
    EXPECT_TRUE(platform::SkipAhead(file_, size));
    position_ += size;
    return position_ - size;
  }
  platform::FileHandle file() const { return file_; }
  std::string Contents() const { return ReadWholeFile(path_); }

 private:
  std::string path_;
  platform::FileHandle file_;
  int64_t position_ = 0;
};

// Gaps filled while the writer goes on past them, large copies (several of
// the system's steps) and small ones; a copy the system refuses (source and
// target overlap) is made by reading and writing.
TEST(FileCopies, GapsAreFilledWithTheEarlierBytesWhileTheWriterGoesOn) {
  if (!platform::kCopiesInsideFiles) GTEST_SKIP() << "this system does not copy inside files";
  std::string large;
  for (int i = 0; large.size() < (3 << 20); ++i) large += std::to_string(i) + ",";
  GappedFile file("file-copies");
  FileCopies copies(file.file());
  file.Write("head|" + large);
  copies.Add(5, file.Gap(static_cast<int64_t>(large.size())), static_cast<int64_t>(large.size()));
  file.Write("|mid|");
  copies.Add(0, file.Gap(4), 4);
  copies.Add(1, file.Gap(2), 2);
  file.Write("|tail");
  copies.Add(0, 3, 6);  // overlaps its source
  ASSERT_EQ(copies.Wait(), 0);
  const std::string written = "head|" + large + large + "|mid|" + "head" + "ea" + "|tail";
  std::string expected = written;
  expected.replace(3, 6, written.substr(0, 6));
  EXPECT_EQ(file.Contents(), expected);
}

// A copy that fails (its source lies past the end of the file) is reported by
// Wait with the system's reason, and the copies after it are not made.
TEST(FileCopies, AFailedCopyIsReportedAndTheLaterOnesAreDropped) {
  if (!platform::kCopiesInsideFiles) GTEST_SKIP() << "this system does not copy inside files";
  GappedFile file("file-copies-failed");
  FileCopies copies(file.file());
  file.Write("0123456789");
  copies.Add(100, file.Gap(4), 4);
  copies.Add(0, file.Gap(2), 2);
  file.Write("!");
  const int error = copies.Wait();
  EXPECT_NE(error, 0);
  EXPECT_FALSE(platform::ErrorText(error).empty());
  EXPECT_EQ(file.Contents(), "0123456789" + std::string(6, '\0') + "!");
}

}  // namespace
