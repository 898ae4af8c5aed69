// The main output is written over an existing file from its start and cut at
// its end: nothing of a longer old file is left behind the new text, also
// when the run stops early.
#include <gtest/gtest.h>

#include <string>

#include "program_run.h"
#include "result_file_maker.h"
#include "test_files.h"

namespace {

TEST(OutputOverOldFile, NothingOfALongerOldFileIsLeft) {
  const std::string dir = MakeScratchDir("over-old");
  GridOptions options;
  options.steps = 2;
  ASSERT_TRUE(WriteResultFile(dir + "/result.bin", MakeGridModel(options)));
  const std::string answers = "0\n0\n0\n1\nresult.bin\n0\n2\nout.txt\n-1\n";
  ASSERT_EQ(RunRxpost(dir, answers).exit_status, 0);
  const std::string fresh = ReadWholeFile(dir + "/out.txt");

  WriteWholeFile(dir + "/out.txt", std::string(3 * fresh.size(), 'x'));
  ASSERT_EQ(RunRxpost(dir, answers).exit_status, 0);
  EXPECT_EQ(ReadWholeFile(dir + "/out.txt"), fresh);

  // End of input at the step question: the empty new file, not the old one.
  WriteWholeFile(dir + "/out.txt", std::string(1000, 'x'));
  EXPECT_EQ(RunRxpost(dir, answers.substr(0, answers.rfind("-1"))).exit_status, 2);
  EXPECT_EQ(ReadWholeFile(dir + "/out.txt"), "");
}

}  // namespace
