// Whole runs of the data-file conversion mode.
#include <gtest/gtest.h>

#include <string>

#include "program_run.h"
#include "test_files.h"

namespace {

const std::string kBannerAndQuestion =
    " ****************************************************\n"
    " *                                                  *\n"
    " *  KORIN/DELM RESULT TRANSFER/0 DATAfile CONVERT/1 *\n"
    " *                                                  *\n"
    " ****************************************************\n"
    "  INPUT ANALYSIS DATA-FAILE with #comments\n";

TEST(CommentStrippingRun, AnyNonZeroModeCopiesTheFileWithoutComments) {
  std::string dir = MakeScratchDir("strip");
  WriteWholeFile(dir + "/input.dat",
                 "# heading comment\n"
                 "TITLE  \n"
                 " # kept\n"
                 "\x81\x94 full-width comment\n"
                 "\n"
                 "END\n"
                 "1,2,3" +
                     std::string(100, ' ') + "\n" + std::string(250, 'z') +
                     "\n"
                     "last line without end");
  for (const char* mode : {"1", "5", "-1"}) {
    ProgramRun run = RunRxpost(dir, std::string(mode) + "\ninput.dat\n");
    EXPECT_EQ(run.exit_status, 0) << run.err;
    EXPECT_EQ(run.err,
              "rxpost: note: input.dat: line 8 is longer than 200 characters; only its first 200 "
              "are copied\n");
    EXPECT_EQ(run.out, kBannerAndQuestion + " NMCLM 5\n NMCLM 5\n");
    EXPECT_EQ(ReadWholeFile(dir + "/ANALYSIS.DAT"),
              "TITLE\n"
              " # kept\n"
              "     \n"
              "END  \n"
              "1,2,3\n" +
                  std::string(200, 'z') + "\n" + "last line without end\n");
  }
}

TEST(CommentStrippingRun, CommentsOnlyGiveAnEmptyFileAndAMissingInputIsAnError) {
  std::string dir = MakeScratchDir("strip-edge");
  WriteWholeFile(dir + "/comments.dat", "# one\n#two\n");
  ProgramRun run = RunRxpost(dir, "1\ncomments.dat\n");
  EXPECT_EQ(run.exit_status, 0) << run.err;
  EXPECT_EQ(ReadWholeFile(dir + "/ANALYSIS.DAT"), "");

  ProgramRun missing = RunRxpost(dir, "1\nnothere.dat\n");
  EXPECT_EQ(missing.exit_status, 2);
  EXPECT_TRUE(missing.err.starts_with("rxpost: nothere.dat: cannot open")) << missing.err;
}

}  // namespace
