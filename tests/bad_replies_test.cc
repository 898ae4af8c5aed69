// Whole runs with replies and files a careful user or a hostile file could
// give: NUL bytes, endless and very long replies, a missing job list, non-numbers
// (named by the question as shown), byte-order marks, inputs that are no files.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
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

const std::string kKorinMenu = "0\n0\n0\n1\nresult.bin\n0\n";

// A reply that is no answer names the question as the screen asks it, says
// which answers it takes, and shows every byte a terminal would not.
TEST(BadReplies, NonNumbersNameTheQuestionAsShownAndTheAnswersItTakes) {
  const std::string dir = FolderWithResults();
  const std::pair<std::string, std::string> cases[] = {
      {kKorinMenu + "two\n",
       "\"Select data-Transfer type\": \"two\" is not a whole number; the question takes 1, -1, "
       "2, 3, 4, 5 or 6 (another whole number writes nothing)"},
      {kKorinMenu + "2\nout.dat\nlast\n",
       "\"Input your interest No. OF TIME STEP\": \"last\" is not a whole number; the question "
       "takes 0 (the final step), a negative whole number (every step) or a step number"},
      {"\x83\x66\xe3\x81\x82\xc2\x85\n", "\"\\x83f\xe3\x81\x82\\xc2\\x85\" is not a whole number"},
  };
  for (const auto& [answers, message] : cases) {
    const ProgramRun run = RunRxpost(dir, answers);
    EXPECT_EQ(run.exit_status, 2);
    EXPECT_EQ(run.err.rfind("rxpost: standard input: answer to ", 0), 0u) << run.err;
    EXPECT_NE(run.err.find(message), std::string::npos) << run.err;
  }
}

// Windows editors begin files with a byte-order mark: the answers, WORK.LST
// and PICKUP.INP are read as if it were not there.
TEST(BadReplies, ByteOrderMarksArePassedOver) {
  const std::string bom = "\xEF\xBB\xBF";
  std::string tables[2];
  for (int marked = 0; marked < 2; ++marked) {
    const std::string dir = FolderWithResults(), mark = marked ? bom : "";
    WriteWholeFile(dir + "/WORK.LST", mark + "a\nb\nc\nresult.bin\n");
    WriteWholeFile(dir + "/PICKUP.INP", mark + "2 0 0 0 0\n1 2\n");
    const ProgramRun run = RunRxpost(dir, mark + "0\n0\n0\n0\n0\n6\nout.txt\n-1\n");
    EXPECT_EQ(run.exit_status, 0) << run.err;
    tables[marked] = ReadWholeFile(dir + "/HTIME.CSV");
  }
  EXPECT_EQ(tables[1], tables[0]);
  EXPECT_NE(tables[0].find(",node,       1,       2,"), std::string::npos) << tables[0];
}

// A pipe without a writer, a folder or an endless line is refused at once,
// never waited on or read into memory.
TEST(BadReplies, InputsThatAreNoRegularFilesOrEndlessAreRefusedAtOnce) {
  const std::string dir = FolderWithResults();
  ASSERT_EQ(mkfifo((dir + "/pipe.bin").c_str(), 0600), 0);
  ExpectError(RunRxpost(dir, "0\n0\n0\n1\npipe.bin\n"),
              "pipe.bin: the result file is a pipe, not a file to read");
  ASSERT_EQ(mkfifo((dir + "/PICKUP.INP").c_str(), 0600), 0);
  ExpectError(RunRxpost(dir, kKorinMenu + "6\nout.txt\n-1\n"),
              "PICKUP.INP: the list of picked nodes, elements and points is a pipe, not a file to "
              "read");
  std::filesystem::remove(dir + "/PICKUP.INP");
  WriteWholeFile(dir + "/PICKUP.INP", "1 0 0 0 0 " + std::string(2 << 20, ' ') + "\n1\n");
  ExpectError(RunRxpost(dir, kKorinMenu + "6\nout.txt\n-1\n"),
              "PICKUP.INP: line 1 is longer than 1048576 bytes");
  EXPECT_EQ(RunRxpostCommand(dir, {"info", "pipe.bin"}).exit_status, 2);
}

// INTERP points in no element get one note, with the first of them; and the
// step answer that INTERP does not follow gets one too.
TEST(StderrNotes, InterpPointsOutsideTheMeshAndTheUnusedStepAnswer) {
  const std::string dir = FolderWithResults();
  WriteWholeFile(dir + "/PICKUP.INP", "0 0 0 0 3\n15 5\n-100 5\n1e6 2\n");
  const ProgramRun run = RunRxpost(dir, kKorinMenu + "6\nout.txt\n2\n");
  EXPECT_EQ(run.exit_status, 0) << run.err;
  EXPECT_EQ(run.err,
            "rxpost: note: PICKUP.INP: 2 of 3 interpolation points lie in no element and get "
            "pressure head 0 (total head = y): points 2 (x -100, y 5), 3 (x 1e+06, y 2)\n"
            "rxpost: note: menu answer 6 writes every step; the step answer 2 does not limit it\n");
}

}  // namespace
