// The data-file conversion mode in whole runs: comment lines dropped, lines
// cut at 200 characters and kept to 5 at least, one note a cut line for the
// first ten and one for the rest.
#include "driver/comment_stripper.h"

#include <gtest/gtest.h>

#include <string>

#include "program_run.h"
#include "test_files.h"

namespace {

TEST(CommentStripping, AnyNonZeroModeCopiesTheFileWithoutComments) {
  const std::string dir = MakeScratchDir("strip");
  std::string long_lines, cut_lines, notes;
  for (int line = 11; line <= 21; ++line) {
    long_lines += std::string(250, 'z') + "\n";
    cut_lines += std::string(200, 'z') + "\n";
  }
  for (int line : {9, 11, 12, 13, 14, 15, 16, 17, 18, 19}) {
    notes += "rxpost: note: input.dat: line " + std::to_string(line) +
             " is longer than 200 characters; only its first 200 are copied\n";
  }
  // A tab is no blank, but one before column 5 makes a short line all the same.
  WriteWholeFile(dir + "/input.dat",
                 "# heading\nTITLE  \n # kept\n\x81\x94 full-width\n\nEND\r\n"
                 "  \t\n    \t\n" +
                     std::string(150, 'x') + std::string(60, ' ') +
                     "tail\n\x90\xDF\x93\x5F 12  \n" + long_lines + "last line without end");
  WriteWholeFile(dir + "/comments.dat", "# one\n#two\n");
  for (const char* mode : {"1", "5", "-1"}) {
    ProgramRun run = RunRxpost(dir, std::string(mode) + "\ninput.dat\n");
    EXPECT_EQ(run.exit_status, 0) << run.err;
    EXPECT_EQ(run.err, notes +
                           "rxpost: note: input.dat: 2 more lines are longer than 200 "
                           "characters and are cut too\n");
    EXPECT_TRUE(
        run.out.ends_with(" ****************************************************\n"
                          "  INPUT ANALYSIS DATA-FAILE with #comments\n"
                          " NMCLM 5\n NMCLM 5\n NMCLM 5\n"))
        << run.out;
    EXPECT_EQ(ReadWholeFile(dir + "/ANALYSIS.DAT"),
              "TITLE\n # kept\n     \nEND  \n  \t  \n    \t\n" + std::string(150, 'x') +
                  "\n\x90\xDF\x93\x5F 12\n" + cut_lines + "last line without end\n");
  }
  EXPECT_EQ(RunRxpost(dir, "1\ncomments.dat\n").exit_status, 0);
  EXPECT_EQ(ReadWholeFile(dir + "/ANALYSIS.DAT"), "");
  ProgramRun missing = RunRxpost(dir, "1\nnothere.dat\n");
  EXPECT_EQ(missing.exit_status, 2);
  EXPECT_TRUE(missing.err.starts_with("rxpost: nothere.dat: cannot open")) << missing.err;
}

}  // namespace
