// Whole FEMAP runs (menu answer 3) through the dialogue, on generated and
// hand-made result files of both simulators, each output file compared with
// the file derived independently by RefFemapFile.
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "program_run.h"
#include "reference.h"
#include "test_files.h"

namespace {

// Runs the dialogue on `model` with `step_answer` last; the model's steps
// keep those at `written` (all when empty), the ones the run should write.
void ExpectFemapRun(MadeModel model, const std::string& step_answer,
                    const std::vector<size_t>& written = {}) {
  const std::string dir = MakeScratchDir("femap");
  ASSERT_TRUE(WriteResultFile(dir + "/result.bin", model));
  const ProgramRun run = RunRxpost(dir, "0\n0\n" + std::to_string(model.program_flag) +
                                            "\n1\nresult.bin\n0\n3\nout.neu\n" + step_answer);
  EXPECT_EQ(run.exit_status, 0) << run.err;
  if (!written.empty()) model = RefWithSteps(model, written);
  ExpectSameText(ReadWholeFile(dir + "/out.neu"), RefFemapFile(model), "FEMAP file");
}

MadeModel Grid(int32_t program_flag, std::vector<int32_t> numbers) {
  GridOptions options;
  options.program_flag = program_flag, options.nx = 12, options.ny = 10, options.seed = 5;
  options.steps = static_cast<int32_t>(numbers.size()), options.step_numbers = numbers;
  return MakeGridModel(options);
}

// Ties in every extreme scan, attributes 2 and 7 besides 0 and -1, triangles
// stored both ways, a quadrilateral repeating a corner, a node of no element,
// reals whose fixed fields differ when rounded to single precision first.
MadeModel HandModel(int32_t program_flag) {
  MadeModel m;
  m.program_flag = program_flag;
  for (int k = 0; k < 13; ++k) m.nodes.push_back({.x = 1.5 * (k % 4) - 0.7, .y = -2.25 * (k / 4)});
  m.nodes[12].x = 1.0000005;  // 1.000001 in double, 1.000000 in single
  const int corners[7][4] = {{1, 2, 6, 5},  {2, 3, 7, 7},   {2, 7, 6, 0}, {3, 4, 8, 7},
                             {5, 6, 10, 9}, {6, 7, 11, 11}, {7, 8, 8, 12}};
  const int attributes[7] = {2, 7, 0, -1, 2, 7, 2};
  const double vx[7] = {0.5, -0.25, 0.5, 0.5, -0.25, 0.0625, 4.8671276792301796};
  const double vy[7] = {0.1, 0.5, -0.2, 0.1, -0.2, 0.0, -0.25};
  // Element 7: its flow divided by D and times 1/D differ in single precision.
  const double d[7] = {2, 0.5, 4, 1, 8, 0.25, 3.9423828125};
  const double heads[13] = {1, -5, 2, 20, 3, -5, 4, 5, 20, 6, 7, 8, 9},
               flows[13] = {3, 0, -5, 0, 3};
  MadeStep step;
  step.number = 3, step.time = 3600;
  for (int e = 0; e < 7; ++e) {
    m.elements.push_back({.attribute = attributes[e]});
    std::copy_n(corners[e], 4, m.elements.back().corners);
    step.elements.push_back({vx[e], vy[e], program_flag == 1 ? d[e] : 1.0});
  }
  for (int n = 0; n < 13; ++n) step.nodes.push_back({.head = heads[n], .flow = flows[n]});
  m.steps = {step, step};
  m.steps[1].number = 40, m.steps[1].time = 1.00005;  // 1.0001 in double, 1.0000 in single
  return m;
}

// A file without steps still has the model and its group.
TEST(FemapRuns, EverySelectedStepIsOneSetNumberedInWritingOrder) {
  for (int32_t flag : {0, 1}) {
    ExpectFemapRun(Grid(flag, {1, 7, 40}), "-1\n");
    ExpectFemapRun(Grid(flag, {1, 7, 40}), "40\n", {2});
  }
  ExpectFemapRun(Grid(0, {}), "0\n");
}

TEST(FemapRuns, TiesAttributesTrianglesAndVectorsWithoutEntities) {
  ExpectFemapRun(HandModel(0), "-1\n");
  ExpectFemapRun(HandModel(1), "-1\n");
  MadeModel inactive = HandModel(0);
  for (MadeElement& e : inactive.elements) e.attribute = -e.attribute / 2;
  ExpectFemapRun(inactive, "0\n", {1});
  // No elements, then no nodes either: zeros head the vectors, entities 1 and 1.
  MadeModel empty = HandModel(1);
  empty.elements.clear();
  for (MadeStep& step : empty.steps) step.elements.clear();
  ExpectFemapRun(empty, "-1\n");
  empty.program_flag = 0, empty.nodes.clear();
  for (MadeStep& step : empty.steps) step.nodes.clear();
  ExpectFemapRun(empty, "-1\n");
}

TEST(FemapRuns, AnAttributeBeyondAHundredThousandPropertiesIsRefused) {
  MadeModel corrupt = HandModel(0);
  corrupt.elements[4].attribute = 100001;
  const std::string dir = MakeScratchDir("femap-corrupt");
  ASSERT_TRUE(WriteResultFile(dir + "/result.bin", corrupt));
  const ProgramRun run = RunRxpost(dir, "0\n0\n0\n1\nresult.bin\n0\n3\nout.neu\n-1\n");
  EXPECT_EQ(run.exit_status, 2);
  EXPECT_EQ(run.err,
            "rxpost: FEMAP output: element 5 has attribute 100001; a property is written for every "
            "number up to the largest attribute, and more than 100000 are refused as a corrupt "
            "attribute\n");
}

// More than 65536 nodes and elements: the extremes are those of one pass in
// entity order, with ties across the whole file keeping the first entity and
// a value that is not a number never taking over, wherever they fall.
TEST(FemapRuns, ExtremesOfManyEntitiesAreThoseOfOnePassInOrder) {
  GridOptions options;
  options.program_flag = 1, options.nx = 300, options.ny = 222, options.steps = 1;
  MadeModel model = MakeGridModel(options);
  ASSERT_GT(model.elements.size(), size_t{65536});
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  std::vector<MadeNodeValues>& nodes = model.steps[0].nodes;
  std::vector<MadeElementValues>& elems = model.steps[0].elements;
  // Heads: the largest value at node 100 and again at node 65550; the
  // smallest at the last node. Flows: a NaN first in the second half and
  // the extremes after it, an infinity before.
  nodes[99].head = nodes[65549].head = 1e6;
  nodes.back().head = -1e6;
  nodes[65536].flow = nan, nodes[66000].flow = 5e5, nodes[66001].flow = -5e5;
  nodes[3].flow = -inf;
  // Element velocities: a NaN first in the second half, ties across halves.
  elems[65536].vx = nan, elems[65540].vx = 9e4, elems[7].vx = 9e4, elems[65600].vy = -7e4;
  ExpectFemapRun(model, "-1\n");
}

}  // namespace
