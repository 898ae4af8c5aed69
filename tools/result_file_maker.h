// The result-file maker: writes RX-KORIN or RX-DELM result files, either from
// an explicit model (tests that need exact values) or from a generated grid of
// any size (the demo, whole-run tests, the benchmark), with faults on request.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct MadeNode {
  double x = 0, y = 0;
  double extra_a = 0, extra_b = 0;  // RX-DELM only
  int32_t extra_code = 0;           // RX-DELM only
};

struct MadeElement {
  int32_t corners[4] = {0, 0, 0, 0};
  int32_t attribute = 1;
  // RX-KORIN: the two reals after the integers (read and discarded);
  // RX-DELM: extra1 is the element's one real.
  double extra1 = 0, extra2 = 0;
};

struct MadeNodeValues {
  int32_t code = 0;
  double head = 0, flow = 0;
};

struct MadeElementValues {
  double vx = 0, vy = 0;
  double d = 1;  // RX-DELM only
};

struct MadeStep {
  int32_t number = 0;
  double time = 0;
  std::vector<MadeNodeValues> nodes;        // one per node
  std::vector<MadeElementValues> elements;  // one per element
};

struct MadeModel {
  // Which simulator's layout: the answer to the program's program question
  // (0 RX-KORIN, 1 RX-DELM), so that a test can type it as it stands.
  int32_t program_flag = 0;
  std::string title;  // padded with blanks (or cut) to 80 bytes
  std::vector<MadeNode> nodes;
  std::vector<MadeElement> elements;
  std::vector<MadeStep> steps;
  // When not negative, written as the count instead of the true one.
  int64_t numnp_override = -1;
  int64_t numel_override = -1;
};

enum class MadeFault {
  kNone,
  kCutInsideRecord,          // the file ends in the middle of the last record
  kLastStepWithoutElements,  // the last step lacks its element-results record
  kShortNodeRecord,          // the first node-results record is one entry short
  kMismatchedFraming,        // the node record's trailing length is wrong: the
                             // first node-results record's (record 3's when
                             // there are no steps)
};

// Writes `model` as a result file; returns false (with errno set) on failure.
bool WriteResultFile(const std::string& path, const MadeModel& model,
                     MadeFault fault = MadeFault::kNone);

struct GridOptions {
  int32_t program_flag = 0;  // as in MadeModel
  int32_t nx = 4, ny = 3;    // nodes along x and y
  int32_t steps = 2;
  uint64_t seed = 1;
  // Step numbers and times; when empty, steps are numbered 1.. and timed
  // 86400 x number.
  std::vector<int32_t> step_numbers;
  std::vector<double> step_times;
};

// A grid of nx x ny nodes with (nx-1) x (ny-1) cells. Most cells are
// quadrilaterals; some are split into two triangles (stored with the 4th corner
// equal to the 3rd, or 0), some are inactive (attribute 0 or -1), and the
// attributes vary from 1 to 3. Values come from a generator seeded by `seed`.
MadeModel MakeGridModel(const GridOptions& options);
