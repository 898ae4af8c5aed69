// `rxpost vtk --follow` on a result file that grows while it runs: how it
// ends (Ctrl-C or SIGTERM during a step, --idle, a file that shrinks or
// whose header changes) and what it leaves: a collection that lists exactly
// the complete step files. The growth piece by piece, with every step read
// back by VTK, is checked in vtk_reader_check.py.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "program_run.h"
#include "result_file_maker.h"
#include "test_files.h"

namespace {

// The file names the collection lists, in order.
std::vector<std::string> ListedFiles(const std::string& pvd_path) {
  std::vector<std::string> files;
  const std::string pvd = FileExists(pvd_path) ? ReadWholeFile(pvd_path) : "";
  for (size_t at = pvd.find("file=\""); at != std::string::npos; at = pvd.find("file=\"", at)) {
    at += 6;
    files.push_back(pvd.substr(at, pvd.find('"', at) - at));
  }
  return files;
}

// Waits up to 10 s for the collection to list `count` files.
std::vector<std::string> WaitForListing(const std::string& pvd_path, size_t count) {
  for (int i = 0; i < 1000 && ListedFiles(pvd_path).size() != count; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return ListedFiles(pvd_path);
}

void Append(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::app) << bytes;
}

// The bytes of a made grid model of `steps` steps, and the file size at the
// end of each step (from the same model made with fewer steps).
struct MadeBytes {
  std::string bytes;
  std::vector<size_t> step_ends;  // [0] is the end of the header
};

MadeBytes MakeBytes(const std::string& dir, int32_t steps) {
  MadeBytes made;
  for (int32_t k = 0; k <= steps; ++k) {
    GridOptions grid;
    grid.nx = 5, grid.ny = 4, grid.steps = k;
    const std::string path = dir + "/made" + std::to_string(k) + ".bin";
    EXPECT_TRUE(WriteResultFile(path, MakeGridModel(grid)));
    made.bytes = ReadWholeFile(path);
    made.step_ends.push_back(made.bytes.size());
  }
  return made;
}

// Every file the collection lists is there; the step files not listed are not.
void ExpectOnlyListedStepFiles(const std::string& dir, const std::vector<std::string>& listed) {
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    const std::string name = entry.path().filename();
    if (name.ends_with(".vtu")) {
      EXPECT_NE(std::find(listed.begin(), listed.end(), name), listed.end()) << name;
    }
  }
  for (const std::string& name : listed) EXPECT_TRUE(FileExists(dir + "/" + name)) << name;
  EXPECT_FALSE(FileExists(dir + "/o.pvd.tmp"));
}

TEST(FollowRuns, StopSignalDuringAStepLeavesTheCompleteOnes) {
  for (int signal : {SIGINT, SIGTERM}) {
    const std::string dir = MakeScratchDir("follow-stop");
    const MadeBytes made = MakeBytes(dir, 3);
    const std::string grows = dir + "/grows.bin";
    WriteWholeFile(grows, made.bytes.substr(0, made.step_ends[2] + 30));  // inside step 3
    StartedRun run =
        StartRxpostCommand(dir, {"vtk", "grows.bin", "o.pvd", "--steps", "all", "--follow"});
    EXPECT_EQ(WaitForListing(dir + "/o.pvd", 2).size(), 2u);
    kill(run.pid, signal);
    ProgramRun ended = WaitForRun(run);
    EXPECT_EQ(ended.exit_status, 0) << ended.err;
    const std::vector<std::string> listed = ListedFiles(dir + "/o.pvd");
    EXPECT_EQ(listed, (std::vector<std::string>{"o_000001.vtu", "o_000002.vtu"}));
    ExpectOnlyListedStepFiles(dir, listed);
  }
}

// --steps final: the collection follows the last step, whose file replaces
// the one before; a file that shrinks ends the run with one line and status 2,
// the collection as it was.
TEST(FollowRuns, FinalFollowsTheLastStepAndAShrinkingFileEndsTheRun) {
  const std::string dir = MakeScratchDir("follow-final");
  const MadeBytes made = MakeBytes(dir, 3);
  const std::string grows = dir + "/grows.bin";
  WriteWholeFile(grows, made.bytes.substr(0, made.step_ends[1]));
  StartedRun run = StartRxpostCommand(dir, {"vtk", "grows.bin", "o.pvd", "--follow"});
  EXPECT_EQ(WaitForListing(dir + "/o.pvd", 1), std::vector<std::string>{"o_000001.vtu"});
  // Step 2 in two pieces, the first ending inside its node record.
  Append(grows, made.bytes.substr(made.step_ends[1], 100));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  Append(grows,
         made.bytes.substr(made.step_ends[1] + 100, made.step_ends[3] - made.step_ends[1] - 100));
  const auto lists_step_3 = [&] {
    return ReadWholeFile(dir + "/o.pvd").find("timestep=\"259200\"") != std::string::npos;
  };
  for (int i = 0; i < 1000 && !lists_step_3(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  const std::string pvd = ReadWholeFile(dir + "/o.pvd");
  EXPECT_TRUE(lists_step_3()) << pvd;
  EXPECT_EQ(ListedFiles(dir + "/o.pvd").size(), 1u);

  WriteWholeFile(grows, made.bytes.substr(0, made.step_ends[0]));
  ProgramRun ended = WaitForRun(run);
  EXPECT_EQ(ended.exit_status, 2);
  EXPECT_EQ(ended.err.find('\n'), ended.err.size() - 1) << ended.err;
  EXPECT_NE(ended.err.find("rxpost: grows.bin: the file shrank from "), std::string::npos)
      << ended.err;
  EXPECT_EQ(ReadWholeFile(dir + "/o.pvd"), pvd);
  ExpectOnlyListedStepFiles(dir, ListedFiles(dir + "/o.pvd"));  // step 1's file removed
}

// --idle ends a run that sees no new step, with status 0; a changed title is
// a new run (status 2).
TEST(FollowRuns, IdleEndsTheRunAndAChangedTitleIsANewRun) {
  const std::string dir = MakeScratchDir("follow-idle");
  const MadeBytes made = MakeBytes(dir, 1);
  WriteWholeFile(dir + "/r.bin", made.bytes);
  const auto start = std::chrono::steady_clock::now();
  ProgramRun idle = RunRxpostCommand(dir, {"vtk", "r.bin", "o.pvd", "--follow", "--idle", "0.3"});
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(idle.exit_status, 0);
  EXPECT_EQ(idle.err, "rxpost: note: r.bin: no new step for 0.3 s (--idle); following ends\n");
  EXPECT_GE(took.count(), 0.3);
  EXPECT_LT(took.count(), 5.0);
  ProgramRun shown =
      RunRxpostCommand(dir, {"vtk", "r.bin", "o.pvd", "--follow", "--idle", "0.2"}, true);
  EXPECT_NE(shown.err.find("\rrxpost: 1 step written; waiting for step 2 of the file (0.0 MB of "
                           "it so far)"),
            std::string::npos)
      << shown.err;

  StartedRun run = StartRxpostCommand(dir, {"vtk", "r.bin", "p.pvd", "--follow"});
  EXPECT_EQ(WaitForListing(dir + "/p.pvd", 1).size(), 1u);
  std::fstream(dir + "/r.bin", std::ios::binary | std::ios::in | std::ios::out)
      .seekp(4)
      .put(made.bytes[4] == 'X' ? 'Y' : 'X');  // the title's first byte
  ProgramRun ended = WaitForRun(run);
  EXPECT_EQ(ended.exit_status, 2);
  EXPECT_NE(ended.err.find("r.bin: its title or mesh records changed"), std::string::npos)
      << ended.err;
  EXPECT_EQ(ListedFiles(dir + "/p.pvd").size(), 1u);
}

}  // namespace
