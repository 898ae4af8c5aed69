// The reader's own rules; whole runs show every value that an output uses.
#include "reader/result_file.h"

#include <gtest/gtest.h>

#include <cstring>
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
  const std::string path = MakeScratchDir("spare") + "/results.bin";
  WriteWholeFile(path, bytes);

  // The last field of each record comes out right.
  ModelStore& model = Store();
  ResultFile file(path, Simulator::kKorin);
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
  const std::string dir = MakeScratchDir("faults");
  int files = 0;
  auto write = [&](const MadeModel& made, MadeFault fault = MadeFault::kNone) {
    const std::string path = dir + "/results" + std::to_string(files++) + ".bin";
    EXPECT_TRUE(WriteResultFile(path, made, fault));
    return path;
  };
  auto write_bytes = [&](const std::string& bytes) {
    WriteWholeFile(dir + "/results" + std::to_string(files) + ".bin", bytes);
    return dir + "/results" + std::to_string(files++) + ".bin";
  };
  const MadeModel made = SmallModel(0);
  auto with_count = [&](int64_t numnp, int64_t numel) {
    MadeModel m = made;
    m.numnp_override = numnp, m.numel_override = numel;
    return write(m);
  };
  auto with_corner = [&](int32_t flag, int corner, int32_t node) {  // of element 2
    MadeModel m = SmallModel(flag);
    m.elements[1].corners[corner - 1] = node;
    return write(m);
  };
  const std::string header = Framed(std::string(80, ' ')) + Framed(Bytes<int32_t>(1));
  const std::string element_2 = "record 5 (elements): element 2 has corner ";
  for (const auto& [path, flag, phrase] :
       std::vector<std::tuple<std::string, int32_t, std::string>>{
           {write(made, MadeFault::kCutInsideRecord), 0,
            "the file ends inside record 11 (step 2, element results), after 16 of its 32 bytes"},
           {write(made, MadeFault::kLastStepWithoutElements), 0,
            "the file ends where record 11 (step 2, element results) should begin"},
           {write(made, MadeFault::kShortNodeRecord), 0,
            "record 7 (step 1, node results) holds 80 bytes, 100 are needed"},
           {write(made, MadeFault::kMismatchedFraming), 0,
            "record 7 (step 1, node results) is framed inconsistently: it starts with length 100 "
            "but ends with 108"},
           {write_bytes(header + Bytes<int32_t>(-16)), 0,
            "record 3 (nodes) has a negative length (-16)"},
           {write_bytes(header + "\x10"), 0,
            "the file ends inside record 3 (nodes), in its leading length"},
           {write_bytes(header + Bytes<int32_t>(16) + Bytes(1.0) + Bytes(2.0)), 0,
            "the file ends inside record 3 (nodes), in its trailing length"},
           {with_count(5000001, -1), 0,
            "record 2 (node count): NUMNP 5000001 is outside the supported range 0..5000000"},
           {with_count(-1, 0xffffffffll), 0,  // written as the 4-byte integer -1
            "record 4 (element count): NUMEL -1 is outside the supported range 0..5000000"},
           {with_corner(1, 1, 0), 1, element_2 + "1 = 0, outside 1..5"},
           {with_corner(0, 4, 6), 0, element_2 + "4 = 6, outside 0..5"},
           // RX-DELM elements take 28 bytes, RX-KORIN ones 36.
           {write(SmallModel(1)), 0, "record 5 (elements) holds 56 bytes, 72 are needed"},
           {write(made), 1,
            "record 3 (nodes) holds 16 bytes a node: the file looks like RX-KORIN "
            "results (answer 0 to the program question)"}}) {
    std::string error;
    try {
      ResultFile(path, flag == 1 ? Simulator::kDelm : Simulator::kKorin).LoadModel(Store());
    } catch (const RunError& e) {
      error = e.what();
    }
    EXPECT_EQ(error, path + ": " + phrase);
  }
}

}  // namespace
