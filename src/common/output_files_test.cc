#include "common/output_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "common/run_error.h"
#include "test_files.h"

namespace {

using std::string_literals::operator""s;

std::string CreateError(OutputFiles& files, const std::string& path) {
  try {
    files.Create(path);
  } catch (const RunError& error) {
    return error.what();
  }
  return "created";
}

TEST(OutputFiles, TwoOutputsOfOneRunAreNeverTheSameFile) {
  const std::string dir = MakeScratchDir("outputs");
  OutputFiles files;
  auto main_output = files.Create(dir + "/AVS.tmp");
  main_output->Append("kept");
  // A link to the file yet to be made, then to the file made.
  std::filesystem::create_symlink(dir + "/AVS.tmp", dir + "/other");
  for (int finished = 0; finished < 2; ++finished) {
    EXPECT_EQ(CreateError(files, dir + "/other"),
              dir + "/other: is the file \"" + dir + "/AVS.tmp\" that this run already writes");
    main_output->Finish();
  }
  EXPECT_EQ(ReadWholeFile(dir + "/AVS.tmp"), "kept");
  EXPECT_EQ(CreateError(files, dir + "/second"), "created");
}

TEST(OutputFiles, AnInputMissingWhenRegisteredIsStillRefusedAndNotLeftBehind) {
  const std::string dir = MakeScratchDir("late-input");
  OutputFiles files;
  files.RegisterInput(dir + "/PICKUP.INP");
  EXPECT_EQ(CreateError(files, dir + "/PICKUP.INP"),
            dir + "/PICKUP.INP: is the file \"" + dir +
                "/PICKUP.INP\" that this run reads; it is left untouched");
  EXPECT_FALSE(FileExists(dir + "/PICKUP.INP"));
  EXPECT_EQ(CreateError(files, dir + "/x\0y"s), dir + "/x\\x00y: the name holds a NUL byte");
}

}  // namespace
