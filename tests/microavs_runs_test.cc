// Whole MicroAVS runs through the dialogue: "AVS.tmp" and the assembled file
// compared byte for byte with files derived independently from the model.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/line_block_reader.h"
#include "common/run_error.h"
#include "microavs_reference.h"
#include "program_run.h"
#include "result_file_maker.h"
#include "test_files.h"
#include "text_capture.h"
#include "tiny_model.h"
#include "writers/microavs_assembly.h"

namespace {

MadeModel Grid(int32_t program_flag) {
  GridOptions options;
  options.program_flag = program_flag;
  options.nx = 9;
  options.ny = 7;
  options.steps = 3;
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
void ExpectMicroAvsRun(MadeModel model, int request, const std::vector<size_t>& kept) {
  std::string dir = MakeScratchDir("microavs");
  ASSERT_TRUE(WriteResultFile(dir + "/result.bin", model));
  WriteWholeFile(dir + "/AVS.tmp", std::string(200000, '#'));  // an earlier run's, longer
  ProgramRun run =
      RunRxpost(dir, "0\n0\n" + std::to_string(model.program_flag) +
                         "\n1\nresult.bin\n0\n4\nout.inp\n" + std::to_string(request) + "\n");
  EXPECT_EQ(run.exit_status, 0) << run.err;
  EXPECT_NE(run.out.find("NORMAL TERMINATION"), std::string::npos);
  std::vector<MadeStep> steps;
  for (size_t k : kept) steps.push_back(model.steps[k]);
  model.steps = steps;
  RefMicroAvsFiles expected = RefMicroAvs(model);
  EXPECT_EQ(ReadWholeFile(dir + "/AVS.tmp"), expected.temp);
  EXPECT_EQ(ReadWholeFile(dir + "/out.inp"), expected.main);
}

TEST(MicroAvsRuns, OneThreeAndNoStepOfBothSimulators) {
  for (int32_t flag : {0, 1}) {
    ExpectMicroAvsRun(Grid(flag), 0, {2});
    ExpectMicroAvsRun(Grid(flag), -1, {0, 1, 2});
    ExpectMicroAvsRun(Grid(flag), 9, {});
  }
}

TEST(MicroAvsRuns, NoNodesNoElementsAndZeroD) {
  MadeModel empty = Grid(0), nodes_only = Grid(1);
  empty.nodes.clear(), empty.elements.clear(), nodes_only.elements.clear();
  for (MadeStep& step : empty.steps) step.nodes.clear(), step.elements.clear();
  for (MadeStep& step : nodes_only.steps) step.elements.clear();
  ExpectMicroAvsRun(empty, -1, {0, 1, 2});
  ExpectMicroAvsRun(nodes_only, 2, {1});
  MadeModel zero_d = Grid(1);
  zero_d.elements[0].attribute = 1;
  zero_d.steps[2].elements[0].d = 0;  // active: infinite at its corners
  zero_d.steps[2].elements[1].d = 0;
  zero_d.steps[2].elements[1].vx = 0;  // 0/0
  ExpectMicroAvsRun(zero_d, 0, {2});
}

TEST(MicroAvsRuns, RefusesTheTemporaryFileAsMainOutput) {
  std::string dir = MakeScratchDir("microavs");
  ASSERT_TRUE(WriteResultFile(dir + "/result.bin", Grid(0)));
  ProgramRun run = RunRxpost(dir, "0\n0\n0\n1\nresult.bin\n0\n4\nAVS.tmp\n-1\n");
  EXPECT_EQ(run.exit_status, 2);
  EXPECT_EQ(run.err.rfind("rxpost: AVS.tmp: is the MicroAVS temporary file", 0), 0) << run.err;
}

// One RX-KORIN block of many nodes and no element, read over several blocks
// of the reader: node lines of many lengths, one longer than a whole block,
// most ending with CR LF (as the Windows build writes them), each copied as
// its first 85 characters padded with blanks.
TEST(MicroAvsAssembly, CopiesLinesAtTheirWidthsAndNamesATemporaryFileThatEndsEarly) {
  TinyModel tiny(40000, 0);
  std::string temp_text = "step\n5   3\n5\nP\nH\nX\nY\nV\n", copied_nodes;
  constexpr size_t kBlock = LineBlockReader::kBlockSize;
  for (int n = 1; n <= 40000; ++n) {
    size_t length = n % 7 * 20 + (n == 9999 ? 3 << 20 : 0);
    // A short line that runs over the end of a block ends there with its CR.
    const size_t block_end = (temp_text.size() / kBlock + 1) * kBlock;
    const bool over_block_end = temp_text.size() + length + 2 > block_end;
    if (over_block_end && n != 9999) length = block_end - temp_text.size() - 1;
    std::string line(length, static_cast<char>('a' + n % 26));
    temp_text += line + (n % 5 == 0 && !over_block_end ? "\n" : "\r\n");
    copied_nodes += (line + std::string(85, ' ')).substr(0, 85) + "\n";
  }
  const std::string temp = MakeScratchDir("microavs") + "/AVS.tmp";
  WriteWholeFile(temp, temp_text + "3\nX\nY\nV");
  std::string text = CaptureText(
      [&](TextOutput& out) { AssembleMicroAvsFile(out, tiny.model, Simulator::kKorin, 1, temp); });
  std::string label_lines = "X            \nY            \nV            \n";
  EXPECT_TRUE(text.ends_with(copied_nodes + "3            \n" + label_lines));
  try {
    CaptureText([&](TextOutput& out) {
      AssembleMicroAvsFile(out, tiny.model, Simulator::kKorin, 2, temp);
    });
    ADD_FAILURE() << "no error";
  } catch (const RunError& error) {
    EXPECT_EQ(std::string(error.what()),
              temp + ": ends after 40012 lines, where its step blocks need 80024");
  }
}

}  // namespace
