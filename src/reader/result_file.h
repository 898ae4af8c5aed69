// ResultFile: reading a simulator's binary result file into the ModelStore.
//
// The file is a sequence of records, each framed by its length (a 4-byte
// little-endian count L, L data bytes, L again). Five header records (title,
// node count, nodes, element count, elements) are followed by three records
// per time step (step header, node results, element results). The simulator
// selects the layout of the entries.
//
// Loading reads the header, then makes a counting pass that checks every
// step's records (without decoding them) to learn how many steps there are,
// and goes back to the first step. Every fault of the file (end inside a record, a
// record shorter than its fields, framing lengths that disagree, counts below 0 or above
// MaxDim, corner nodes outside 1..NUMNP) throws RunError naming the file.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "model/model_store.h"
#include "model/simulator.h"

// What the node record (record 3) says about the simulator that wrote a
// result file: its entries are 16 bytes a node for RX-KORIN, 36 for RX-DELM.
struct NodeRecordShape {
  int32_t NUMNP;                       // as stored in record 2
  int64_t bytes;                       // data bytes of record 3
  std::optional<Simulator> simulator;  // empty when the length cannot tell
                                       // (NUMNP 0 or less, or another length)
};
// Reads records 1 to 3 of the file at `path`; throws RunError on a fault.
NodeRecordShape ReadNodeRecordShape(const std::string& path);
// Bytes of one node entry in record 3.
int64_t NodeEntryBytes(Simulator simulator);

class ResultFile {
 public:
  // Opens the file; throws RunError when it cannot be opened.
  ResultFile(std::string path, Simulator simulator);
  ~ResultFile();
  ResultFile(const ResultFile&) = delete;
  ResultFile& operator=(const ResultFile&) = delete;

  // Reads the header into `model` and counts the steps; afterwards the file
  // stands at the first step and StepCount() is known. The step values of
  // `model` are untouched.
  void LoadModel(ModelStore& model);
  // Reads the next step's three records into the step values of `model`;
  // false when the file ends where a step header would begin.
  bool ReadNextStep(ModelStore& model);

  // The number of steps in the file; known after LoadModel.
  int64_t StepCount() const { return step_count_; }
  // True when the file was read as RX-KORIN results but its node record holds
  // exactly 36 bytes a node, the RX-DELM layout (worth a warning). Known as
  // soon as the node record is read, also when LoadModel throws later on.
  bool LooksLikeDelmResults() const { return looks_like_delm_; }

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
  int64_t step_count_ = 0;
  bool looks_like_delm_ = false;
};
