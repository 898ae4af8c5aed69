#include "driver/result_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
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
// the address sanitizer). Before each test the entries the tests use are set
// to values no file holds, so nothing a test expects can be left over from an
// earlier one.
class ResultFileTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { store_ = new ModelStore; }
  static void TearDownTestSuite() {
    delete store_;
    store_ = nullptr;
  }
  void SetUp() override {
    constexpr int kUsedEntries = 1000;
    model_.PrepareNodeArrays(kUsedEntries);
    model_.PrepareElemArrays(kUsedEntries);
    for (double* values :
         {model_.NodeX, model_.NodeY, model_.NodeExtraA, model_.NodeExtraB, model_.ElemExtra,
          model_.NodeHead, model_.NodeFlow, model_.ElemVX, model_.ElemVY, model_.ElemD}) {
      std::fill(values, values + kUsedEntries, -777.0);
    }
    std::fill(model_.NodeExtraCode, model_.NodeExtraCode + kUsedEntries, -777);
    std::fill(model_.NodeCode, model_.NodeCode + kUsedEntries, -777);
    for (int column = 1; column <= 5; ++column) {
      int32_t* entries = model_.ElemNodes + ElemColumns::Index(0, column);
      std::fill(entries, entries + kUsedEntries, -777);
    }
    model_.Title.fill('?');
    model_.NUMNP = model_.NUMEL = model_.StepNo = -777;
    model_.StepTime = -777.0;
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
      ResultFile file(path, program_flag);
      file.LoadModel(model_);
    } catch (const RunError& error) {
      return error.what();
    }
    return "";
  }
  void ExpectStep(const MadeModel& made, int k) {
    const MadeStep& step = made.steps[k];
    SCOPED_TRACE("step " + std::to_string(step.number));
    EXPECT_EQ(model_.StepNo, step.number);
    EXPECT_EQ(model_.StepTime, step.time);
    for (size_t i = 0; i < made.nodes.size(); ++i) {
      EXPECT_EQ(model_.NodeCode[i + 1], step.nodes[i].code);
      EXPECT_EQ(model_.NodeHead[i + 1], step.nodes[i].head);
      EXPECT_EQ(model_.NodeFlow[i + 1], step.nodes[i].flow);
    }
    for (size_t e = 0; e < made.elements.size(); ++e) {
      EXPECT_EQ(model_.ElemVX[e + 1], step.elements[e].vx);
      EXPECT_EQ(model_.ElemVY[e + 1], step.elements[e].vy);
      EXPECT_EQ(model_.ElemD[e + 1], made.program_flag == 1 ? step.elements[e].d : 1.0);
    }
  }
  void ExpectMesh(const MadeModel& made) {
    ASSERT_EQ(model_.NUMNP, static_cast<int32_t>(made.nodes.size()));
    ASSERT_EQ(model_.NUMEL, static_cast<int32_t>(made.elements.size()));
    for (size_t i = 0; i < made.nodes.size(); ++i) {
      EXPECT_EQ(model_.NodeX[i + 1], made.nodes[i].x);
      EXPECT_EQ(model_.NodeY[i + 1], made.nodes[i].y);
      if (made.program_flag != 1) continue;
      EXPECT_EQ(model_.NodeExtraA[i + 1], made.nodes[i].extra_a);
      EXPECT_EQ(model_.NodeExtraB[i + 1], made.nodes[i].extra_b);
      EXPECT_EQ(model_.NodeExtraCode[i + 1], made.nodes[i].extra_code);
    }
    for (size_t e = 0; e < made.elements.size(); ++e) {
      int32_t elem = static_cast<int32_t>(e + 1);
      for (int c = 1; c <= 4; ++c) {
        EXPECT_EQ(model_.ElemNodes[ElemColumns::Index(elem, c)], made.elements[e].corners[c - 1]);
      }
      EXPECT_EQ(model_.ElemNodes[ElemColumns::Index(elem, 5)], made.elements[e].attribute);
      if (made.program_flag == 1) {
        EXPECT_EQ(model_.ElemExtra[elem], made.elements[e].extra1);
      }
    }
  }

  static inline ModelStore* store_ = nullptr;
  ModelStore& model_ = *store_;
  std::string dir_ = MakeScratchDir("result-file");
  int files_ = 0;
};

TEST_F(ResultFileTest, SmallModelsLoadEveryValueAndYieldTheirStepsInOrder) {
  for (int32_t flag : {0, 1}) {
    SCOPED_TRACE(flag == 1 ? "RX-DELM" : "RX-KORIN");
    MadeModel made = SmallModel(flag);
    ResultFile file(Write(made), flag);
    file.LoadModel(model_);
    EXPECT_EQ(std::string(model_.Title.data(), 80), "Small test model" + std::string(64, ' '));
    ExpectMesh(made);
    // The triangle's columns, spelled out: 2 5 3 0, attribute -1.
    EXPECT_EQ(model_.ElemNodes[0 * MaxDim + 2], 2);
    EXPECT_EQ(model_.ElemNodes[1 * MaxDim + 2], 5);
    EXPECT_EQ(model_.ElemNodes[2 * MaxDim + 2], 3);
    EXPECT_EQ(model_.ElemNodes[3 * MaxDim + 2], 0);
    EXPECT_EQ(model_.ElemNodes[4 * MaxDim + 2], -1);
    EXPECT_EQ(file.StepCount(), 2);
    EXPECT_FALSE(file.LooksLikeDelmResults());
    ASSERT_TRUE(file.ReadNextStep(model_));
    ExpectStep(made, 0);
    ASSERT_TRUE(file.ReadNextStep(model_));
    ExpectStep(made, 1);
    EXPECT_EQ(model_.StepNo, 7);
    EXPECT_EQ(model_.NodeHead[5], 14.0);
    EXPECT_EQ(model_.ElemD[1], flag == 1 ? 2.5 : 1.0);
    EXPECT_FALSE(file.ReadNextStep(model_));
  }
}

TEST_F(ResultFileTest, FileWithoutStepsLeavesTheStepValuesAlone) {
  MadeModel made = SmallModel(0);
  made.steps.clear();
  model_.StepNo = -99;
  model_.NodeHead[1] = 123.0;
  ResultFile file(Write(made), 0);
  file.LoadModel(model_);
  ExpectMesh(made);
  EXPECT_EQ(file.StepCount(), 0);
  EXPECT_EQ(model_.StepNo, -99);
  EXPECT_EQ(model_.NodeHead[1], 123.0);
  EXPECT_FALSE(file.ReadNextStep(model_));
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

  ResultFile file(WriteBytes(bytes), 0);
  file.LoadModel(model_);
  EXPECT_EQ(std::string(model_.Title.data(), 80), title);
  EXPECT_EQ(model_.NUMNP, 3);
  EXPECT_EQ(model_.NodeX[3], 3.0);
  EXPECT_EQ(model_.NodeY[3], -6.0);
  EXPECT_EQ(model_.ElemNodes[ElemColumns::Index(1, 4)], 3);
  EXPECT_EQ(model_.ElemNodes[ElemColumns::Index(1, 5)], 2);
  EXPECT_EQ(file.StepCount(), 1);
  ASSERT_TRUE(file.ReadNextStep(model_));
  EXPECT_EQ(model_.StepNo, 4);
  EXPECT_EQ(model_.StepTime, 2.5);
  EXPECT_EQ(model_.NodeCode[3], 3);
  EXPECT_EQ(model_.NodeHead[3], 1.5);
  EXPECT_EQ(model_.NodeFlow[3], -0.75);
  EXPECT_EQ(model_.ElemVX[1], 1e-3);
  EXPECT_EQ(model_.ElemVY[1], -2e-3);
  EXPECT_FALSE(file.ReadNextStep(model_));
}

TEST_F(ResultFileTest, DamagedFilesAreReportedWithTheFileAndTheRecord) {
  MadeModel made = SmallModel(0);  // 5 nodes, 2 elements, 2 steps: records 1 to 11
  struct Case {
    MadeFault fault;
    std::string phrase;
  };
  for (const Case& c : std::vector<Case>{
           {MadeFault::kCutInsideRecord,
            "the file ends inside record 11 (step 2, element results), after 16 of its 32 bytes"},
           {MadeFault::kLastStepWithoutElements,
            "the file ends where record 11 (step 2, element results) should begin"},
           {MadeFault::kShortNodeRecord,
            "record 7 (step 1, node results) holds 80 bytes, 100 are needed"},
           {MadeFault::kMismatchedFraming,
            "record 7 (step 1, node results) is framed inconsistently: it starts with length 100 "
            "but ends with 108"}}) {
    std::string path = Write(made, c.fault);
    EXPECT_EQ(LoadError(path, 0), path + ": " + c.phrase);
  }

  std::string missing = dir_ + "/no-such-file.bin";
  EXPECT_EQ(LoadError(missing, 0),
            missing + ": cannot open result file: No such file or directory");

  std::string header = Framed(std::string(80, ' ')) + Framed(Bytes<int32_t>(1));
  std::string negative = WriteBytes(header + Bytes<int32_t>(-16));
  EXPECT_EQ(LoadError(negative, 0), negative + ": record 3 (nodes) has a negative length (-16)");
  std::string cut_length = WriteBytes(header + "\x10\x00");
  EXPECT_EQ(LoadError(cut_length, 0),
            cut_length + ": the file ends inside record 3 (nodes), in its leading length");
  std::string no_trailer = WriteBytes(header + Bytes<int32_t>(16) + Bytes(1.0) + Bytes(2.0));
  EXPECT_EQ(LoadError(no_trailer, 0),
            no_trailer + ": the file ends inside record 3 (nodes), in its trailing length");
  std::string empty = WriteBytes("");
  EXPECT_EQ(LoadError(empty, 0), empty + ": the file ends where record 1 (title) should begin");
  std::string short_title = WriteBytes(Framed(std::string(79, ' ')));
  EXPECT_EQ(LoadError(short_title, 0),
            short_title + ": record 1 (title) holds 79 bytes, 80 are needed");
}

TEST_F(ResultFileTest, CountsOutsideTheRangeAreRefusedBeforeTheirRecord) {
  MadeModel made = SmallModel(0);
  made.numnp_override = 5000001;
  std::string path = Write(made);
  EXPECT_EQ(LoadError(path, 0),
            path +
                ": record 2 (node count): NUMNP 5000001 is outside the supported range "
                "0..5000000");
  made.numnp_override = 0xfffffffdll;  // written as the 4-byte integer -3
  path = Write(made);
  EXPECT_EQ(LoadError(path, 0),
            path + ": record 2 (node count): NUMNP -3 is outside the supported range 0..5000000");
  made.numnp_override = 5000000;  // allowed, but the record is far too short for it
  path = Write(made);
  EXPECT_EQ(LoadError(path, 0), path + ": record 3 (nodes) holds 80 bytes, 80000000 are needed");
  made.numnp_override = -1;
  for (int64_t count : {5000001ll, 0xffffffffll}) {
    made.numel_override = count;
    path = Write(made);
    EXPECT_EQ(LoadError(path, 0), path + ": record 4 (element count): NUMEL " +
                                      std::to_string(static_cast<int32_t>(count)) +
                                      " is outside the supported range 0..5000000");
  }
}

TEST_F(ResultFileTest, CornersOutsideTheNodesAreRefused) {
  struct Case {
    int corner;  // 1..4, of element 2
    int32_t node;
    std::string phrase;
  };
  for (const Case& c : std::vector<Case>{{1, 0, "corner 1 = 0, outside 1..5"},
                                         {2, 6, "corner 2 = 6, outside 1..5"},
                                         {3, -2, "corner 3 = -2, outside 1..5"},
                                         {4, -1, "corner 4 = -1, outside 0..5"},
                                         {4, 6, "corner 4 = 6, outside 0..5"}}) {
    MadeModel made = SmallModel(c.corner % 2);
    made.elements[1].corners[c.corner - 1] = c.node;
    std::string path = Write(made);
    EXPECT_EQ(LoadError(path, made.program_flag),
              path + ": record 5 (elements): element 2 has " + c.phrase);
  }
}

TEST_F(ResultFileTest, WrongProgramAnswerIsNoticed) {
  MadeModel delm = SmallModel(1);
  std::string path = Write(delm);
  ResultFile file(path, 0);
  std::string message;
  try {
    file.LoadModel(model_);
  } catch (const RunError& error) {
    message = error.what();
  }
  // RX-DELM elements take 28 bytes, RX-KORIN ones 36.
  EXPECT_EQ(message, path + ": record 5 (elements) holds 56 bytes, 72 are needed");
  EXPECT_TRUE(file.LooksLikeDelmResults());

  delm.elements.clear();
  for (MadeStep& step : delm.steps) step.elements.clear();
  ResultFile no_elements(Write(delm), 0);
  no_elements.LoadModel(model_);
  EXPECT_TRUE(no_elements.LooksLikeDelmResults());
  EXPECT_EQ(no_elements.StepCount(), 2);

  std::string korin = Write(SmallModel(0));
  EXPECT_EQ(LoadError(korin, 1), korin +
                                     ": record 3 (nodes) holds 16 bytes a node: the file looks "
                                     "like RX-KORIN results (answer 0 to the program question)");
}

TEST_F(ResultFileTest, GeneratedGridsRoundTrip) {
  for (int32_t flag : {0, 1}) {
    GridOptions options;
    options.program_flag = flag;
    options.nx = 23;
    options.ny = 17;
    options.steps = 3;
    options.seed = 11 + flag;
    options.step_numbers = {2, 5, 9};
    MadeModel made = MakeGridModel(options);
    ResultFile file(Write(made), flag);
    file.LoadModel(model_);
    ExpectMesh(made);
    EXPECT_EQ(file.StepCount(), 3);
    for (int k = 0; k < 3; ++k) {
      ASSERT_TRUE(file.ReadNextStep(model_));
      ExpectStep(made, k);
    }
    EXPECT_FALSE(file.ReadNextStep(model_));
  }
}

}  // namespace
