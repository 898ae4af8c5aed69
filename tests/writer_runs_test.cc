// Whole runs through the dialogue on generated result files of both
// simulators (quadrilaterals, triangles stored both ways, inactive elements),
// every output file compared with text derived independently from the model.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "program_run.h"
#include "reference_text.h"
#include "result_file_maker.h"
#include "test_files.h"

namespace {

struct Fixture {
  std::string dir;
  MadeModel model;
};

Fixture MakeFolder(int32_t program_flag, std::vector<int32_t> numbers) {
  Fixture f{MakeScratchDir("writers"), {}};
  GridOptions options;
  options.program_flag = program_flag;
  options.nx = 12;
  options.ny = 10;
  options.steps = static_cast<int32_t>(numbers.size());
  options.seed = 11 + program_flag;
  options.step_numbers = numbers;
  f.model = MakeGridModel(options);
  f.model.title = program_flag ? "DELM WRITER RUN" : "KORIN WRITER RUN";
  EXPECT_TRUE(WriteResultFile(f.dir + "/result.bin", f.model));
  return f;
}

std::string Answers(int32_t program_flag, int kind, const std::string& head_style, int step) {
  return "0\n0\n" + std::to_string(program_flag) + "\n1\nresult.bin\n0\n" + std::to_string(kind) +
         "\n" + head_style + "out.txt\n" + std::to_string(step) + "\n";
}

// The model with only the steps at `indexes` (the ones a run should write).
MadeModel KeepSteps(MadeModel model, const std::vector<size_t>& indexes) {
  std::vector<MadeStep> kept;
  for (size_t i : indexes) kept.push_back(model.steps[i]);
  model.steps = kept;
  return model;
}

std::string RunKind(const Fixture& f, int kind, const std::string& head_style, int step) {
  ProgramRun run = RunRxpost(f.dir, Answers(f.model.program_flag, kind, head_style, step));
  EXPECT_EQ(run.exit_status, 0) << run.err;
  EXPECT_NE(run.out.find("NORMAL TERMINATION"), std::string::npos);
  return ReadWholeFile(f.dir + "/out.txt");
}

TEST(WriterRuns, GeneratedModelsHaveEveryKindOfElement) {
  for (int32_t flag : {0, 1}) {
    Fixture f = MakeFolder(flag, {1, 2});
    int triangles_repeating = 0, triangles_with_zero = 0, inactive = 0;
    for (const MadeElement& e : f.model.elements) {
      triangles_repeating += e.corners[3] == e.corners[2];
      triangles_with_zero += e.corners[3] == 0;
      inactive += e.attribute <= 0;
    }
    EXPECT_GT(triangles_repeating, 0);
    EXPECT_GT(triangles_with_zero, 0);
    EXPECT_GT(inactive, 0);
  }
}

TEST(WriterRuns, TecplotZonesForFinalEveryAndMatchingSteps) {
  for (int32_t flag : {0, 1}) {
    Fixture f = MakeFolder(flag, {1, 2, 3});
    EXPECT_EQ(RunKind(f, 2, "", 0), RefTecplotFile(KeepSteps(f.model, {2})));
    EXPECT_EQ(RunKind(f, 2, "", -1), RefTecplotFile(f.model));
    EXPECT_EQ(RunKind(f, 2, "", 2), RefTecplotFile(KeepSteps(f.model, {1})));
    EXPECT_EQ(RunKind(f, 2, "", 9), "");
  }
}

TEST(WriterRuns, TecplotTotalHeadIsPressureHeadPlusElevation) {
  Fixture f = MakeFolder(0, {4});
  std::istringstream zone(RunKind(f, 2, "", 0));
  std::string line;
  int node_lines = 0;
  while (std::getline(zone, line)) {
    if (std::count(line.begin(), line.end(), ',') != 7) continue;
    std::vector<double> v;
    for (size_t at = 0; at < line.size(); at += 16)
      v.push_back(std::strtod(line.c_str() + at, nullptr));
    EXPECT_NEAR(v[3], v[2] + v[1], 1e-6 * (std::abs(v[2]) + std::abs(v[1]))) << line;
    ++node_lines;
  }
  EXPECT_EQ(node_lines, 120);
}

TEST(WriterRuns, MkViewBlocksForBothSimulators) {
  for (int32_t flag : {0, 1}) {
    Fixture f = MakeFolder(flag, {0, 5, 7});
    EXPECT_EQ(RunKind(f, 5, "", -3), RefMkViewFile(f.model));
    // Request 0 takes the final step and the earlier step numbered 0.
    EXPECT_EQ(RunKind(f, 5, "", 0), RefMkViewFile(KeepSteps(f.model, {0, 2})));
  }
}

// Restart files match line for line; a head line's time may take any
// free-form spelling that reads back to the stored value.
void ExpectSameRestart(const std::string& actual, const std::string& expected) {
  std::istringstream a(actual), e(expected);
  std::string actual_line, expected_line;
  int lines = 0;
  while (std::getline(e, expected_line)) {
    ASSERT_TRUE(std::getline(a, actual_line)) << "missing line " << lines + 1;
    ++lines;
    if (!expected_line.starts_with("  LA,TIME ")) {
      EXPECT_EQ(actual_line, expected_line);
      continue;
    }
    size_t time_at = expected_line.rfind(' ') + 1;
    EXPECT_EQ(actual_line.substr(0, actual_line.rfind(' ') + 1), expected_line.substr(0, time_at));
    EXPECT_EQ(std::strtod(actual_line.c_str() + actual_line.rfind(' ') + 1, nullptr),
              std::strtod(expected_line.c_str() + time_at, nullptr));
  }
  EXPECT_FALSE(std::getline(a, actual_line)) << "extra line " << actual_line;
}

TEST(WriterRuns, RestartBlocksWithAndWithoutHeadLines) {
  Fixture korin = MakeFolder(0, {1, 2, 3});
  ExpectSameRestart(RunKind(korin, 1, "0\n", -1), RefRestartFile(korin.model, 0, true));
  ExpectSameRestart(RunKind(korin, 1, "1\n", 0),
                    RefRestartFile(KeepSteps(korin.model, {2}), 1, true));
  ExpectSameRestart(RunKind(korin, -1, "1\n", -1), RefRestartFile(korin.model, 1, false));
  Fixture delm = MakeFolder(1, {1, 2});
  ExpectSameRestart(RunKind(delm, 1, "", 1), RefRestartFile(KeepSteps(delm.model, {0}), 0, true));
  ExpectSameRestart(RunKind(delm, -1, "", -1), RefRestartFile(delm.model, 0, false));
}

TEST(WriterRuns, StepTimesWithOddValuesKeepTheirLayout) {
  Fixture f{MakeScratchDir("times"), {}};
  GridOptions options;
  options.steps = 3;
  options.step_numbers = {1, 2, 3};
  options.step_times = {0.0, 1e-120, 9.99999999e5};
  f.model = MakeGridModel(options);
  ASSERT_TRUE(WriteResultFile(f.dir + "/result.bin", f.model));
  EXPECT_EQ(RunKind(f, 2, "", -1), RefTecplotFile(f.model));
  EXPECT_EQ(RunKind(f, 5, "", -1), RefMkViewFile(f.model));
}

}  // namespace
