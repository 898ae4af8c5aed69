// Whole INTERP runs (menu answer 6) of both simulators: the main file and
// every table against text derived independently; a step request never
// limits the rows; a bad PICKUP.INP is an error before any row is written.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "program_run.h"
#include "reference.h"
#include "test_files.h"

namespace {

// Step request 9 of steps 1, 2, 3: every step still gets its rows, and no
// note says that the request matches no step.
ProgramRun RunInterp(const std::string& dir, const MadeModel& model, const std::string& pickup) {
  EXPECT_TRUE(WriteResultFile(dir + "/result.bin", model));
  if (!pickup.empty()) WriteWholeFile(dir + "/PICKUP.INP", pickup);
  return RunRxpost(
      dir, "0\n0\n" + std::to_string(model.program_flag) + "\n1\nresult.bin\n0\n6\nout.txt\n9\n");
}

void ExpectInterpFiles(const MadeModel& model, const std::string& pickup, const RefPicks& picks) {
  const std::string dir = MakeScratchDir("interp");
  ProgramRun run = RunInterp(dir, model, pickup);
  ASSERT_EQ(run.exit_status, 0) << run.err;
  // The note that INTERP follows every step, not that no step matches.
  EXPECT_TRUE(
      run.err.ends_with("menu answer 6 writes every step; the step answer 9 does not "
                        "limit it\n"))
      << run.err;
  // One blank line on the console before PICKUP.INP is read.
  EXPECT_NE(run.out.find("OVERWRITE !\n  \n  Input your interest"), std::string::npos);
  const std::map<std::string, std::string> expected = RefInterpFiles(model, picks);
  for (std::string name :
       {"out.txt", "HTIME.CSV", "PTIME.CSV", "QTIME.CSV", "VTIME.CSV", "VeTIME.CSV"}) {
    const std::string written =
        FileExists(dir + "/" + name) ? ReadWholeFile(dir + "/" + name) : "(none)";
    ExpectSameText(written, expected.contains(name) ? expected.at(name) : "(none)", name);
  }
}

MadeModel Grid(int32_t program_flag) {
  GridOptions options;
  options.program_flag = program_flag, options.nx = 30, options.ny = 20, options.steps = 3;
  return MakeGridModel(options);
}

TEST(InterpRuns, TablesFollowThePickedListsOfBothSimulators) {
  // 600 nodes and 300 elements (600 columns): lines of 500 items and of 100.
  std::string long_lists = "600 0 0 300 0\n";
  std::vector<int> first_600;
  for (int n = 1; n <= 600; ++n) {
    long_lists += std::to_string(n) + (n % 10 == 0 ? "\n" : " ");
    first_600.push_back(n);
  }
  for (int e = 300; e >= 1; --e) long_lists += std::to_string(e) + " ";
  for (int32_t flag : {0, 1}) {
    const MadeModel grid = Grid(flag);
    ExpectInterpFiles(grid, "3,0,0,0,0 left over\n10 20\n30 99\n", {.head = {10, 20, 30}});
    ExpectInterpFiles(grid, "-2 0 0 0 0\n5 7\n", {{5, 7}, {5, 7}, {5, 7}});
    ExpectInterpFiles(grid, "-2 3 0 0 2\n5 7\n1 2 3\n33.3 22.2\n-1D1 5\n",
                      {{5, 7}, {5, 7, 3}, {5, 7}, {}, {{33.3, 22.2}, {-10, 5}}});
    ExpectInterpFiles(grid, "0 4 -1 2 0\n1 2 3 4\n8 9\n", {.pres = {1, 2, 3, 4}, .vel = {8, 9}});
    ExpectInterpFiles(grid, "-2 -1 -3 0 0\n5 7\n", {.head = {5, 7}});  // no share below 0
    MadeModel no_steps = grid;  // headings only, and still no note
    no_steps.steps.clear();
    ExpectInterpFiles(no_steps, "3 0 0 0 0\n10 20 30\n", {.head = {10, 20, 30}});
    ExpectInterpFiles(grid, long_lists,
                      {.head = first_600, .vel = {first_600.rbegin() + 300, first_600.rend()}});
  }
}

// Quadrilaterals 1 and 2 (counter-clockwise, sharing the edge from node 2 to
// node 5), a clockwise quadrilateral 3, a quadrilateral 4 whose first
// triangle is degenerate (three nodes on a line) and a triangle 5 stored with
// a 4th corner of 0.
MadeModel ExactMesh(int32_t program_flag) {
  MadeModel model;
  model.program_flag = program_flag, model.title = "EXACT";
  const double xy[] = {0, 0, 2, 0, 4, 0, 0,  2, 2,  2, 4,  2, 6,  0,
                       8, 0, 8, 2, 6, 2, 10, 0, 12, 0, 14, 0, 12, 2};
  for (int i = 0; i < 28; i += 2) model.nodes.push_back({.x = xy[i], .y = xy[i + 1]});
  const int32_t corners[][4] = {
      {1, 2, 5, 4}, {2, 3, 6, 5}, {7, 10, 9, 8}, {11, 12, 13, 14}, {11, 12, 14, 0}};
  for (const auto& c : corners) model.elements.push_back({{c[0], c[1], c[2], c[3]}});
  for (int k = 1; k <= 3; ++k) {
    MadeStep step;
    step.number = k, step.time = 0.5 * k;
    for (int n = 1; n <= 14; ++n) step.nodes.push_back({.head = 1 + 0.37 * n + k, .flow = 0});
    for (int e = 1; e <= 5; ++e)
      step.elements.push_back({.vx = 1e-3 * e, .vy = 1.0 * k, .d = 0.5 + e});
    model.steps.push_back(step);
  }
  return model;
}

TEST(InterpRuns, PointsAtCornersEdgesAndOutsideTheElements) {
  // A corner, the shared edge, the (n1, n3, n4) half of quad 2, outside, the
  // clockwise quad, on degenerate triangle 4 (found in its second triangle),
  // where triangle 5 would hold it if its corner 0 were a node, on the border.
  const std::vector<std::pair<double, double>> points = {{0, 0}, {2, 1},  {2.5, 1.5}, {-1, -1},
                                                         {7, 1}, {11, 0}, {9, 0.5},   {1, 2}};
  std::string pickup = "0 0 0 0 8\n";
  for (auto [x, y] : points) pickup += std::to_string(x) + " " + std::to_string(y) + "\n";
  for (int32_t flag : {0, 1}) ExpectInterpFiles(ExactMesh(flag), pickup, {.points = points});
}

TEST(InterpRuns, BadPickupFileEndsTheRunBeforeAnyRow) {
  const std::pair<std::string, std::string> cases[] = {
      {"", "PICKUP.INP: cannot open"},
      {"3 0 0 0 0\n10 x1 30\n", "line 2: \"x1\", entry 2 of the total-head node list, is not a"},
      {"0 0 0 0 1\n1.5 1e999\n", "line 2: \"1e999\", y of interpolation point 1, is not a"},
      {"0 0 2 0 0\n\n5\n\n", "line 4: the file ends before entry 2 of the discharge-rate node"},
      {"0 0 0 0 2223\n", "line 1: the list of interpolation points would hold 2223 entries"},
      {"0 2 0 0 0\n5 601\n", "line 2: node 601, entry 2 of the pressure-head node list, is out"},
      {"0 0 0 1 0\n0\n", "line 2: element 0, entry 1 of the velocity element list, is outside"},
  };
  for (const auto& [pickup, message] : cases) {
    const std::string dir = MakeScratchDir("bad-pickup");
    ProgramRun run = RunInterp(dir, Grid(0), pickup);
    EXPECT_EQ(run.exit_status, 2) << pickup;
    EXPECT_NE(run.err.find(message), std::string::npos) << run.err;
    EXPECT_FALSE(FileExists(dir + "/HTIME.CSV"));
    EXPECT_FALSE(FileExists(dir + "/out.txt"));
  }
}

}  // namespace
