// Whole runs through the dialogue on generated result files of both
// simulators (quadrilaterals, triangles stored both ways, inactive elements),
// every output file compared with text derived independently from the model.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "program_run.h"
#include "reference.h"
#include "test_files.h"

namespace {

// A 12 x 10 grid with steps numbered 0, 5, 5, 7, timed 0, 1e-120 (a
// three-digit exponent), 9.99999999e5 (a rounding carry) and 7 days.
MadeModel MakeFolder(const std::string& dir, int32_t program_flag) {
  GridOptions options;
  options.program_flag = program_flag;
  options.nx = 12, options.ny = 10, options.steps = 4, options.seed = 11 + program_flag;
  options.step_numbers = {0, 5, 5, 7};
  options.step_times = {0.0, 1e-120, 9.99999999e5, 604800.0};
  MadeModel model = MakeGridModel(options);
  model.title = program_flag ? "DELM WRITER RUN" : "KORIN WRITER RUN";
  EXPECT_TRUE(WriteResultFile(dir + "/result.bin", model));
  int repeated_third = 0, zero_fourth = 0, inactive = 0;
  for (const MadeElement& e : model.elements) {
    repeated_third += e.corners[3] == e.corners[2];
    zero_fourth += e.corners[3] == 0;
    inactive += e.attribute <= 0;
  }
  EXPECT_TRUE(repeated_third > 0 && zero_fourth > 0 && inactive > 0) << "the grid lacks a case";
  return model;
}

// Runs a transfer of "result.bin" in `dir` for menu answer `kind` (with the
// head style when it is asked) and step request `request`; returns the output.
std::string RunKind(const std::string& dir, int32_t flag, int kind, int head_style, int request) {
  const bool asked = (kind == 1 || kind == -1) && flag == 0;
  const ProgramRun run = RunRxpost(dir, "0\n0\n" + std::to_string(flag) + "\n1\nresult.bin\n0\n" +
                                            std::to_string(kind) + "\n" +
                                            (asked ? std::to_string(head_style) + "\n" : "") +
                                            "out.txt\n" + std::to_string(request) + "\n");
  EXPECT_EQ(run.exit_status, 0) << run.err;
  return ReadWholeFile(dir + "/out.txt");
}

struct RunCase {
  int kind;
  int head_style;  // asked for RX-KORIN restart runs only
  int request;
  std::vector<size_t> written;  // indexes of the steps the run writes
};

const RunCase kRunCases[] = {
    {2, 0, 0, {0, 3}},  // final step, and the earlier step numbered 0
    {2, 0, -1, {0, 1, 2, 3}}, {2, 0, 5, {1, 2}},        {2, 0, 9, {}},     {5, 0, -3, {0, 1, 2, 3}},
    {5, 0, 0, {0, 3}},        {1, 0, -1, {0, 1, 2, 3}}, {1, 1, 0, {0, 3}}, {-1, 1, 5, {1, 2}},
};

TEST(WriterRuns, EveryKindAndStepRequestMatchesTheReference) {
  for (int32_t flag : {0, 1}) {
    const std::string dir = MakeScratchDir("writers");
    const MadeModel model = MakeFolder(dir, flag);
    for (const RunCase& c : kRunCases) {
      SCOPED_TRACE("flag " + std::to_string(flag) + ", kind " + std::to_string(c.kind) + ", step " +
                   std::to_string(c.request));
      const std::string out = RunKind(dir, flag, c.kind, c.head_style, c.request);
      const MadeModel written = RefWithSteps(model, c.written);
      if (c.kind == 1 || c.kind == -1) {
        ExpectSameText(out, RefRestartFile(written, flag == 0 ? c.head_style : 0, c.kind == 1));
      } else {
        ExpectSameText(out, c.kind == 2 ? RefTecplotFile(written) : RefMkViewFile(written));
      }
    }
  }
}

}  // namespace
