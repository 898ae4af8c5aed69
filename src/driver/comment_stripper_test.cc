// The comment stripper: line by line, and in whole runs of the data-file
// conversion mode.
#include "driver/comment_stripper.h"

#include <gtest/gtest.h>

#include <string>

#include "program_run.h"
#include "test_files.h"
#include "text_capture.h"

namespace {

// Each line as copied, and whether it was reported (fewer than five columns
// before its trailing blanks).
TEST(CommentStripping, LinesKeepFiveColumnsAtLeastAnd200AtMost) {
  const struct {
    std::string line, copied;
    bool reported;
  } kLines[] = {
      {"data # trailing", "data # trailing\n", false},
      {"  \t", "  \t  \n", true},  // a tab is not a blank, but it sits before column 5
      {"    \t", "    \t\n", false},
      {std::string(150, 'x') + std::string(60, ' ') + "tail", std::string(150, 'x') + "\n", false},
      {"\x90\xDF\x93\x5F 12  ", "\x90\xDF\x93\x5F 12\n", false},
  };
  for (const auto& c : kLines) {
    bool reported = false;
    EXPECT_EQ(CaptureText([&](TextOutput& out) { reported = CopyDataLine(c.line, out); }),
              c.copied);
    EXPECT_EQ(reported, c.reported) << c.line;
  }
}

TEST(CommentStripping, AnyNonZeroModeCopiesTheFileWithoutComments) {
  const std::string dir = MakeScratchDir("strip");
  WriteWholeFile(dir + "/input.dat", "# heading\nTITLE  \n # kept\n\x81\x94 full-width\n\nEND\n" +
                                         std::string(250, 'z') + "\nlast line without end");
  WriteWholeFile(dir + "/comments.dat", "# one\n#two\n");
  for (const char* mode : {"1", "5", "-1"}) {
    ProgramRun run = RunRxpost(dir, std::string(mode) + "\ninput.dat\n");
    EXPECT_EQ(run.exit_status, 0) << run.err;
    EXPECT_EQ(run.err,
              "rxpost: note: input.dat: line 7 is longer than 200 characters; only its first 200 "
              "are copied\n");
    EXPECT_TRUE(
        run.out.ends_with(" ****************************************************\n"
                          "  INPUT ANALYSIS DATA-FAILE with #comments\n NMCLM 5\n NMCLM 5\n"))
        << run.out;
    EXPECT_EQ(
        ReadWholeFile(dir + "/ANALYSIS.DAT"),
        "TITLE\n # kept\n     \nEND  \n" + std::string(200, 'z') + "\nlast line without end\n");
  }
  EXPECT_EQ(RunRxpost(dir, "1\ncomments.dat\n").exit_status, 0);
  EXPECT_EQ(ReadWholeFile(dir + "/ANALYSIS.DAT"), "");
  ProgramRun missing = RunRxpost(dir, "1\nnothere.dat\n");
  EXPECT_EQ(missing.exit_status, 2);
  EXPECT_TRUE(missing.err.starts_with("rxpost: nothere.dat: cannot open")) << missing.err;
}

}  // namespace
