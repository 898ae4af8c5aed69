// Whole runs of the command line: `rxpost info` on hand-made files of both
// simulators (expected text worked out by hand), the files it cannot read,
// bad options, the outputs `rxpost vtk` refuses, and progress shown only on a
// terminal; the velocities and active flags of `rxpost vtk`, read from the
// files by hand. VTK's own reader reads the files too (vtk_reader_check.py).
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "common/progress_line.h"
#include "program_run.h"
#include "reference.h"
#include "test_files.h"

namespace {

// Six nodes at x 0..2, y 0..1; a quadrilateral (velocity 3, 4), a triangle
// stored with its 3rd corner again (velocity 0, 1), an inactive triangle
// stored with 0 (velocity 100, 0). Step 5 at 0.5 has pressure heads 1..6 and
// discharges -0.25..2; step 7 at 1.5 has zeros.
MadeModel TinyModel(int32_t program_flag, const std::string& title) {
  MadeModel model;
  model.program_flag = program_flag;
  model.title = title;
  model.nodes = {{0, 0}, {1, 0}, {2, 0}, {0, 1}, {1, 1}, {2, 1}};
  model.elements = {{{1, 2, 5, 4}, 1}, {{2, 3, 6, 6}, 2}, {{2, 6, 5, 0}, 0}};
  const double d = program_flag == 1 ? 2 : 1;  // RX-DELM stores velocity times D
  MadeStep first{5, 0.5, {}, {{3 * d, 4 * d, d}, {0, 1 * d, d}, {100, 0, d}}};
  for (int i = 1; i <= 6; ++i)
    first.nodes.push_back({0, double(i), i == 1 ? -0.25 : i == 6 ? 2 : 0});
  MadeStep second{7, 1.5, std::vector<MadeNodeValues>(6), std::vector<MadeElementValues>(3)};
  model.steps = {first, second};
  return model;
}

std::string MakeFile(const std::string& dir, const std::string& name, const MadeModel& model,
                     MadeFault fault = MadeFault::kNone) {
  EXPECT_TRUE(WriteResultFile(dir + "/" + name, model, fault));
  return name;
}

std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> words;
  std::istringstream in(line);
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

// An error run: status 2, nothing on standard output, one line on standard
// error that holds `words`.
void ExpectError(const ProgramRun& run, const std::string& words) {
  EXPECT_EQ(run.exit_status, 2);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
  EXPECT_EQ(run.err.rfind("rxpost: ", 0), 0u) << run.err;
  EXPECT_NE(run.err.find(words), std::string::npos) << run.err;
}

TEST(CommandLine, InfoSummarizesModelAndStepsOfEachSimulator) {
  const std::string dir = MakeScratchDir("info");
  ProgramRun korin = RunRxpostCommand(dir, {"info", MakeFile(dir, "k.bin", TinyModel(0, "Tiny"))});
  EXPECT_EQ(korin.exit_status, 0) << korin.err;
  EXPECT_EQ(korin.err, "");
  const std::string head = korin.out.substr(0, korin.out.find("\n\n") + 2);
  EXPECT_EQ(head,
            "file       k.bin\n"
            "simulator  RX-KORIN (detected: 16 bytes a node)\n"
            "title      Tiny\n"
            "nodes      6\n"
            "elements   3: 2 active, 1 inactive; 1 quadrilaterals, 2 triangles\n"
            "x extent   0 to 2\n"
            "y extent   0 to 1\n"
            "steps      2\n\n");
  std::istringstream table(korin.out.substr(head.size()));
  std::vector<std::vector<std::string>> rows;
  for (std::string line; std::getline(table, line);) rows.push_back(Words(line));
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0], Words("step number time total head min total head max discharge min "
                           "discharge max velocity min velocity max"));
  // Total head = pressure head + y: 1 + 0 .. 6 + 1.
  EXPECT_EQ(rows[1], Words("1 5 0.5 1 7 -0.25 2 1 5"));
  EXPECT_EQ(rows[2], Words("2 7 1.5 0 1 0 0 0 0"));

  ProgramRun delm = RunRxpostCommand(
      dir, {"info", "--csv", MakeFile(dir, "d.bin", TinyModel(1, "Tiny \"delm\""))});
  EXPECT_EQ(delm.exit_status, 0) << delm.err;
  EXPECT_EQ(delm.out,
            "simulator,title,nodes,elements,active,inactive,quadrilaterals,triangles,"
            "x_min,x_max,y_min,y_max,steps\n"
            "RX-DELM,\"Tiny \"\"delm\"\"\",6,3,2,1,1,2,0,2,0,1,2\n\n"
            "step,number,time,total_head_min,total_head_max,discharge_min,discharge_max,"
            "velocity_min,velocity_max\n"
            "1,5,0.5,1,6,-0.25,2,1,5\n"
            "2,7,1.5,0,0,0,0,0,0\n");
}

TEST(CommandLine, InfoRefusesFilesItCannotRead) {
  const std::string dir = MakeScratchDir("info-errors");
  MadeModel empty = TinyModel(0, "no nodes");
  empty.nodes.clear(), empty.elements.clear(), empty.steps.clear();
  const std::string no_nodes = MakeFile(dir, "empty.bin", empty);
  ExpectError(RunRxpostCommand(dir, {"info", no_nodes}), "cannot tell RX-KORIN from RX-DELM");
  EXPECT_EQ(RunRxpostCommand(dir, {"info", no_nodes, "--program", "delm"}).exit_status, 0);

  MadeModel odd = TinyModel(0, "odd");
  odd.numnp_override = 5;  // 96 bytes for 5 nodes: neither 16 nor 36 a node
  ExpectError(RunRxpostCommand(dir, {"info", MakeFile(dir, "odd.bin", odd)}),
              "96 bytes for 5 nodes");
  const std::string korin = MakeFile(dir, "k.bin", TinyModel(0, "k"));
  ExpectError(RunRxpostCommand(dir, {"info", korin, "--program", "delm"}), "16 bytes a node");
  ExpectError(RunRxpostCommand(dir, {"info", "missing.bin"}), "missing.bin");
}

TEST(CommandLine, HelpVersionBadOptionsAndRefusedOutputs) {
  const std::string dir = MakeScratchDir("options");
  for (const auto& [args, text] : std::vector<std::pair<std::vector<std::string>, std::string>>{
           {{"--help"}, "Usage: rxpost [OPTIONS] [SUBCOMMAND]"},
           {{"--help"}, "Answer 0 first to convert a result file to\nrestart data, TECPLOT, FEMAP"},
           {{"--version"}, "rxpost "},
           {{"vtk", "--help"}, "Usage: rxpost vtk [OPTIONS] RESULT_FILE OUTPUT.pvd"}}) {
    ProgramRun run = RunRxpostCommand(dir, args);
    EXPECT_EQ(run.exit_status, 0);
    EXPECT_NE(run.out.find(text), std::string::npos) << run.out;
  }
  const std::string korin = MakeFile(dir, "k.bin", TinyModel(0, "k"));
  const std::string before = ReadWholeFile(dir + "/k.bin");
  ExpectError(RunRxpostCommand(dir, {"--bogus"}), "--bogus");
  ExpectError(RunRxpostCommand(dir, {"infos", korin}),
              "unknown command \"infos\"; the commands are info, vtk");
  ExpectError(RunRxpostCommand(dir, {"info"}), "RESULT_FILE is required");
  ExpectError(RunRxpostCommand(dir, {"info", korin, "--program", "femap"}), "femap");
  ExpectError(RunRxpostCommand(dir, {"vtk", korin}), "OUTPUT.pvd is required");
  ExpectError(RunRxpostCommand(dir, {"vtk", korin, "out.vtu"}), "must end in .pvd");
  ExpectError(RunRxpostCommand(dir, {"vtk", korin, "o.pvd", "--idle", "3"}), "--idle");
  for (const char* steps : {"-1", "last", "3,", "3,x", "3,-2"}) {
    ExpectError(RunRxpostCommand(dir, {"vtk", korin, "o.pvd", "--steps", steps}), "--steps");
  }
  // The outputs `rxpost vtk` refuses.
  ExpectError(RunRxpostCommand(dir, {"vtk", korin, "no/such/folder/o.pvd"}),
              "no/such/folder/o.pvd: cannot create file");
  ASSERT_EQ(symlink("k.bin", (dir + "/link.pvd").c_str()), 0);
  ExpectError(RunRxpostCommand(dir, {"vtk", korin, "link.pvd"}),
              "is the file \"k.bin\" that this run reads");
  EXPECT_EQ(ReadWholeFile(dir + "/k.bin"), before);
  const std::string usage = dir + "/usage.txt";
  EXPECT_EQ(std::system((MAKE_RESULT_FILE_BINARY " --help >" + usage).c_str()), 0);
  EXPECT_EQ(ReadWholeFile(usage).rfind("usage: make_result_file --program korin|delm", 0), 0u);
}

// Values that are not numbers are left out of the ranges and counted in a
// note; a step with nothing else shows "-".
TEST(CommandLine, InfoCountsTheValuesThatAreNotNumbers) {
  const std::string dir = MakeScratchDir("info-nan");
  MadeModel model = TinyModel(0, "nan");
  for (int n = 0; n < 3; ++n) model.steps[0].nodes[n].head = std::nan("");
  for (MadeNodeValues& node : model.steps[1].nodes) node.head = std::nan("");
  ProgramRun run = RunRxpostCommand(dir, {"info", MakeFile(dir, "nan.bin", model)});
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_EQ(run.err,
            "rxpost: note: step 1 (number 5): values that are not numbers (NaN), left out of the "
            "ranges: total head 3 of 6\n"
            "rxpost: note: step 2 (number 7): values that are not numbers (NaN), left out of the "
            "ranges: total head 6 of 6\n");
  const std::string steps = run.out.substr(run.out.rfind("velocity max\n") + 13);
  EXPECT_EQ(Words(steps), Words("1 5 0.5 5 7 -0.25 2 1 5  2 7 1.5 - - 0 0 0 0"));  // 4..6 + y 1
}

// Standard error closed at start: no file of the run takes its place.
TEST(CommandLine, ClosedStandardErrorIsNoPlaceForAnOutput) {
  const std::string dir = MakeScratchDir("closed-stderr");
  const std::string korin = MakeFile(dir, "k.bin", TinyModel(0, "k"));
  LiveRun run = StartRxpost(dir, "run", "", {"vtk", korin, "o.pvd", "--steps", "9"}, true);
  EXPECT_EQ(run.Wait(), 0);  // exited, status 0
  EXPECT_EQ(ReadWholeFile(dir + "/o.pvd").find("rxpost"), std::string::npos);
}

// The values of the array `name` of section `section` (PointData, CellData)
// of a .vtu file: raw appended data, a 64-bit byte count before each array.
template <typename T>
std::vector<T> VtuArray(const std::string& vtu, const std::string& section,
                        const std::string& name) {
  const size_t header = vtu.find("Name=\"" + name + "\"", vtu.find("<" + section));
  const size_t offset = std::stoul(vtu.substr(vtu.find("offset=\"", header) + 8));
  const size_t data = vtu.find('_', vtu.find("<AppendedData")) + 1 + offset;
  uint64_t bytes = 0;
  std::memcpy(&bytes, vtu.data() + data, sizeof bytes);
  std::vector<T> values(bytes / sizeof(T));
  std::memcpy(values.data(), vtu.data() + data + sizeof bytes, bytes);
  return values;
}

// Cells: active when their attribute is above 0, the velocity of every cell
// (RX-DELM: flow times 1/D); points: the mean over the active cells at them.
TEST(CommandLine, VtkVelocitiesAndActiveFlagsOfEveryCell) {
  for (int32_t flag : {0, 1}) {
    const std::string dir = MakeScratchDir("vtk-values");
    GridOptions options;
    options.program_flag = flag, options.nx = 7, options.ny = 6, options.seed = 3;
    const MadeModel model = MakeGridModel(options);
    ASSERT_EQ(RunRxpostCommand(dir, {"vtk", MakeFile(dir, "r.bin", model), "o.pvd"}).exit_status,
              0);
    const std::string vtu = ReadWholeFile(dir + "/o_000001.vtu");
    const MadeStep& step = model.steps.back();
    std::vector<uint8_t> active;
    std::vector<double> cell_velocity, point_velocity;
    for (size_t e = 0; e < model.elements.size(); ++e) {
      const MadeElementValues& v = step.elements[e];
      const double r = flag == 1 ? 1 / v.d : 1;
      active.push_back(model.elements[e].attribute > 0);
      cell_velocity.insert(cell_velocity.end(), {v.vx * r, v.vy * r, 0});
    }
    for (int n = 1; n <= static_cast<int>(model.nodes.size()); ++n) {
      const RefNodeAverage a = RefAverageAt(model, step, n);
      point_velocity.insert(point_velocity.end(),
                            {flag == 1 ? a.vx_by_d : a.vx, flag == 1 ? a.vy_by_d : a.vy, 0});
    }
    EXPECT_EQ(VtuArray<uint8_t>(vtu, "CellData", "active"), active);
    EXPECT_EQ(VtuArray<double>(vtu, "CellData", "velocity"), cell_velocity);
    EXPECT_EQ(VtuArray<double>(vtu, "PointData", "velocity"), point_velocity);
  }
}

uintmax_t FileSize(const std::string& path) { return std::filesystem::file_size(path); }

// A file that ends inside a step, as while a simulation writes it: `info` and
// `vtk` use its complete steps with one note; the dialogue refuses it and
// points to them. A file that ends inside its header, or whose framing is
// wrong, stays an error everywhere.
TEST(CommandLine, FileEndingInsideAStepGivesItsCompleteSteps) {
  const std::string dir = MakeScratchDir("growing");
  MadeModel first_only = TinyModel(1, "growing");
  first_only.steps.pop_back();
  const uintmax_t step_two_at = FileSize(dir + "/" + MakeFile(dir, "one.bin", first_only));
  for (MadeFault fault : {MadeFault::kCutInsideRecord, MadeFault::kLastStepWithoutElements}) {
    const std::string cut = MakeFile(dir, "cut.bin", TinyModel(1, "growing"), fault);
    const std::string present = std::to_string(FileSize(dir + "/cut.bin") - step_two_at);
    const std::string note = "rxpost: note: cut.bin: the file ends inside step 2 (" + present +
                             " bytes of it are there): the simulation may still be writing it";
    ProgramRun info = RunRxpostCommand(dir, {"info", cut});
    EXPECT_EQ(info.exit_status, 0) << info.err;
    EXPECT_EQ(info.err.rfind(note, 0), 0u) << info.err;
    EXPECT_EQ(info.err.find('\n'), info.err.size() - 1) << info.err;
    EXPECT_NE(info.out.find("\nsteps      1 complete; step 2 incomplete, " + present +
                            " bytes of it so far\n"),
              std::string::npos)
        << info.out;
    EXPECT_EQ(std::count(info.out.begin(), info.out.end(), '\n'), 11) << info.out;  // one step
    ProgramRun vtk = RunRxpostCommand(dir, {"vtk", cut, "o.pvd"});
    EXPECT_EQ(vtk.exit_status, 0);
    EXPECT_EQ(vtk.err.rfind(note, 0), 0u) << vtk.err;
    EXPECT_NE(ReadWholeFile(dir + "/o.pvd").find("timestep=\"0.5\""), std::string::npos);
    ProgramRun dialogue = RunRxpost(dir, "0\n0\n1\n1\ncut.bin\n");
    EXPECT_EQ(dialogue.exit_status, 2);
    EXPECT_NE(dialogue.err.find("rxpost: cut.bin: the file ends "), std::string::npos);
    EXPECT_NE(dialogue.err.find("`rxpost info` and `rxpost vtk` read the complete steps"),
              std::string::npos)
        << dialogue.err;
  }
  first_only.steps.clear();
  ExpectError(RunRxpostCommand(dir, {"info", MakeFile(dir, "head.bin", first_only,
                                                      MadeFault::kCutInsideRecord)}),
              "head.bin: the file ends inside record 5 (elements)");
  ExpectError(RunRxpostCommand(dir, {"vtk",
                                     MakeFile(dir, "framing.bin", TinyModel(1, "f"),
                                              MadeFault::kMismatchedFraming),
                                     "o.pvd"}),
              "framed inconsistently");
}

// The .pvd is replaced whole; the step files that an earlier collection of
// the name listed and the new one does not are removed, nothing else; a
// result file found faulty leaves the collection as it was.
TEST(CommandLine, VtkReplacesTheCollectionWholeAndRemovesOnlyItsOldStepFiles) {
  const std::string dir = MakeScratchDir("collection");
  const std::string korin = MakeFile(dir, "k.bin", TinyModel(0, "k"));
  ASSERT_EQ(RunRxpostCommand(dir, {"vtk", korin, "o.pvd", "--steps", "all"}).exit_status, 0);
  WriteWholeFile(dir + "/o_000009.vtu", "not listed");
  WriteWholeFile(dir + "/o_notes.vtu", "listed, not a step file");
  std::string pvd = ReadWholeFile(dir + "/o.pvd");
  pvd.insert(pvd.find("  </Collection>"), "<DataSet file=\"o_notes.vtu\"/>\n");
  WriteWholeFile(dir + "/o.pvd", pvd);
  const std::string second_step = ReadWholeFile(dir + "/o_000002.vtu");

  const std::string bad = MakeFile(dir, "bad.bin", TinyModel(0, "k"), MadeFault::kShortNodeRecord);
  ExpectError(RunRxpostCommand(dir, {"vtk", bad, "o.pvd", "--steps", "all"}), "bad.bin");
  EXPECT_EQ(ReadWholeFile(dir + "/o.pvd"), pvd);
  EXPECT_EQ(ReadWholeFile(dir + "/o_000002.vtu"), second_step);
  EXPECT_FALSE(FileExists(dir + "/o.pvd.tmp"));

  ProgramRun final_only = RunRxpostCommand(dir, {"vtk", korin, "o.pvd"});
  EXPECT_EQ(final_only.exit_status, 0) << final_only.err;
  EXPECT_NE(ReadWholeFile(dir + "/o.pvd")
                .find("timestep=\"1.5\" group=\"\" part=\"0\" "
                      "file=\"o_000001.vtu\""),
            std::string::npos);
  EXPECT_FALSE(FileExists(dir + "/o_000002.vtu"));
  EXPECT_TRUE(FileExists(dir + "/o_000009.vtu") && FileExists(dir + "/o_notes.vtu"));
  EXPECT_FALSE(FileExists(dir + "/o.pvd.tmp"));

  // Any case of .pvd; --steps 0 is the step numbered 0; a step request that
  // matches nothing names the numbers the file has.
  MadeModel zero = TinyModel(0, "zero");
  zero.steps[0].number = 0;
  const std::string zero_file = MakeFile(dir, "zero.bin", zero);
  EXPECT_EQ(RunRxpostCommand(dir, {"vtk", zero_file, "Z.PVD", "--steps", "0"}).exit_status, 0);
  EXPECT_NE(ReadWholeFile(dir + "/Z.PVD").find("timestep=\"0.5\""), std::string::npos);
  EXPECT_TRUE(FileExists(dir + "/Z_000001.vtu"));
  EXPECT_FALSE(FileExists(dir + "/Z_000002.vtu"));
  ProgramRun none = RunRxpostCommand(dir, {"vtk", korin, "n.pvd", "--steps", "6"});
  EXPECT_EQ(none.exit_status, 0);
  EXPECT_NE(none.err.find("no step matches --steps; the collection lists no data set (the step "
                          "numbers read: 5, 7)"),
            std::string::npos)
      << none.err;
}

TEST(CommandLine, ProgressOnlyWhenStandardErrorIsATerminalWithTheBytesWritten) {
  const std::string dir = MakeScratchDir("progress");
  const std::string korin = MakeFile(dir, "k.bin", TinyModel(0, "k"));
  const std::vector<std::string> args{"vtk", korin, "o.pvd", "--steps", "all"};
  EXPECT_EQ(RunRxpostCommand(dir, args).err, "");
  // An older, longer step file is written over and cut at its new end, so
  // the sizes add up to the bytes written.
  WriteWholeFile(dir + "/o_000001.vtu", std::string(100000, 'x'));
  ProgramRun shown = RunRxpostCommand(dir, args, true);
  EXPECT_EQ(shown.exit_status, 0);
  const uintmax_t bytes =
      FileSize(dir + "/o.pvd") + FileSize(dir + "/o_000001.vtu") + FileSize(dir + "/o_000002.vtu");
  EXPECT_EQ(ShownSize(999999) + ShownSize(451630980) + ShownSize(2050000000),
            "999999 bytes451.6 MB2.05 GB");
  EXPECT_NE(shown.err.find("rxpost: loading k.bin ..."), std::string::npos);
  EXPECT_NE(shown.err.find("\rrxpost: step 2 of 2 (number 7, time 1.5)"), std::string::npos);
  EXPECT_NE(
      shown.err.find("\rrxpost: 3 files, 2 steps written, " + std::to_string(bytes) + " bytes, "),
      std::string::npos)
      << shown.err;

  // The dialogue's pass over the steps: TECPLOT of every step.
  const std::string answers = "0\n0\n0\n1\nk.bin\n0\n2\nzones.dat\n-1\n";
  ProgramRun quiet = RunRxpost(dir, answers);
  EXPECT_EQ(quiet.err, "");
  ProgramRun dialogue = RunRxpost(dir, answers, true);
  EXPECT_EQ(dialogue.out, quiet.out);
  EXPECT_NE(dialogue.err.find("\rrxpost: step 1 of 2 (number 5, time 0.5)"), std::string::npos);
  EXPECT_NE(dialogue.err.find("\rrxpost: 1 file, 2 steps written, " +
                              std::to_string(FileSize(dir + "/zones.dat")) + " bytes, "),
            std::string::npos)
      << dialogue.err;
}

}  // namespace
