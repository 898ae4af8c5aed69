// The make_result_file program: the same file as the maker library for the
// same options, and exit status 2 for arguments it cannot use.
#include "result_file_maker.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "test_files.h"

namespace {

int RunMaker(const std::string& arguments) {
  int status = std::system(
      (std::string(MAKE_RESULT_FILE_BINARY) + " " + arguments + " 2>/dev/null").c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(MakeResultFileProgram, WritesTheFileOrExplainsItsArguments) {
  std::string dir = MakeScratchDir("maker-program");
  std::string good = "--program delm --nx 6 --ny 5 --steps 2 --seed 3 --step-times 0.5,1";
  EXPECT_EQ(RunMaker(good + " --out " + dir + "/a.bin"), 0);
  const GridOptions options{.program_flag = 1,
                            .nx = 6,
                            .ny = 5,
                            .steps = 2,
                            .seed = 3,
                            .step_numbers = {},
                            .step_times = {0.5, 1}};
  ASSERT_TRUE(WriteResultFile(dir + "/b.bin", MakeGridModel(options)));
  EXPECT_EQ(ReadWholeFile(dir + "/a.bin"), ReadWholeFile(dir + "/b.bin"));
  EXPECT_EQ(RunMaker(good + " --out " + dir + "/missing/a.bin"), 1);
  EXPECT_EQ(RunMaker(good), 2);  // no --out
  EXPECT_EQ(RunMaker(good + " --fault wrong --out " + dir + "/c"), 2);
  EXPECT_EQ(RunMaker("--program korin --nx x2 --ny 2 --steps 1 --seed 1 --out " + dir + "/c"), 2);
  EXPECT_FALSE(FileExists(dir + "/c"));
}

}  // namespace
