// Whole runs with replies and files a careful user or a hostile file could
// give: NUL bytes, endless and very long replies, a missing job list, and the
// notes on standard error that tell when an answer did something unexpected.
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

constexpr const char* kModeAnswer =
    "standard input: answer to \"KORIN/DELM RESULT TRANSFER/0 DATAfile CONVERT/1\": ";
constexpr const char* kModeTakes =
    "; the question takes 0 (result transfer) or another whole number (data-file conversion)";

void ExpectError(const ProgramRun& run, const std::string& line) {
  EXPECT_EQ(run.exit_status, 2);
  EXPECT_EQ(run.err, "rxpost: " + line + "\n");
}

TEST(BadReplies, NulBytesAndLongRepliesAreShownEscapedAndCut) {
  const std::string dir = FolderWithResults();
  ExpectError(RunRxpost(dir, "0\n0\n0\n1\nresult.bin\n0\n2\nout\0x.dat\n0\n"s),
              "standard input: answer to \"INPUT Main-Output File Name\": the reply "
              "\"out\\x00x.dat\" holds a NUL byte");
  EXPECT_FALSE(FileExists(dir + "/out"));
  ExpectError(RunRxpost(dir, std::string(10000, '7') + "\n"),
              std::string(kModeAnswer) + "\"" + std::string(80, '7') +
                  "...\" (cut; 10000 bytes in all) is out of range" + kModeTakes);
  // An endless reply (here 1 MiB of NUL bytes) is not read to its end.
  std::string shown_nuls;
  for (int i = 0; i < 80; ++i) shown_nuls += "\\x00";
  ExpectError(RunRxpost(dir, std::string(1 << 20, '\0')), std::string(kModeAnswer) +
                                                              "the reply is longer than 65536 "
                                                              "bytes; it begins \"" +
                                                              shown_nuls + "...\"");
  ExpectError(RunRxpost(dir, "0\n0\n0\n0\n"),
              "WORK.LST: cannot open the job list: No such file or directory");
}

TEST(StderrNotes, AnswersThatDoSomethingUnexpectedGetOneNoteEach) {
  const std::string dir = FolderWithResults();
  // Information box 2, program 7, file choice 3, a name of 25 characters,
  // then a step that no step of the file has.
  ProgramRun run =
      RunRxpost(dir, "0\n2\n0\n7\n0\n3\n1\nresult.bin\n0\n2\nabcdefghijklmnopqrstuvwxy\n9\n");
  EXPECT_EQ(run.exit_status, 0) << run.err;
  EXPECT_EQ(run.err,
            "rxpost: note: answer 2 to \"Yes/0  No/1\" is neither 0 nor 1; the question is "
            "asked again\n"
            "rxpost: note: answer 7 to \"Which program output KORIN/0 DELM/1\" is neither 0 nor 1; "
            "the question is asked again\n"
            "rxpost: note: answer 3 to \"Which is your choice?\" is neither 0 nor 1; the question "
            "is asked "
            "again\n"
            "rxpost: note: answer to \"INPUT Main-Output File Name\": the file name "
            "\"abcdefghijklmnopqrstuvwxy\" is cut to 20 characters; \"abcdefghijklmnopqrst\" is "
            "used\n"
            "rxpost: note: the step request 9 matches no step of \"result.bin\" (2 steps read); no "
            "step is written\n");
  EXPECT_EQ(ReadWholeFile(dir + "/abcdefghijklmnopqrst"), "");
  EXPECT_EQ(run.out.find("note"), std::string::npos);
}

}  // namespace
