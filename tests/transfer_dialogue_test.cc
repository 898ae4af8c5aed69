// Whole runs of the transfer dialogue: the console transcript byte for byte,
// the questions that repeat, the file choice, the stop, and the answers that
// end a run with an error.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "program_run.h"
#include "result_file_maker.h"
#include "test_files.h"

namespace {

const std::string kBanner =
    " ****************************************************\n"
    " *                                                  *\n"
    " *  KORIN/DELM RESULT TRANSFER/0 DATAfile CONVERT/1 *\n"
    " *                                                  *\n"
    " ****************************************************\n";

const std::string kInformationBox =
    "\n\n"
    "**********************************************\n"
    "* This program is for RX-DELM,RX-KORIN 2023  *\n"
    "*  It uses the 4th file inWORK.LST.          *\n"
    "*  rxpost: KORIN/DELM results to text files  *\n"
    "*   NUMNP= upto 5000000                      *\n"
    "*   NUMEL= upto 5000000                      *\n"
    "*--------------------------------------------*\n"
    "*                               Yes/0  No/1  *\n"
    "**********************************************\n";

const std::string kInputNo = "   INPUT No. ? =\n";
const std::string kProgramQuestion = "\n Which program output KORIN/0 DELM/1\n";

const std::string kFileChoiceBox =
    "\n"
    "    +--------------------------------------------+\n"
    "    | You can choose the file to transform.      |\n"
    "    |   Which is your choice?                    |\n"
    "    |                                            |\n"
    "    |   0:  the 4th file in WORK.LST             |\n"
    "    |   1:  input the file-name.                 |\n"
    "    +--------------------------------------------+\n"
    "\n";

const std::string kResultFileQuestion = "   INPUT KORIN/DELM result File Name. \n";

// Title echo and model size for a 12-node, 6-element model titled "DIALOG".
const std::string kModelSummary =
    " DIALOG" + std::string(74, ' ') + "\n" +
    " \x90\xDF\x93\x5F\x91\x8D\x90\x94\x81\x40 12\x20\x20\x97\x76\x91\x66\x91\x8D\x90\x94\x81\x40 "
    "6\n"
    "\n"
    "                \x83\x66\x81\x7C\x83\x5E\x81\x7C\x82\x6E\x82\x6A\x81\x48\x81\x40\x82\x78"
    "\x81\x5E\x82\x4F\x81\x40\x82\x6D\x81\x5E\x82\x50\n"
    "\n" +
    kInputNo;

const std::string kMenu =
    "   Select data-Transfer type\n"
    "   KORIN/DELM-ReStart  ------- 1(-1:NoHeadn)\n"
    "         TECPLOT  DATA ------- 2\n"
    "         FEMAP    DATA ------- 3\n"
    "         MicroAVS DATA ------- 4\n"
    "         mkVIEW   DATA ------- 5\n"
    "  INTERP/node/elemDATA ------- 6\n" +
    kInputNo;

const std::string kHeadStyleQuestion = "   Set Head-style  pres./0 total/1\n" + kInputNo;

const std::string kMainOutputQuestion =
    "  \n"
    "  \n"
    "   INPUT Main-Output File Name\n"
    "   Caution! the file is OVERWRITE !\n";

const std::string kStepQuestion =
    "  Input your interest\tNo. OF TIME STEP\n"
    "  Check file TIMESTEP.CSV on another window\n"
    "    If input (<0) No., All time step avairable \n"
    "    If input (0) No., Final time step avairable \n" +
    kInputNo;

constexpr const char* kNoOutputNote =
    "rxpost: note: menu answer 7 selects no output; the main output file is created and stays "
    "empty\n";

const std::string kClosing = "\n\n   <<<<<  OK! OK!  NORMAL TERMINATION  >>>>> \n  \n";

// A folder holding a 4 x 3 node result file "result.bin" of either simulator.
std::string FolderWithResults(int32_t program_flag) {
  std::string dir = MakeScratchDir("dialogue");
  GridOptions options;
  options.program_flag = program_flag;
  MadeModel model = MakeGridModel(options);
  model.title = "DIALOG";
  EXPECT_TRUE(WriteResultFile(dir + "/result.bin", model));
  return dir;
}

TEST(TransferDialogue, WholeTranscriptAsksTheHeadStyleForKorinRestart) {
  std::string dir = FolderWithResults(0);
  ProgramRun run = RunRxpost(dir, "0\n0\n0\n1\nresult.bin\n0\n-1\n1\nout.txt\n0\n");
  EXPECT_EQ(run.exit_status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, kBanner + kInformationBox + kInputNo + kProgramQuestion +
                         " OUTPUT of KORIN\n" + kFileChoiceBox + kInputNo + kResultFileQuestion +
                         kModelSummary + kMenu + kHeadStyleQuestion + kMainOutputQuestion +
                         kStepQuestion + kClosing);
}

// Each answer that does something unexpected gets one note on standard error.
TEST(TransferDialogue, ZeroOrOneQuestionsRepeatAndWorkListNamesTheFile) {
  std::string dir = FolderWithResults(1);
  WriteWholeFile(dir + "/WORK.LST", "first\nsecond\nthird\nresult.bin\nfifth\n");
  // Information box: 2 then 1; program: 2, -1, then 1; file choice: 3 then 0.
  // No head style for RX-DELM restart; a name of 25 characters; a step that
  // no step of the file has.
  ProgramRun run = RunRxpost(dir, "0\n2\n1\n2\n-1\n1\n3\n0\n0\n1\nabcdefghijklmnopqrstuvwxy\n9\n");
  EXPECT_EQ(run.exit_status, 0) << run.err;
  EXPECT_EQ(run.out, kBanner + kInformationBox + kInputNo + kInputNo + kProgramQuestion +
                         kProgramQuestion + kProgramQuestion + " OUTPUT of DELM\n" +
                         kFileChoiceBox + kInputNo + kInputNo + kModelSummary + kMenu +
                         kMainOutputQuestion + kStepQuestion + kClosing);
  const auto asked_again = [](const std::string& answer, const std::string& question) {
    return "rxpost: note: answer " + answer + " to \"" + question +
           "\" is neither 0 nor 1; the question is asked again\n";
  };
  const std::string program = "Which program output KORIN/0 DELM/1";
  EXPECT_EQ(run.err,
            asked_again("2", "information box") + asked_again("2", program) +
                asked_again("-1", program) + asked_again("3", "file choice") +
                "rxpost: note: answer to \"  INPUT Main-Output File Name\": the file name "
                "\"abcdefghijklmnopqrstuvwxy\" is cut to 20 characters; \"abcdefghijklmnopqrst\" "
                "is used\n"
                "rxpost: note: the step request 9 matches no step of \"result.bin\" (2 steps "
                "read); no step is written\n");
  EXPECT_EQ(ReadWholeFile(dir + "/abcdefghijklmnopqrst"), "");
}

TEST(TransferDialogue, RejectedModelStopsWith1111BeforeAnyOutputFile) {
  std::string dir = FolderWithResults(0);
  ProgramRun run = RunRxpost(dir, "0\n0\n0\n1\nresult.bin\n1\n2\nout.txt\n0\n");
  EXPECT_EQ(run.exit_status, 1111 % 256);
  EXPECT_EQ(run.err, "STOP 1111\n");
  EXPECT_EQ(run.out, kBanner + kInformationBox + kInputNo + kProgramQuestion +
                         " OUTPUT of KORIN\n" + kFileChoiceBox + kInputNo + kResultFileQuestion +
                         kModelSummary);
  EXPECT_FALSE(FileExists(dir + "/out.txt"));
}

// On a terminal whose locale shows UTF-8 the Japanese texts are converted from
// code page 932; every other byte, and every byte on a terminal of another
// character set, is as written to a file.
TEST(TransferDialogue, JapaneseTextsAreShownInUtf8OnAUtf8TerminalOnly) {
  std::string dir = FolderWithResults(0);
  const std::string answers = "0\n0\n0\n1\nresult.bin\n1\n";
  const ProgramRun to_file = RunRxpost(dir, answers);
  const ProgramRun utf8 = RunRxpostOnTerminal(dir, answers, "C.UTF-8");
  const ProgramRun ascii = RunRxpostOnTerminal(dir, answers, "C");
  std::string expected = to_file.out;
  const std::pair<std::string, std::string> kShown[] = {
      {"\x90\xDF\x93\x5F\x91\x8D\x90\x94\x81\x40", "節点総数　"},
      {"\x97\x76\x91\x66\x91\x8D\x90\x94\x81\x40", "要素総数　"},
      {"\x83\x66\x81\x7C\x83\x5E\x81\x7C\x82\x6E\x82\x6A\x81\x48\x81\x40\x82\x78\x81\x5E"
       "\x82\x4F\x81\x40\x82\x6D\x81\x5E\x82\x50",
       "デ－タ－ＯＫ？　Ｙ／０　Ｎ／１"},
  };
  for (const auto& [cp932, shown] : kShown) {
    const size_t at = expected.find(cp932);
    ASSERT_NE(at, std::string::npos) << "missing from the redirected output";
    expected.replace(at, cp932.size(), shown);
  }
  EXPECT_EQ(utf8.exit_status, 1111 % 256);
  EXPECT_EQ(utf8.out, expected);
  EXPECT_EQ(ascii.out, to_file.out);
}

// Every way the dialogue can go wrong ends with one line on standard error
// that names the file or question, status 2, and no closing banner.
void ExpectOneLineError(const ProgramRun& run, const std::string& must_contain) {
  EXPECT_EQ(run.exit_status, 2) << run.err;
  EXPECT_TRUE(run.err.starts_with("rxpost: ")) << run.err;
  EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
  EXPECT_NE(run.err.find(must_contain), std::string::npos) << run.err;
  EXPECT_EQ(run.out.find("NORMAL TERMINATION"), std::string::npos);
}

TEST(TransferDialogue, EndOfInputAtEveryQuestionBadRepliesAndFilesAreErrors) {
  std::string dir = FolderWithResults(0);
  std::string given;
  for (const char* answer : {"0", "0", "0", "1", "result.bin", "0", "1", "0", "out.txt", "0"}) {
    ExpectOneLineError(RunRxpost(dir, given), "end of input before an answer was given");
    if (HasFailure()) return;  // a run that hangs takes the watchdog's time
    given += std::string(answer) + "\n";
  }
  dir = FolderWithResults(0);
  ASSERT_TRUE(WriteResultFile(dir + "/cut.bin", MakeGridModel({}), MadeFault::kCutInsideRecord));
  const std::string to_output = "0\n0\n0\n1\nresult.bin\n0\n2\n";
  for (const auto& [answers, phrase] : std::vector<std::pair<std::string, std::string>>{
           {"zero\n", "\"zero\" is not a whole number"},
           {"0\n0\n0\n1\nmissing.bin\n", "missing.bin"},
           {"0\n0\n0\n1\n   \n", "the file name is blank"},
           {"0\n0\n0\n0\n", "WORK.LST"},
           {"0\n0\n0\n1\ncut.bin\n0\n2\nout.txt\n0\n", "cut.bin"},
           {to_output + "/no/such/dir/x\n0\n", "/no/such/dir/x"}}) {
    ExpectOneLineError(RunRxpost(dir, answers), phrase);
  }
  EXPECT_FALSE(FileExists(dir + "/out.txt"));
  WriteWholeFile(dir + "/WORK.LST", "a\nb\nc\n");
  ExpectOneLineError(RunRxpost(dir, "0\n0\n0\n0\n"), "WORK.LST: holds fewer than four lines");
  ProgramRun full = RunRxpost(dir, to_output + "/dev/full\n-1\n");
  ExpectOneLineError(full, "/dev/full: write failed");
  EXPECT_TRUE(full.out.ends_with(kStepQuestion)) << "the console lost what it showed";
}

TEST(TransferDialogue, DelmResultsAnsweredAsKorinGetAWarningOrAHint) {
  std::string dir = MakeScratchDir("wrong-program");
  GridOptions options;
  options.program_flag = 1;
  MadeModel delm = MakeGridModel(options);
  ASSERT_TRUE(WriteResultFile(dir + "/delm.bin", delm));
  // Its element record is too short for the RX-KORIN layout: an error, with a hint.
  ProgramRun failed = RunRxpost(dir, "0\n0\n0\n1\ndelm.bin\n0\n2\nout.txt\n0\n");
  ExpectOneLineError(failed, "answer 1 to the program question");
  // Without elements it loads; the run goes on after a warning.
  delm.elements.clear();
  for (MadeStep& step : delm.steps) step.elements.clear();
  ASSERT_TRUE(WriteResultFile(dir + "/nodes-only.bin", delm));
  ProgramRun warned = RunRxpost(dir, "0\n0\n0\n1\nnodes-only.bin\n0\n7\nout.txt\n0\n");
  EXPECT_EQ(warned.exit_status, 0);
  EXPECT_EQ(warned.err,
            "rxpost: warning: nodes-only.bin: the node record holds 36 bytes a node, as RX-DELM "
            "results do; it is read as RX-KORIN results, as answered\n" +
                std::string(kNoOutputNote));
}

TEST(TransferDialogue, KindsWithoutAWriterCreateAnEmptyOutputAndReadEveryStep) {
  std::string dir = FolderWithResults(0);
  for (const char* kind : {"0", "7", "-2"}) {
    ProgramRun run =
        RunRxpost(dir, std::string("0\n0\n0\n1\nresult.bin\n0\n") + kind + "\nout.txt\n-1\n");
    EXPECT_EQ(run.exit_status, 0) << kind << run.err;
    EXPECT_TRUE(run.out.ends_with(kStepQuestion + kClosing)) << kind;
    EXPECT_EQ(ReadWholeFile(dir + "/out.txt"), "") << kind;
  }
}

}  // namespace
