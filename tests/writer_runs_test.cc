// Whole runs through the dialogue on generated result files of both
// simulators (quadrilaterals, triangles stored both ways, inactive elements),
// every output file compared with text derived independently from the model.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "program_run.h"
#include "reference.h"
#include "result_file_maker.h"
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

// The model with only the steps at `indexes` (the ones a run should write).
MadeModel KeepSteps(MadeModel model, const std::vector<size_t>& indexes) {
  std::vector<MadeStep> kept;
  for (size_t i : indexes) kept.push_back(model.steps[i]);
  model.steps = kept;
  return model;
}

// The program may spell a head line's time in any free-form way that reads
// back to the stored value; the reference spells it "%.17g".
std::string WithHeadTimesAsG17(const std::string& text) {
  std::istringstream in(text);
  std::string result;
  for (std::string line; std::getline(in, line); result += line + "\n") {
    if (!line.starts_with("  LA,TIME ")) continue;
    const size_t at = line.rfind(' ') + 1;
    char time[40];
    std::snprintf(time, sizeof time, "%.17g", std::strtod(line.c_str() + at, nullptr));
    line.replace(at, std::string::npos, time);
  }
  return result;
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
      const MadeModel written = KeepSteps(model, c.written);
      if (c.kind == 1 || c.kind == -1) {
        ExpectSameText(WithHeadTimesAsG17(out),
                       RefRestartFile(written, flag == 0 ? c.head_style : 0, c.kind == 1));
      } else {
        ExpectSameText(out, c.kind == 2 ? RefTecplotFile(written) : RefMkViewFile(written));
      }
    }
  }
}

// The lines of the output of a run on `model`'s one step for menu answer
// `kind` (head style 0).
std::vector<std::string> OutputLines(const MadeModel& model, int kind) {
  const std::string dir = MakeScratchDir("examples");
  EXPECT_TRUE(WriteResultFile(dir + "/result.bin", model));
  return SplitLines(RunKind(dir, model.program_flag, kind, 0, 0));
}

// The example lines of each writer, on one model of 1234 nodes and 1100
// active elements of 1150 (one step at 86400): node 1 at (10, 2.5) with code
// 0 and pressure head -1.25 (RX-DELM: head 12, extra code 3, extra reals 1
// and 2); node 100 at x 1, elevation 2, pressure head -0.3 and no velocity;
// nodes 12 13 27 26 the unit square at (1, 2), node 12 with pressure head
// -0.3, the quadrilateral over them with attribute 3 and velocity
// (0.003, -0.004); a short title, closed in column 112.
TEST(WriterRuns, ExampleLines) {
  MadeModel model;
  model.title = "EXAMPLE";
  model.nodes.resize(1234);
  model.nodes[0] = {.x = 10, .y = 2.5, .extra_a = 1, .extra_b = 2, .extra_code = 3};
  model.nodes[99] = {1, 2}, model.nodes[11] = {1, 2}, model.nodes[12] = {2, 2};
  model.nodes[26] = {2, 3}, model.nodes[25] = {1, 3};
  model.elements = {{{12, 13, 27, 26}, 3}};
  for (int e = 2; e <= 1150; ++e) model.elements.push_back({{30, 31, 32, 33}, e % 23 == 0 ? 0 : 1});
  model.steps.resize(1);
  MadeStep& step = model.steps[0];
  step.number = 3, step.time = 86400;
  step.nodes.resize(1234);
  step.nodes[0].head = -1.25, step.nodes[99].head = -0.3, step.nodes[11].head = -0.3;
  step.elements.resize(1150);
  step.elements[0] = {0.003, -0.004};

  const std::vector<std::string> restart = OutputLines(model, 1);
  EXPECT_EQ(restart.at(0), "  LA,TIME  3 86400.0");
  EXPECT_EQ(restart.at(1),
            "         1,    0,  1.00000000000000000E+01,  2.50000000000000000E+00,"
            " -1.25000000000000000E+00,  0.00000000000000000E+00,");
  const std::vector<std::string> tecplot = OutputLines(model, 2);
  EXPECT_EQ(tecplot.at(0), "TITTLE = \"TIME=  8.6400000E+04 EXAMPLE" + std::string(73, ' ') + "\"");
  EXPECT_EQ(tecplot.at(3 + 99),
            "  1.0000000E+00,  2.0000000E+00, -3.0000000E-01,  1.7000000E+00,  0.0000000E+00,"
            "  0.0000000E+00,  0.0000000E+00,");
  EXPECT_EQ(tecplot.at(3 + 1234), "      12,      13,      27,      26");
  const std::vector<std::string> mkview = OutputLines(model, 5);
  EXPECT_EQ(mkview.at(0), "TIME=  8.6400E+04");
  EXPECT_EQ(mkview.at(2), "ZONE N=     1234, E=     1100, M=    1,NV= 6 ,EV= 5");
  EXPECT_EQ(mkview.at(4 + 11),
            " 0,  1.0000E+00,  2.0000E+00, -3.0000E-01,  1.7000E+00,  3.0000E-03, -4.0000E-03,"
            "  5.0000E-03,  0.0000E+00,");
  EXPECT_EQ(mkview.at(4 + 1234 + 1),
            " 0,      12,      13,      27,      26,       3,  1.5000E+00,  2.5000E+00,"
            "  3.0000E-03, -4.0000E-03,  5.0000E-03");

  model.program_flag = 1;
  step.nodes[0].head = 12;
  EXPECT_EQ(OutputLines(model, -1).at(0),
            "         1,    0,    3,  1.00000000000000000E+01,  2.50000000000000000E+00,"
            "  1.20000000000000000E+01,  0.00000000000000000E+00,  1.00000000000000000E+00,"
            "  2.00000000000000000E+00");
  EXPECT_EQ(OutputLines(model, 5).at(2), "ZONE N=     1234, E=     1100,M= 1 ,NV= 9 ,EV= 5");
}

}  // namespace
