// Whole runs on a model large enough for the formatting threads to split its
// node and element lines into several chunks: every kind's file is the same
// with two and three threads as with one (the threads serve every step and
// every block of the run) (which the other whole runs compare with
// independently derived text).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "program_run.h"
#include "reference.h"
#include "test_files.h"

namespace {

std::string Convert(const std::string& dir, int32_t flag, const std::string& kind_answers,
                    const char* threads) {
  setenv("RXPOST_THREADS", threads, 1);
  const ProgramRun run = RunRxpost(dir, "0\n0\n" + std::to_string(flag) + "\n1\nresult.bin\n0\n" +
                                            kind_answers + "out.txt\n-1\n");
  EXPECT_EQ(run.exit_status, 0) << run.err;
  return ReadWholeFile(dir + "/out.txt");
}

TEST(ThreadedRuns, MoreThreadsWriteTheBytesOfOne) {
  for (int32_t flag : {0, 1}) {
    const std::string dir = MakeScratchDir("threads");
    GridOptions options;
    options.program_flag = flag;
    options.nx = 120;
    options.ny = 90;  // 10,800 nodes and about as many elements: two chunks each
    options.steps = 2;
    options.seed = 5 + flag;
    const MadeModel model = MakeGridModel(options);
    ASSERT_TRUE(WriteResultFile(dir + "/result.bin", model));
    const std::string restart = flag == 0 ? "1\n1\n" : "1\n";
    for (const std::string& kind_answers : {std::string("2\n"), std::string("3\n"),
                                            std::string("4\n"), std::string("5\n"), restart}) {
      const std::string one = Convert(dir, flag, kind_answers, "1");
      EXPECT_GT(one.size(), 1000000u);
      for (const char* threads : {"2", "3"}) {
        ExpectSameText(Convert(dir, flag, kind_answers, threads), one,
                       "menu answer " + kind_answers + ", threads " + threads);
      }
    }
  }
  unsetenv("RXPOST_THREADS");
}

}  // namespace
