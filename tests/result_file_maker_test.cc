#include "result_file_maker.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

#include "test_files.h"

namespace {

GridOptions Grid(int32_t program_flag, int32_t nx, int32_t ny, int32_t steps, uint64_t seed) {
  GridOptions options;
  options.program_flag = program_flag;
  options.nx = nx;
  options.ny = ny;
  options.steps = steps;
  options.seed = seed;
  return options;
}

// Twice the signed area of the triangle of nodes a, b, c (numbered from 1).
double DoubleArea(const MadeModel& model, int32_t a, int32_t b, int32_t c) {
  const MadeNode &p = model.nodes[a - 1], &q = model.nodes[b - 1], &r = model.nodes[c - 1];
  return (q.x - p.x) * (r.y - p.y) - (r.x - p.x) * (q.y - p.y);
}

// Size of a file of the given layout, from the record table: every record
// adds 8 bytes of framing.
int64_t ExpectedFileSize(const MadeModel& model) {
  bool delm = model.program_flag == 1;
  int64_t nodes = static_cast<int64_t>(model.nodes.size());
  int64_t elements = static_cast<int64_t>(model.elements.size());
  int64_t header = (8 + 80) + (8 + 4) + (8 + nodes * (delm ? 36 : 16)) + (8 + 4) +
                   (8 + elements * (delm ? 28 : 36));
  int64_t step = (8 + 12) + (8 + nodes * 20) + (8 + elements * (delm ? 24 : 16));
  return header + step * static_cast<int64_t>(model.steps.size());
}

TEST(MakeGridModelTest, GridHasTheAdvertisedShape) {
  MadeModel model = MakeGridModel(Grid(0, 40, 30, 2, 5));
  ASSERT_EQ(model.nodes.size(), 1200u);
  for (int32_t j = 0; j < 30; ++j) {
    for (int32_t i = 0; i < 40; ++i) {
      const MadeNode& node = model.nodes[j * 40 + i];
      EXPECT_NEAR(node.x, 10.0 * i, 0.5);
      EXPECT_NEAR(node.y, 5.0 * j, 0.25);
    }
  }
  int cells = 39 * 29, quads = 0, repeated_third = 0, zero_fourth = 0, inactive = 0;
  std::set<int32_t> attributes;
  for (const MadeElement& e : model.elements) {
    const int32_t* c = e.corners;
    for (int k = 0; k < 3; ++k) ASSERT_TRUE(c[k] >= 1 && c[k] <= 1200);
    EXPECT_GT(DoubleArea(model, c[0], c[1], c[2]), 0.0);  // counter-clockwise
    if (c[3] == 0) {
      ++zero_fourth;
    } else if (c[3] == c[2]) {
      ++repeated_third;
    } else {
      ++quads;
      EXPECT_GT(DoubleArea(model, c[0], c[2], c[3]), 0.0);
    }
    attributes.insert(e.attribute);
    if (e.attribute <= 0) ++inactive;
  }
  // Split cells give two triangles each.
  EXPECT_EQ(quads + (repeated_third + zero_fourth) / 2, cells);
  EXPECT_EQ(model.elements.size(), static_cast<size_t>(quads + repeated_third + zero_fourth));
  EXPECT_TRUE(repeated_third > 0 && zero_fourth > 0);
  EXPECT_TRUE(quads > cells * 0.85 && quads < cells * 0.95) << quads;
  EXPECT_TRUE(inactive > 0.02 * cells && inactive < 0.08 * cells) << inactive;
  EXPECT_EQ(attributes, (std::set<int32_t>{-1, 0, 1, 2, 3}));
}

TEST(MakeGridModelTest, StepValuesFollowTheOptionsAndStayInRange) {
  MadeModel korin = MakeGridModel(Grid(0, 20, 20, 2, 9));
  ASSERT_EQ(korin.steps.size(), 2u);
  EXPECT_EQ(korin.steps[1].number, 2);
  EXPECT_EQ(korin.steps[1].time, 172800.0);

  GridOptions options = Grid(1, 20, 20, 3, 9);
  options.step_numbers = {3, 5, 9};
  options.step_times = {0.5, 1, 2};
  MadeModel delm = MakeGridModel(options);
  ASSERT_EQ(delm.steps.size(), 3u);
  EXPECT_EQ(delm.steps[2].number, 9);
  EXPECT_EQ(delm.steps[2].time, 2.0);
  int zero_flows = 0;
  std::set<int32_t> codes;
  for (const MadeStep& step : delm.steps) {
    ASSERT_EQ(step.nodes.size(), 400u);
    ASSERT_EQ(step.elements.size(), delm.elements.size());
    for (const MadeNodeValues& v : step.nodes) {
      EXPECT_TRUE(v.head >= -5 && v.head <= 20) << v.head;
      codes.insert(v.code);
      if (v.flow == 0) ++zero_flows;
    }
    for (const MadeElementValues& v : step.elements) {
      for (double speed : {std::fabs(v.vx), std::fabs(v.vy)}) {
        EXPECT_TRUE(speed >= 1e-6 && speed <= 1e-2) << speed;
      }
      EXPECT_TRUE(v.d >= 0.5 && v.d <= 5) << v.d;
    }
  }
  EXPECT_EQ(codes, (std::set<int32_t>{-1, 0, 1, 2}));
  EXPECT_GT(zero_flows, 100);
  EXPECT_NE(delm.nodes[7].extra_a, delm.nodes[8].extra_a);
}

TEST(WriteResultFileTest, WritesTheRecordsOfTheTable) {
  std::string dir = MakeScratchDir("maker");
  for (int32_t flag : {0, 1}) {
    MadeModel model = MakeGridModel(Grid(flag, 5, 4, 2, 3));
    model.title = "Short title";
    std::string path = dir + "/grid" + std::to_string(flag) + ".bin";
    ASSERT_TRUE(WriteResultFile(path, model));
    std::string bytes = ReadWholeFile(path);
    ASSERT_EQ(static_cast<int64_t>(bytes.size()), ExpectedFileSize(model));
    EXPECT_EQ(bytes.substr(0, 4), std::string("\x50\0\0\0", 4));
    EXPECT_EQ(bytes.substr(4, 80), "Short title" + std::string(69, ' '));
    EXPECT_EQ(bytes.substr(92, 4), std::string("\x14\0\0\0", 4));  // NUMNP 20

    // The same seed gives the same file; another seed another one.
    ASSERT_TRUE(WriteResultFile(path + ".again", model));
    EXPECT_EQ(ReadWholeFile(path + ".again"), bytes);
    ASSERT_TRUE(WriteResultFile(path + ".other", MakeGridModel(Grid(flag, 5, 4, 2, 4))));
    EXPECT_NE(ReadWholeFile(path + ".other"), bytes);
  }
  errno = 0;
  EXPECT_FALSE(WriteResultFile(dir + "/no-such-dir/a.bin", MadeModel{}));
  EXPECT_EQ(errno, ENOENT);
}

TEST(WriteResultFileTest, FaultsChangeTheFileAsAsked) {
  std::string dir = MakeScratchDir("maker-faults");
  MadeModel model = MakeGridModel(Grid(0, 4, 3, 2, 1));
  int64_t full = ExpectedFileSize(model);
  int64_t last_data = static_cast<int64_t>(model.elements.size()) * 16;
  auto size_with = [&](MadeFault fault) {
    std::string path = dir + "/f" + std::to_string(static_cast<int>(fault)) + ".bin";
    EXPECT_TRUE(WriteResultFile(path, model, fault));
    return static_cast<int64_t>(ReadWholeFile(path).size());
  };
  EXPECT_EQ(size_with(MadeFault::kCutInsideRecord), full - 4 - (last_data - last_data / 2));
  EXPECT_EQ(size_with(MadeFault::kLastStepWithoutElements), full - 8 - last_data);
  EXPECT_EQ(size_with(MadeFault::kShortNodeRecord), full - 20);
  EXPECT_EQ(size_with(MadeFault::kNone), full);
  std::string bytes = ReadWholeFile(dir + "/f0.bin");
  ASSERT_TRUE(WriteResultFile(dir + "/framing.bin", model, MadeFault::kMismatchedFraming));
  std::string bad = ReadWholeFile(dir + "/framing.bin");
  ASSERT_EQ(bad.size(), bytes.size());
  // Only the trailing length of the first node-results record differs.
  int64_t trailer = full - 2 * ((8 + 12) + (8 + 12 * 20) + (8 + last_data)) + 20 + 4 + 240;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] != bad[i]) {
      EXPECT_EQ(static_cast<int64_t>(i), trailer);
    }
  }
  EXPECT_NE(bytes.substr(trailer, 4), bad.substr(trailer, 4));
}

int RunMaker(const std::string& arguments) {
  int status = std::system(
      (std::string(MAKE_RESULT_FILE_BINARY) + " " + arguments + " 2>/dev/null").c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(MakeResultFileProgramTest, WritesTheFileOrExplainsItsArguments) {
  std::string dir = MakeScratchDir("maker-program");
  std::string good = "--program delm --nx 6 --ny 5 --steps 2 --seed 3 --step-times 0.5,1";
  EXPECT_EQ(RunMaker(good + " --out " + dir + "/a.bin"), 0);
  GridOptions options = Grid(1, 6, 5, 2, 3);
  options.step_times = {0.5, 1};
  ASSERT_TRUE(WriteResultFile(dir + "/b.bin", MakeGridModel(options)));
  EXPECT_EQ(ReadWholeFile(dir + "/a.bin"), ReadWholeFile(dir + "/b.bin"));

  EXPECT_EQ(RunMaker(good + " --out " + dir + "/missing/a.bin"), 1);
  EXPECT_EQ(RunMaker(good), 2);                                            // no --out
  EXPECT_EQ(RunMaker(good + " --fault wrong --out " + dir + "/c"), 2);     // unknown fault
  EXPECT_EQ(RunMaker(good + " --step-numbers 1 --out " + dir + "/c"), 2);  // one per step
  EXPECT_EQ(RunMaker("--program other --nx 2 --ny 2 --steps 1 --seed 1 --out " + dir + "/c"), 2);
  EXPECT_EQ(RunMaker("--program korin --nx x2 --ny 2 --steps 1 --seed 1 --out " + dir + "/c"), 2);
  EXPECT_FALSE(FileExists(dir + "/c"));
}

}  // namespace
