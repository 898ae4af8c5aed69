// The reader's own rules; whole runs show every value that an output uses.
#include "reader/result_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <memory>
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
  const int32_t length = static_cast<int32_t>(data.size());
  return Bytes(length) + data + Bytes(length);
}

// One store for the suite: making one costs much time under the sanitizer.
ModelStore& Store() {
  static const auto store = std::make_unique<ModelStore>();
  return *store;
}

// A new result file in the suite's folder, from a made model or from bytes.
std::string NewPath() {
  static const std::string dir = MakeScratchDir("result-file");
  static int files = 0;
  return dir + "/results" + std::to_string(files++) + ".bin";
}
std::string Write(const MadeModel& made, MadeFault fault = MadeFault::kNone) {
  const std::string path = NewPath();
  EXPECT_TRUE(WriteResultFile(path, made, fault));
  return path;
}
std::string WriteBytes(const std::string& bytes) {
  const std::string path = NewPath();
  WriteWholeFile(path, bytes);
  return path;
}

// The message of the RunError that loading `path` throws ("" when none).
std::string LoadError(const std::string& path, int32_t program_flag) {
  try {
    ResultFile(path, program_flag == 1 ? Simulator::kDelm : Simulator::kKorin).LoadModel(Store());
  } catch (const RunError& error) {
    return error.what();
  }
  return "";
}

TEST(ResultFile, BytesBeyondTheFieldsOfARecordAreSkipped) {
  const std::string title(80, 'T'), spare(5, '\x7f');
  std::string bytes = Framed(title + spare) + Framed(Bytes<int32_t>(3) + spare);
  std::string nodes;
  for (int i = 1; i <= 3; ++i) nodes += Bytes(1.0 * i) + Bytes(-2.0 * i);
  bytes += Framed(nodes + spare) + Framed(Bytes<int32_t>(1) + spare);
  std::string element;
  for (int32_t column : {1, 2, 3, 3, 2}) element += Bytes(column);
  bytes += Framed(element + Bytes(0.0) + Bytes(0.0) + spare);
  bytes += Framed(Bytes<int32_t>(4) + Bytes(2.5) + spare);
  std::string results;
  for (int i = 1; i <= 3; ++i) results += Bytes<int32_t>(i) + Bytes(0.5 * i) + Bytes(-0.25 * i);
  bytes += Framed(results + spare) + Framed(Bytes(1e-3) + Bytes(-2e-3) + spare);
  // The last field of each record comes out right.
  ModelStore& model = Store();
  ResultFile file(WriteBytes(bytes), Simulator::kKorin);
  file.LoadModel(model);
  EXPECT_EQ(std::string(model.Title.data(), 80), title);
  EXPECT_TRUE(model.NUMNP == 3 && model.NodeY[3] == -6.0 && model.NUMEL == 1);
  EXPECT_EQ(model.ElemNodes[ElemColumns::Index(1, 5)], 2);
  EXPECT_EQ(file.StepCount(), 1);
  ASSERT_TRUE(file.ReadNextStep(model));
  EXPECT_TRUE(model.StepTime == 2.5 && model.NodeFlow[3] == -0.75 && model.ElemVY[1] == -2e-3);
  EXPECT_FALSE(file.ReadNextStep(model));
}

// Five nodes, a quadrilateral and a triangle, two steps: records 1 to 11.
MadeModel SmallModel(int32_t program_flag) {
  GridOptions options;
  options.program_flag = program_flag, options.nx = 5, options.ny = 1;
  MadeModel model = MakeGridModel(options);
  model.elements = {{{1, 2, 3, 4}, 2}, {{2, 5, 3, 0}, -1}};
  for (MadeStep& step : model.steps) step.elements.resize(2);
  return model;
}

TEST(ResultFile, FaultsAreReportedWithTheFileAndTheRecord) {
  const MadeModel made = SmallModel(0);
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
           {WriteBytes(header + Bytes<int32_t>(-16)), 0,
            "record 3 (nodes) has a negative length (-16)"},
           {WriteBytes(header + "\x10"), 0,
            "the file ends inside record 3 (nodes), in its leading length"},
           {WriteBytes(header + Bytes<int32_t>(16) + Bytes(1.0) + Bytes(2.0)), 0,
            "the file ends inside record 3 (nodes), in its trailing length"},
           {with_count(5000001, -1), 0,
            "record 2 (node count): NUMNP 5000001 is outside the supported range 0..5000000"},
           {with_count(-1, 0xffffffffll), 0,  // written as the 4-byte integer -1
            "record 4 (element count): NUMEL -1 is outside the supported range 0..5000000"},
           {with_corner(1, 1, 0), 1, element_2 + "1 = 0, outside 1..5"},
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
TEST(ResultFile, GrowingFileCountsEachStepWhenItsLastByteArrives) {
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
  file.LoadModel(Store(), EndInsideStep::kEndsTheSteps);
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
      ASSERT_TRUE(file.ReadNextStep(Store()));
      EXPECT_EQ(Store().StepNo, made.steps[k].number);
      EXPECT_EQ(Store().ElemD[2], made.steps[k].elements[1].d);
    }
    EXPECT_FALSE(file.ReadNextStep(Store()));
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
  growing.LoadModel(Store(), EndInsideStep::kEndsTheSteps);
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
  EXPECT_THROW(ResultFile(path, Simulator::kDelm).LoadModel(Store()), StepCutShort);
}

}  // namespace
