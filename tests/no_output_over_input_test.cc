// Whole runs in which an output of the run would be one of its inputs: the
// result file (also through a hard link, a symbolic link or another spelling),
// WORK.LST, and the data file of the conversion mode. Each ends with one error
// line, status 2, and every input byte for byte as it was. And runs that fail,
// are interrupted or meet another run in their folder: every file keeps its
// bytes; a finished run replaces its outputs whole.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <map>
#include <string>

#include "program_run.h"
#include "reference.h"
#include "result_file_maker.h"
#include "test_files.h"

namespace {

void ExpectRefusal(const ProgramRun& run, const std::string& line) {
  EXPECT_EQ(run.exit_status, 2);
  EXPECT_EQ(run.err, "rxpost: " + line + "\n");
  EXPECT_EQ(run.out.find("NORMAL TERMINATION"), std::string::npos);
}

TEST(NoOutputOverInput, TheResultFileUnderAnyNameIsNeverWritten) {
  const std::string dir = MakeScratchDir("over-input");
  ASSERT_TRUE(WriteResultFile(dir + "/result.bin", MakeGridModel({})));
  const std::string before = ReadWholeFile(dir + "/result.bin");
  ASSERT_EQ(link((dir + "/result.bin").c_str(), (dir + "/hard.bin").c_str()), 0);
  std::filesystem::create_symlink("result.bin", dir + "/soft.bin");
  WriteWholeFile(dir + "/WORK.LST", "a\nb\nc\nresult.bin\n");
  const std::string work_list = ReadWholeFile(dir + "/WORK.LST");
  for (const char* output : {"result.bin", "hard.bin", "soft.bin", "./result.bin"}) {
    ExpectRefusal(RunRxpost(dir, std::string("0\n0\n0\n1\nresult.bin\n0\n2\n") + output + "\n0\n"),
                  std::string(output) +
                      ": is the file \"result.bin\" that this run reads; it is left untouched");
  }
  ExpectRefusal(RunRxpost(dir, "0\n0\n0\n0\n0\n2\nWORK.LST\n0\n"),
                "WORK.LST: is the file \"WORK.LST\" that this run reads; it is left untouched");
  ExpectRefusal(RunRxpost(dir, "0\n0\n0\n0\n0\n2\nresult.bin\n0\n"),
                "result.bin: is the file \"result.bin\" that this run reads; it is left untouched");
  // An input that does not exist yet is refused as well, and not left behind.
  ExpectRefusal(RunRxpost(dir, "0\n0\n0\n1\nresult.bin\n0\n6\nPICKUP.INP\n0\n"),
                "PICKUP.INP: is the file \"PICKUP.INP\" that this run reads; it is left untouched");
  EXPECT_FALSE(FileExists(dir + "/PICKUP.INP"));
  EXPECT_EQ(ReadWholeFile(dir + "/result.bin"), before);
  EXPECT_EQ(ReadWholeFile(dir + "/WORK.LST"), work_list);
}

TEST(NoOutputOverInput, ConversionInputIsCheckedBeforeAnalysisDatIsOpened) {
  const std::string dir = MakeScratchDir("over-data");
  const std::string old_output = "old ANALYSIS.DAT\n";
  WriteWholeFile(dir + "/ANALYSIS.DAT", old_output);
  std::filesystem::create_symlink("ANALYSIS.DAT", dir + "/data.lnk");
  std::filesystem::create_directory(dir + "/folder");
  ExpectRefusal(RunRxpost(dir, "1\nANALYSIS.DAT\n"),
                "ANALYSIS.DAT: is the file \"ANALYSIS.DAT\" that this run reads; it is left "
                "untouched");
  ExpectRefusal(RunRxpost(dir, "1\ndata.lnk\n"),
                "ANALYSIS.DAT: is the file \"data.lnk\" that this run reads; it is left untouched");
  ExpectRefusal(RunRxpost(dir, "1\nfolder\n"),
                "folder: the data file is a directory, not a file to read");
  ExpectRefusal(RunRxpost(dir, "1\n/dev/zero\n"),
                "/dev/zero: the data file is a device, not a file to read");
  EXPECT_EQ(ReadWholeFile(dir + "/ANALYSIS.DAT"), old_output);
}

// Every file of a folder with its bytes, but for the runs' own standard
// streams and the lock file, which a run may leave.
std::map<std::string, std::string> FolderFiles(const std::string& dir) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    const std::string name = entry.path().filename().string();
    if (name.starts_with(".") || name == "rxpost.lock") continue;
    files[name] = entry.is_regular_file() ? ReadWholeFile(entry.path()) : "(not a file)";
  }
  return files;
}

// Compared name by name, so that a failure does not print whole files.
void ExpectSameFiles(const std::map<std::string, std::string>& now,
                     const std::map<std::string, std::string>& before, const std::string& run) {
  for (const auto& [name, bytes] : now) {
    EXPECT_TRUE(before.contains(name) && before.at(name) == bytes) << name << " made by " << run;
  }
  EXPECT_EQ(now.size(), before.size()) << run;
}

// A folder with results and the outputs of an earlier run.
std::string FolderWithOldOutputs(const std::string& label) {
  const std::string dir = MakeScratchDir(label);
  GridOptions grid;
  grid.nx = 8, grid.ny = 6, grid.steps = 3;
  EXPECT_TRUE(WriteResultFile(dir + "/result.bin", MakeGridModel(grid)));
  for (const char* name :
       {"keep.txt", "AVS.tmp", "HTIME.CSV", "PTIME.CSV", "QTIME.CSV", "VTIME.CSV", "VeTIME.CSV"}) {
    WriteWholeFile(dir + "/" + name, std::string("an earlier run's ") + name + "\n");
  }
  return dir;
}

using std::string_literals::operator""s;

const std::string kKorinMenu = "0\n0\n0\n1\nresult.bin\n0\n";

TEST(LostOutput, AFailedRunLeavesEveryFileAsItWas) {
  const struct {
    std::string pickup, answers, error;
  } cases[] = {
      {"", "6\nkeep.txt\n-1\n", "PICKUP.INP: cannot open the list of picked"},
      {"(folder)", "6\nkeep.txt\n-1\n",
       "PICKUP.INP: the list of picked nodes, elements and points is a directory, not a file"},
      {"", "2\nkeep.txt\n", "end of input before an answer was given"},
      {"", "2\nkeep.txt\nlast\n", "\"last\" is not a whole number"},
      {"", "4\nAVS.tmp\n-1\n", "AVS.tmp: is AVS.tmp, which this output kind writes itself"},
  };
  for (const auto& c : cases) {
    const std::string dir = FolderWithOldOutputs("lost");
    if (c.pickup == "(folder)") std::filesystem::create_directory(dir + "/PICKUP.INP");
    if (!c.pickup.empty() && c.pickup != "(folder)") WriteWholeFile(dir + "/PICKUP.INP", c.pickup);
    const auto before = FolderFiles(dir);
    ProgramRun run = RunRxpost(dir, kKorinMenu + c.answers);
    EXPECT_EQ(run.exit_status, 2) << c.answers;
    EXPECT_NE(run.err.find(c.error), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
    ExpectSameFiles(FolderFiles(dir), before, c.answers);
  }
  // A write that fails after steps were written (no file may grow past the
  // limit): in the pass; in FEMAP's first velocity family copied from an
  // earlier one (bytes 19,950 to 21,300 or so); and in the MicroAVS assembly
  // after AVS.tmp (17151 bytes) is whole.
  for (const auto& [kind, limit] : {std::pair{"2", 5000}, {"3", 20500}, {"4", 20000}}) {
    const std::string dir = FolderWithOldOutputs("lost-write");
    const auto before = FolderFiles(dir);
    LiveRun run =
        StartRxpost(dir, "run", kKorinMenu + (kind + "\nkeep.txt\n-1\n"s), {}, false, limit);
    EXPECT_EQ(run.Wait(), 2 << 8);  // exited, status 2
    EXPECT_EQ(ReadWholeFile(run.err_path),
              "rxpost: keep.txt: write failed: File too large; the file is left as it was\n");
    ExpectSameFiles(FolderFiles(dir), before, kind);
  }
}

// Caught waiting at the step question, an INTERP run has its main output and
// five tables begun: an interrupt removes them all and names them.
TEST(LostOutput, AnInterruptLeavesEveryFileAsItWasAndNamesTheUnwrittenOnes) {
  const std::string tables = "HTIME.CSV, PTIME.CSV, QTIME.CSV, VTIME.CSV, VeTIME.CSV";
  const struct {
    int signal;
    std::string main_output, line;
  } cases[] = {
      {SIGINT, "keep.txt", "SIGINT; not written, left as they were: keep.txt, " + tables},
      {SIGTERM, "new.txt", "SIGTERM; not written, left as they were: new.txt, " + tables},
      {SIGHUP, "/dev/null",
       "SIGHUP; not written, left as they were: " + tables + "; incomplete: /dev/null"},
      {SIGPIPE, "keep.txt", "SIGPIPE; not written, left as they were: keep.txt, " + tables},
  };
  for (const auto& c : cases) {
    const std::string dir = FolderWithOldOutputs("interrupt");
    WriteWholeFile(dir + "/PICKUP.INP", "2 2 2 2 1\n1 2\n3 4\n5 6\n7 8\n1.5 2.5\n");
    const auto before = FolderFiles(dir);
    LiveRun run = StartRxpost(dir, "run", kKorinMenu + "6\n" + c.main_output + "\n");
    ASSERT_TRUE(run.WaitForOutput("Input your interest"));
    kill(run.pid, c.signal);
    const int status = run.Wait();
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == c.signal) << status;
    EXPECT_EQ(ReadWholeFile(run.err_path), "rxpost: interrupted by " + c.line + "\n");
    ExpectSameFiles(FolderFiles(dir), before, c.main_output);
  }
}

// Two runs in one folder never share AVS.tmp or the tables: the second of a
// kind ends at once, writing nothing; a run of the other kind goes on.
TEST(LostOutput, ASecondRunCannotTakeTheFixedNameFilesOfAFirst) {
  const std::string dir = FolderWithOldOutputs("concurrent");
  WriteWholeFile(dir + "/PICKUP.INP", "1 0 0 0 0\n1\n");
  LiveRun microavs = StartRxpost(dir, "microavs", kKorinMenu + "4\nfirst.inp\n");
  ASSERT_TRUE(microavs.WaitForOutput("Input your interest"));
  const auto before = FolderFiles(dir);
  ProgramRun second = RunRxpost(dir, kKorinMenu + "4\nsecond.inp\n-1\n");
  EXPECT_EQ(second.exit_status, 2);
  EXPECT_EQ(second.err,
            "rxpost: AVS.tmp: is being written by another rxpost run in this folder; wait until "
            "it ends, or run in another folder\n");
  ExpectSameFiles(FolderFiles(dir), before, "a second run");
  LiveRun interp = StartRxpost(dir, "interp", kKorinMenu + "6\nfirst.txt\n");
  ASSERT_TRUE(interp.WaitForOutput("Input your interest"));
  second = RunRxpost(dir, kKorinMenu + "6\nsecond.txt\n-1\n");
  EXPECT_EQ(second.exit_status, 2);
  EXPECT_EQ(second.err.rfind("rxpost: HTIME.CSV: is being written by another rxpost run", 0), 0);
  for (LiveRun* first : {&microavs, &interp}) {
    ASSERT_EQ(write(first->answers, "-1\n", 3), 3);
    EXPECT_EQ(first->Wait(), 0) << ReadWholeFile(first->err_path);
  }
  EXPECT_NE(ReadWholeFile(dir + "/AVS.tmp").find("step    3"), std::string::npos);
}

// A finished run replaces a longer file whole: no old tail; mode and link kept.
TEST(LostOutput, AFinishedRunReplacesTheWholeFile) {
  const std::string dir = FolderWithOldOutputs("replaced");
  ASSERT_EQ(RunRxpost(dir, kKorinMenu + "2\nfresh.dat\n-1\n").exit_status, 0);
  const std::string fresh = ReadWholeFile(dir + "/fresh.dat");
  WriteWholeFile(dir + "/old.dat", fresh + "ZONE of an earlier run\n");
  std::filesystem::permissions(dir + "/old.dat", std::filesystem::perms(0640));
  std::filesystem::create_symlink("old.dat", dir + "/link.dat");
  ASSERT_EQ(RunRxpost(dir, kKorinMenu + "2\nlink.dat\n-1\n").exit_status, 0);
  EXPECT_EQ(ReadWholeFile(dir + "/old.dat"), fresh);
  EXPECT_TRUE(std::filesystem::is_symlink(dir + "/link.dat"));
  EXPECT_EQ(std::filesystem::status(dir + "/old.dat").permissions(), std::filesystem::perms(0640));
}

// Files of megabytes, written into disk blocks set aside ahead of their
// bytes, replace longer ones with exactly their own bytes, also where the
// process may make files only a little larger than they are.
TEST(LostOutput, LargeFilesReplaceLongerOnesToTheirLastByteWithinTheFileSizeLimit) {
  const std::string dir = MakeScratchDir("large");
  GridOptions grid;
  grid.nx = 120, grid.ny = 90, grid.steps = 3;
  const MadeModel model = MakeGridModel(grid);
  ASSERT_TRUE(WriteResultFile(dir + "/result.bin", model));
  const RefMicroAvsFiles microavs = RefMicroAvs(model);
  ASSERT_GT(microavs.temp.size(), size_t{3} << 20);
  WriteWholeFile(dir + "/AVS.tmp", microavs.temp + microavs.temp.substr(0, 99999));
  for (const auto& [kind, text] : {std::pair{"2", RefTecplotFile(model)}, {"4", microavs.main}}) {
    WriteWholeFile(dir + "/big.dat", text + text.substr(0, 99999));
    const long near_limit = static_cast<long>(std::max(text.size(), microavs.temp.size())) + 4096;
    for (long limit : {0L, near_limit}) {
      LiveRun run =
          StartRxpost(dir, "run", kKorinMenu + kind + "\nbig.dat\n-1\n", {}, false, limit);
      EXPECT_EQ(run.Wait(), 0) << ReadWholeFile(run.err_path);
      ExpectSameText(ReadWholeFile(dir + "/big.dat"), text, "kind "s + kind);
      WriteWholeFile(dir + "/big.dat", text + text.substr(0, 99999));
    }
  }
  ExpectSameText(ReadWholeFile(dir + "/AVS.tmp"), microavs.temp, "AVS.tmp");
}

// The result file cut inside its second step while the run waits at the step
// question (its first step is read by then): the run ends with one line
// naming a record of that step, and every output is left as it was.
TEST(LostOutput, AResultFileCutShortDuringTheRunEndsItLeavingEveryFileAsItWas) {
  for (const char* kind : {"2", "3", "4", "5"}) {
    const std::string dir = FolderWithOldOutputs("cut-during-run");
    GridOptions grid;  // steps of more than a megabyte, past what is read at once
    grid.nx = 220, grid.ny = 160, grid.steps = 2;
    ASSERT_TRUE(WriteResultFile(dir + "/two-steps.bin", MakeGridModel(grid)));
    grid.steps = 3;
    ASSERT_TRUE(WriteResultFile(dir + "/result.bin", MakeGridModel(grid)));
    const auto two_steps = std::filesystem::file_size(dir + "/two-steps.bin");
    const auto cut = two_steps - (std::filesystem::file_size(dir + "/result.bin") - two_steps) / 2;
    auto before = FolderFiles(dir);
    before["result.bin"].resize(cut);
    LiveRun run = StartRxpost(dir, "run", kKorinMenu + kind + "\nkeep.txt\n");
    ASSERT_TRUE(run.WaitForOutput("Input your interest"));
    std::filesystem::resize_file(dir + "/result.bin", cut);
    ASSERT_EQ(write(run.answers, "-1\n", 3), 3);
    EXPECT_EQ(run.Wait(), 2 << 8);  // exited, status 2
    const std::string err = ReadWholeFile(run.err_path);
    EXPECT_EQ(err.rfind("rxpost: result.bin: the file ends inside record ", 0), 0) << err;
    EXPECT_NE(err.find(" (step 2, "), std::string::npos) << err;
    EXPECT_EQ(err.find('\n'), err.size() - 1) << err;
    ExpectSameFiles(FolderFiles(dir), before, kind);
  }
}

}  // namespace
