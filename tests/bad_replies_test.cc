// Whole runs with replies and files a careful user or a hostile file could
// give: NUL bytes, endless and very long replies, a missing job list.
#include <gtest/gtest.h>

#include <string>

#include "program_run.h"
#include "result_file_maker.h"
#include "test_files.h"

namespace {

using std::string_literals::operator""s;

std::string FolderWithResults() {
  const std::string dir = MakeScratchDir("replies");
  EXPECT_TRUE(WriteResultFile(dir + "/result.bin", MakeGridModel({})));
  return dir;
}

void ExpectError(const ProgramRun& run, const std::string& line) {
  EXPECT_EQ(run.exit_status, 2);
  EXPECT_EQ(run.err, "rxpost: " + line + "\n");
}

TEST(BadReplies, NulBytesAndLongRepliesAreShownEscapedAndCut) {
  const std::string dir = FolderWithResults();
  ExpectError(RunRxpost(dir, "0\n0\n0\n1\nresult.bin\n0\n2\nout\0x.dat\n0\n"s),
              "standard input: answer to \"  INPUT Main-Output File Name\": the reply "
              "\"out\\x00x.dat\" holds a NUL byte");
  EXPECT_FALSE(FileExists(dir + "/out"));
  ExpectError(RunRxpost(dir, "1\x1b[2J\n"),
              "standard input: answer to \"mode question\": \"1\\x1b[2J\" is not a whole number");
  ExpectError(RunRxpost(dir, std::string(10000, '7') + "\n"),
              "standard input: answer to \"mode question\": \"" + std::string(80, '7') +
                  "...\" (cut; 10000 bytes in all) is out of range");
  // An endless reply (here 1 MiB of NUL bytes) is not read to its end.
  std::string shown_nuls;
  for (int i = 0; i < 80; ++i) shown_nuls += "\\x00";
  ExpectError(RunRxpost(dir, std::string(1 << 20, '\0')),
              "standard input: answer to \"mode question\": the reply is longer than 65536 "
              "bytes; it begins \"" +
                  shown_nuls + "...\"");
  ExpectError(RunRxpost(dir, "0\n0\n0\n0\n"),
              "WORK.LST: cannot open the job list: No such file or directory");
}

}  // namespace
