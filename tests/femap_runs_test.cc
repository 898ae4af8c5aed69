// Whole FEMAP runs (menu answer 3) through the dialogue, on generated and
// hand-made result files of both simulators, each output file compared with
// the file derived independently by RefFemapFile.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "femap_reference.h"
#include "program_run.h"
#include "result_file_maker.h"
#include "test_files.h"

namespace {

struct Folder {
  std::string dir;
  MadeModel model;
};

Folder WriteFolder(const MadeModel& model) {
  Folder f{MakeScratchDir("femap"), model};
  EXPECT_TRUE(WriteResultFile(f.dir + "/result.bin", model));
  return f;
}

Folder GridFolder(int32_t program_flag, std::vector<int32_t> numbers) {
  GridOptions options;
  options.program_flag = program_flag, options.nx = 12, options.ny = 10, options.seed = 5;
  options.steps = static_cast<int32_t>(numbers.size());
  options.step_numbers = numbers;
  return WriteFolder(MakeGridModel(options));
}

// The output file of a run whose answers end with `step_answer`.
std::string RunFemap(const Folder& f, const std::string& step_answer, int exit_status = 0) {
  const std::string answers = "0\n0\n" + std::to_string(f.model.program_flag) +
                              "\n1\nresult.bin\n0\n3\nout.neu\n" + step_answer;
  ProgramRun run = RunRxpost(f.dir, answers);
  EXPECT_EQ(run.exit_status, exit_status) << run.err;
  return ReadWholeFile(f.dir + "/out.neu");
}

MadeModel KeepSteps(MadeModel model, const std::vector<size_t>& indexes) {
  std::vector<MadeStep> kept;
  for (size_t i : indexes) kept.push_back(model.steps[i]);
  model.steps = kept;
  return model;
}

// Ties in every extreme scan, attributes 2 and 7 besides 0 and -1, triangles
// stored both ways, a quadrilateral repeating a corner, a node of no element,
// reals whose fixed fields differ when rounded to single precision first.
MadeModel HandModel(int32_t program_flag) {
  MadeModel m;
  m.program_flag = program_flag;
  for (int k = 0; k < 13; ++k) m.nodes.push_back({.x = 1.5 * (k % 4) - 0.7, .y = -2.25 * (k / 4)});
  const int corners[7][4] = {{1, 2, 6, 5},  {2, 3, 7, 7},   {2, 7, 6, 0}, {3, 4, 8, 7},
                             {5, 6, 10, 9}, {6, 7, 11, 11}, {7, 8, 8, 12}};
  const int attributes[7] = {2, 7, 0, -1, 2, 7, 2};
  const double vx[7] = {0.5, -0.25, 0.5, 0.5, -0.25, 0.0625, 0.5};
  const double vy[7] = {0.1, 0.5, -0.2, 0.1, -0.2, 0.0, -0.25};
  const double d[7] = {2, 0.5, 4, 1, 8, 0.25, 3};
  MadeStep step;
  step.number = 3, step.time = 3600;
  for (int e = 0; e < 7; ++e) {
    m.elements.push_back({.attribute = attributes[e]});
    std::copy_n(corners[e], 4, m.elements.back().corners);
    step.elements.push_back({vx[e], vy[e], program_flag == 1 ? d[e] : 1.0});
  }
  const double heads[13] = {1, -5, 2, 20, 3, -5, 4, 5, 20, 6, 7, 8, 9};
  const double flows[13] = {3, 0, -5, 0, 3};
  for (int n = 0; n < 13; ++n) step.nodes.push_back({.head = heads[n], .flow = flows[n]});
  m.steps = {step, step};
  m.steps[1].number = 40, m.steps[1].time = 1.00005;  // 1.0001 in double, 1.0000 in single
  m.nodes[12].x = 1.0000005;                          // likewise at 6 digits
  return m;
}

TEST(FemapRuns, EverySelectedStepIsOneSetNumberedInWritingOrder) {
  for (int32_t flag : {0, 1}) {
    Folder f = GridFolder(flag, {1, 7, 40});
    ExpectSameFemap(RunFemap(f, "-1\n"), RefFemapFile(f.model));
    ExpectSameFemap(RunFemap(f, "40\n"), RefFemapFile(KeepSteps(f.model, {2})));
  }
}

TEST(FemapRuns, ModelAndGroupStandBeforeTheStepQuestion) {
  Folder no_steps = GridFolder(0, {});
  ExpectSameFemap(RunFemap(no_steps, "0\n"), RefFemapFile(no_steps.model));
  Folder cut_short = GridFolder(1, {1, 2});
  ExpectSameFemap(RunFemap(cut_short, "", 2), RefFemapFile(KeepSteps(cut_short.model, {})));
}

TEST(FemapRuns, TiesAttributesAndTrianglesOfAHandMadeModel) {
  for (int32_t flag : {0, 1}) {
    Folder f = WriteFolder(HandModel(flag));
    ExpectSameFemap(RunFemap(f, "-1\n"), RefFemapFile(f.model));
  }
  MadeModel inactive = HandModel(0);
  for (MadeElement& e : inactive.elements) e.attribute = -e.attribute / 2;
  Folder f = WriteFolder(inactive);
  ExpectSameFemap(RunFemap(f, "0\n"), RefFemapFile(KeepSteps(f.model, {1})));
}

// Vectors without entities head their values with zeros and entities 1 and 1.
TEST(FemapRuns, VectorsWithoutEntities) {
  MadeModel no_elements = HandModel(1);
  no_elements.elements.clear();
  for (MadeStep& step : no_elements.steps) step.elements.clear();
  MadeModel nothing = no_elements;
  nothing.program_flag = 0, nothing.nodes.clear();
  for (MadeStep& step : nothing.steps) step.nodes.clear();
  for (const MadeModel& model : {no_elements, nothing}) {
    Folder f = WriteFolder(model);
    ExpectSameFemap(RunFemap(f, "-1\n"), RefFemapFile(f.model));
  }
}

}  // namespace
