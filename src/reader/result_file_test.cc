#include "reader/result_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "common/run_error.h"
#include "model/elem_columns.h"
#include "result_file_maker.h"
#include "test_files.h"

namespace {

// Bytes of hand-made records, independent of the maker.
template <typename T>
std::string Bytes(T value) {
  std::string bytes(sizeof(T), '\0');
  std::memcpy(bytes.data(), &value, sizeof(T));
  return bytes;
}
std::string Framed(const std::string& data) {
  int32_t length = static_cast<int32_t>(data.size());
  return Bytes(length) + data + Bytes(length);
}

// The simulator of the maker's program flag.
Simulator SimulatorOf(int32_t program_flag) {
  return program_flag == 1 ? Simulator::kDelm : Simulator::kKorin;
}

// Five nodes: a square 1-2-3-4 (10 x 5) and a fifth node right of it; a
// quadrilateral and a triangle (corner 4 = 0, inactive). Two steps.
MadeModel SmallModel(int32_t program_flag) {
  MadeModel model;
  model.program_flag = program_flag;
  model.title = "Small test model";
  model.nodes = {{0, 0, 1.5, -2.5, 7},
                 {10, 0, 2.5, -3.5, 8},
                 {10, 5, 3.5, -4.5, 9},
                 {0, 5, 4.5, -5.5, 10},
                 {20, 2.5, 5.5, -6.5, 11}};
  model.elements = {{{1, 2, 3, 4}, 2, 0.25, 0.75}, {{2, 5, 3, 0}, -1, 0.125, 0.375}};
  for (int k = 0; k < 2; ++k) {
    MadeStep step;
    step.number = 3 + 4 * k;
    step.time = 0.5 + 0.75 * k;
    for (int i = 0; i < 5; ++i) step.nodes.push_back({i - 1 + k, 10.0 * k + i, -0.5 * i});
    step.elements = {{1e-3 + k, -2e-4, 1.5 + k}, {-3e-5, 4e-6 * (k + 1), 2.5 + k}};
    model.steps.push_back(step);
  }
  return model;
}

// One ModelStore serves the whole suite (making one costs much time under
// the address sanitizer). Before each test the entries the tests expect to
// stay untouched get values no file holds.
class ResultFileTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { store_ = new ModelStore; }
  static void TearDownTestSuite() {
    delete store_;
    store_ = nullptr;
  }
  void SetUp() override {
    model_.PrepareNodeArrays(1000);
    model_.PrepareElemArrays(1000);
    std::fill_n(model_.NodeX, 1000, -777.0);
    model_.NodeHead[1] = model_.ElemExtra[2] = -777.0;
    model_.StepNo = -777;
  }

  std::string Write(const MadeModel& made, MadeFault fault = MadeFault::kNone) {
    std::string path = dir_ + "/results" + std::to_string(files_++) + ".bin";
    EXPECT_TRUE(WriteResultFile(path, made, fault));
    return path;
  }
  std::string WriteBytes(const std::string& bytes) {
    std::string path = dir_ + "/results" + std::to_string(files_++) + ".bin";
    WriteWholeFile(path, bytes);
    return path;
  }
  // The message of the RunError that loading `path` throws ("" when none).
  std::string LoadError(const std::string& path, int32_t program_flag) {
    try {
      ResultFile file(path, SimulatorOf(program_flag));
      file.LoadModel(model_);
    } catch (const RunError& error) {
      return error.what();
    }
    return "";
  }
  static inline ModelStore* store_ = nullptr;
  ModelStore& model_ = *store_;
  std::string dir_ = MakeScratchDir("result-file");
  int files_ = 0;
};

// Whole runs show every value that an output uses; here the rest: the title
// as stored, the element table column by column (element 2 is 2 5 3 0,
// attribute -1), the RX-DELM element real, D of 1 for RX-KORIN, the steps in
// order, and the step values left alone by loading.
TEST_F(ResultFileTest, SmallModelsLoadAndYieldTheirStepsInOrder) {
  for (int32_t flag : {0, 1}) {
    MadeModel made = SmallModel(flag);
    ResultFile file(Write(made), SimulatorOf(flag));
    file.LoadModel(model_);
    EXPECT_EQ(std::string(model_.Title.data(), 80), "Small test model" + std::string(64, ' '));
    for (int column = 0; column < 5; ++column) {
      EXPECT_EQ(model_.ElemNodes[column * MaxDim + 2], (std::array{2, 5, 3, 0, -1}[column]));
    }
    EXPECT_EQ(model_.ElemExtra[2], flag == 1 ? 0.125 : -777.0);
    EXPECT_TRUE(model_.StepNo == -777 && model_.NodeHead[1] == -777.0);
    EXPECT_EQ(file.StepCount(), 2);
    for (const MadeStep& step : made.steps) {
      ASSERT_TRUE(file.ReadNextStep(model_));
      EXPECT_TRUE(model_.StepNo == step.number && model_.NodeFlow[5] == step.nodes[4].flow);
      EXPECT_EQ(model_.ElemD[2], flag == 1 ? step.elements[1].d : 1.0);
    }
    EXPECT_FALSE(file.ReadNextStep(model_));
    SetUp();  // fresh sentinels for the next file
  }
  MadeModel without_steps = SmallModel(0);
  without_steps.steps.clear();
  ResultFile no_steps(Write(without_steps), Simulator::kKorin);
  no_steps.LoadModel(model_);
  EXPECT_EQ(no_steps.StepCount(), 0);
  EXPECT_FALSE(no_steps.ReadNextStep(model_));
}

TEST_F(ResultFileTest, BytesBeyondTheFieldsOfARecordAreSkipped) {
  std::string title(80, 'T');
  std::string spare(5, '\x7f');
  std::string bytes = Framed(title + spare) + Framed(Bytes<int32_t>(3) + spare);
  std::string nodes;
  for (int i = 1; i <= 3; ++i) nodes += Bytes(1.0 * i) + Bytes(-2.0 * i);
  bytes += Framed(nodes + spare) + Framed(Bytes<int32_t>(1) + spare);
  std::string element = Bytes<int32_t>(1) + Bytes<int32_t>(2) + Bytes<int32_t>(3) +
                        Bytes<int32_t>(3) + Bytes<int32_t>(2) + Bytes(0.0) + Bytes(0.0);
  bytes += Framed(element + spare);
  bytes += Framed(Bytes<int32_t>(4) + Bytes(2.5) + spare);
  std::string results;
  for (int i = 1; i <= 3; ++i) results += Bytes<int32_t>(i) + Bytes(0.5 * i) + Bytes(-0.25 * i);
  bytes += Framed(results + spare) + Framed(Bytes(1e-3) + Bytes(-2e-3) + spare);

  // The last field of each record comes out right.
  ResultFile file(WriteBytes(bytes), Simulator::kKorin);
  file.LoadModel(model_);
  EXPECT_EQ(std::string(model_.Title.data(), 80), title);
  EXPECT_TRUE(model_.NUMNP == 3 && model_.NodeY[3] == -6.0 && model_.NUMEL == 1);
  EXPECT_EQ(model_.ElemNodes[ElemColumns::Index(1, 5)], 2);
  EXPECT_EQ(file.StepCount(), 1);
  ASSERT_TRUE(file.ReadNextStep(model_));
  EXPECT_TRUE(model_.StepTime == 2.5 && model_.NodeFlow[3] == -0.75 && model_.ElemVY[1] == -2e-3);
  EXPECT_FALSE(file.ReadNextStep(model_));
}

TEST_F(ResultFileTest, FaultsAreReportedWithTheFileAndTheRecord) {
  const MadeModel made = SmallModel(0);  // 5 nodes, 2 elements, 2 steps: records 1 to 11
  auto with_count = [&](int64_t numnp, int64_t numel) {
    MadeModel m = made;
    m.numnp_override = numnp, m.numel_override = numel;
    return Write(m);
  };
  auto with_corner = [&](int32_t flag, int corner, int32_t node) {  // of element 2
    MadeModel m = SmallModel(flag);
    m.elements[1].corners[corner - 1] = node;
    return Write(m);
  };
  const std::string header = Framed(std::string(80, ' ')) + Framed(Bytes<int32_t>(1));
  const std::string element_2 = "record 5 (elements): element 2 has corner ";
  for (const auto& [path, flag, phrase] :
       std::vector<std::tuple<std::string, int32_t, std::string>>{
           {Write(made, MadeFault::kCutInsideRecord), 0,
            "the file ends inside record 11 (step 2, element results), after 16 of its 32 bytes"},
           {Write(made, MadeFault::kLastStepWithoutElements), 0,
            "the file ends where record 11 (step 2, element results) should begin"},
           {Write(made, MadeFault::kShortNodeRecord), 0,
            "record 7 (step 1, node results) holds 80 bytes, 100 are needed"},
           {Write(made, MadeFault::kMismatchedFraming), 0,
            "record 7 (step 1, node results) is framed inconsistently: it starts with length 100 "
            "but ends with 108"},
           {dir_ + "/no-such-file.bin", 0, "cannot open result file: No such file or directory"},
           {WriteBytes(header + Bytes<int32_t>(-16)), 0,
            "record 3 (nodes) has a negative length (-16)"},
           {WriteBytes(header + "\x10"), 0,
            "the file ends inside record 3 (nodes), in its leading length"},
           {WriteBytes(header + Bytes<int32_t>(16) + Bytes(1.0) + Bytes(2.0)), 0,
            "the file ends inside record 3 (nodes), in its trailing length"},
           {WriteBytes(Framed(std::string(79, ' '))), 0,
            "record 1 (title) holds 79 bytes, 80 are needed"},
           {with_count(5000001, -1), 0,
            "record 2 (node count): NUMNP 5000001 is outside the supported range 0..5000000"},
           {with_count(0xfffffffdll, -1), 0,  // written as the 4-byte integer -3
            "record 2 (node count): NUMNP -3 is outside the supported range 0..5000000"},
           {with_count(5000000, -1), 0, "record 3 (nodes) holds 80 bytes, 80000000 are needed"},
           {with_count(-1, 5000001), 0,
            "record 4 (element count): NUMEL 5000001 is outside the supported range 0..5000000"},
           {with_count(-1, 0xffffffffll), 0,
            "record 4 (element count): NUMEL -1 is outside the supported range 0..5000000"},
           {with_corner(1, 1, 0), 1, element_2 + "1 = 0, outside 1..5"},
           {with_corner(0, 4, -1), 0, element_2 + "4 = -1, outside 0..5"},
           {with_corner(0, 4, 6), 0, element_2 + "4 = 6, outside 0..5"},
           // RX-DELM elements take 28 bytes, RX-KORIN ones 36.
           {Write(SmallModel(1)), 0, "record 5 (elements) holds 56 bytes, 72 are needed"},
           {Write(made), 1,
            "record 3 (nodes) holds 16 bytes a node: the file looks like RX-KORIN "
            "results (answer 0 to the program question)"}}) {
    EXPECT_EQ(LoadError(path, flag), path + ": " + phrase);
  }
}

// A file that grows byte by byte, as a simulation writes it: each step is
// counted when its last byte arrives, never before, the bytes of the step
// being written are told, and the steps read are the steps written. A file
// that shrinks or whose header changes is a new run.
TEST_F(ResultFileTest, GrowingFileCountsEachStepWhenItsLastByteArrives) {
  MadeModel made = SmallModel(1);
  made.steps.push_back(made.steps[0]);
  made.steps.back().number = 11;
  const std::string bytes = ReadWholeFile(Write(made));
  std::vector<size_t> step_ends;
  for (size_t k = 0; k <= made.steps.size(); ++k) {
    MadeModel fewer = made;
    fewer.steps.resize(k);
    step_ends.push_back(ReadWholeFile(Write(fewer)).size());
  }
  const std::string path = WriteBytes(bytes.substr(0, step_ends[0] + 5));
  ResultFile file(path, Simulator::kDelm);
  file.LoadModel(model_, EndInsideStep::kEndsTheSteps);
  for (size_t size = step_ends[0] + 6; size <= bytes.size(); ++size) {
    std::ofstream(path, std::ios::binary | std::ios::app) << bytes[size - 1];
    ASSERT_EQ(file.FindChange(), "");
    const int64_t complete =
        std::upper_bound(step_ends.begin(), step_ends.end(), size) - step_ends.begin() - 1;
    const int64_t before = file.StepCount();
    ASSERT_EQ(file.CountNewSteps(), complete - before) << size;
    ASSERT_EQ(file.StepCount(), complete);
    const int64_t tail = static_cast<int64_t>(size - step_ends[complete]);
    ASSERT_EQ(file.Incomplete().has_value(), tail > 0) << size;
    if (tail > 0) {
      EXPECT_EQ(file.Incomplete()->bytes, tail);
    }
    for (int64_t k = before; k < complete; ++k) {
      ASSERT_TRUE(file.ReadNextStep(model_));
      EXPECT_EQ(model_.StepNo, made.steps[k].number);
      EXPECT_EQ(model_.ElemD[2], made.steps[k].elements[1].d);
    }
    EXPECT_FALSE(file.ReadNextStep(model_));
  }
  std::fstream(path, std::ios::binary | std::ios::in | std::ios::out).seekp(4).put('x');
  EXPECT_EQ(file.FindChange(), "its title or mesh records changed");
  WriteWholeFile(path, bytes.substr(0, 100));
  EXPECT_EQ(file.FindChange(),
            "the file shrank from " + std::to_string(bytes.size()) + " to 100 bytes");
  // gfortran puts a record's leading length in last: while it is 0 at the end
  // of the file, the step is being written (an error for the dialogue).
  const size_t node_record = step_ends[1] + 20, element_record = node_record + 8 + 5 * 20;
  std::string unwritten = bytes.substr(0, element_record);
  unwritten.replace(node_record, 4, 4, '\0');
  WriteWholeFile(path, unwritten);
  ResultFile growing(path, Simulator::kDelm);
  growing.LoadModel(model_, EndInsideStep::kEndsTheSteps);
  EXPECT_TRUE(growing.StepCount() == 1 && growing.Incomplete().has_value());
  EXPECT_EQ(LoadError(path, 1), path +
                                    ": record 10 (step 2, node results) holds 0 bytes, 100 are "
                                    "needed");
  std::fstream(path, std::ios::binary | std::ios::in | std::ios::out)
      .seekp(node_record)
      .write(bytes.data() + node_record, 4);
  std::ofstream(path, std::ios::binary | std::ios::app)
      << bytes.substr(element_record, step_ends[2] - element_record);
  EXPECT_EQ(growing.CountNewSteps(), 1);
  // Loaded strictly, the file that ends inside a step is refused as such.
  WriteWholeFile(path, bytes.substr(0, step_ends[1] + 1));
  EXPECT_THROW(ResultFile(path, Simulator::kDelm).LoadModel(model_), StepCutShort);
}

}  // namespace
