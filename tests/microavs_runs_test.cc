// Whole MicroAVS runs through the dialogue: "AVS.tmp" and the assembled file
// compared byte for byte with files derived independently from the model.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "program_run.h"
#include "reference.h"
#include "test_files.h"

namespace {

MadeModel Grid(int32_t program_flag) {
  GridOptions options;
  options.program_flag = program_flag, options.nx = 9, options.ny = 7, options.steps = 3;
  options.seed = 21 + program_flag;
  options.step_times = {0.0, 12.5, -3e-105};
  MadeModel model = MakeGridModel(options);
  // 1.00000 in 8 bytes, 1.00001 once rounded to 4 bytes.
  model.nodes[0].x = 1.0000049999;
  for (MadeStep& step : model.steps) step.nodes[0].head = 1.0000049999;
  return model;
}

// Runs menu answer 4 on `model` with a step request and compares both files
// with those expected for the steps at `kept`.
void ExpectMicroAvsRun(const MadeModel& model, int request, const std::vector<size_t>& kept) {
  std::string dir = MakeScratchDir("microavs");
  ASSERT_TRUE(WriteResultFile(dir + "/result.bin", model));
  WriteWholeFile(dir + "/AVS.tmp", std::string(200000, '#'));  // an earlier run's, longer
  ProgramRun run =
      RunRxpost(dir, "0\n0\n" + std::to_string(model.program_flag) +
                         "\n1\nresult.bin\n0\n4\nout.inp\n" + std::to_string(request) + "\n");
  EXPECT_EQ(run.exit_status, 0) << run.err;
  const RefMicroAvsFiles expected = RefMicroAvs(RefWithSteps(model, kept));
  ExpectSameText(ReadWholeFile(dir + "/AVS.tmp"), expected.temp, "AVS.tmp");
  ExpectSameText(ReadWholeFile(dir + "/out.inp"), expected.main, "out.inp");
}

TEST(MicroAvsRuns, OneThreeAndNoStepOfBothSimulators) {
  for (int32_t flag : {0, 1}) {
    ExpectMicroAvsRun(Grid(flag), 0, {2});
    ExpectMicroAvsRun(Grid(flag), -1, {0, 1, 2});
    ExpectMicroAvsRun(Grid(flag), 9, {});
  }
}

TEST(MicroAvsRuns, NoNodesNoElementsZeroDAndTheProductWithOneOverD) {
  MadeModel empty = Grid(0), nodes_only = Grid(1);
  empty.nodes.clear(), empty.elements.clear(), nodes_only.elements.clear();
  for (MadeStep& step : empty.steps) step.nodes.clear(), step.elements.clear();
  for (MadeStep& step : nodes_only.steps) step.elements.clear();
  ExpectMicroAvsRun(empty, -1, {0, 1, 2});
  ExpectMicroAvsRun(nodes_only, 2, {1});
  MadeModel delm = Grid(1);
  delm.elements[0].attribute = 1;
  delm.steps[2].elements[0].d = 0;  // active: infinite at its corners
  delm.steps[2].elements[1].d = 0;
  delm.steps[2].elements[1].vx = 0;  // 0/0
  // A flow whose velocity shows, even in single precision, that it is the
  // flow times 1/D and not the flow divided by D.
  const double flow = 4.8671276792301796, d = 3.9423828125;
  ASSERT_NE(RefReal(static_cast<float>(flow / d), 12, 5),
            RefReal(static_cast<float>(flow * (1 / d)), 12, 5));
  delm.steps[2].elements[2] = {flow, 0, d};
  ExpectMicroAvsRun(delm, 0, {2});
}

}  // namespace
