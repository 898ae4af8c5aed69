// ResultFile: reading a simulator's binary result file into the ModelStore.
//
// The file is a sequence of records, each framed by its length (a 4-byte
// little-endian count L, L data bytes, L again). Five header records (title,
// node count, nodes, element count, elements) are followed by three records
// per time step (step header, node results, element results). The simulator
// selects the layout of the entries.
//
// Loading reads the header, then makes a counting pass that checks every
// step's records by their lengths (without reading their data) to learn how
// many steps there are, and goes back to the first step. A file that grows
// while a simulation writes it can be counted again from where the last
// count ended. Every fault of the file (end inside a header record, a record
// shorter than its fields, framing lengths that disagree, counts below 0 or
// above MaxDim, corner nodes outside 1..NUMNP) throws RunError naming the
// file; an end inside a step does too, unless the caller takes the complete
// steps (EndInsideStep::kEndsTheSteps).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "common/run_error.h"
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

// The step a file ends inside (a simulation still writing it, or a cut file).
struct IncompleteStep {
  int64_t index;  // its place among the file's steps, from 1
  int64_t bytes;  // bytes of it in the file
};

// What loading does with a file that ends inside a step.
enum class EndInsideStep {
  kIsAnError,     // throws StepCutShort
  kEndsTheSteps,  // the complete steps are the file's steps
};

// The error of a file that ends inside a step, when that is an error.
struct StepCutShort : RunError {
  using RunError::RunError;
};

class ResultFile {
 public:
  // Opens the file; throws RunError when it cannot be opened.
  ResultFile(std::string path, Simulator simulator);
  ~ResultFile();
  ResultFile(const ResultFile&) = delete;
  ResultFile& operator=(const ResultFile&) = delete;

  // Reads the header into `model` and counts the steps; afterwards the file
  // stands at the first step and StepCount() is known. The step values of
  // `model` are untouched. A file that ends inside its header, or whose
  // records are framed wrongly, throws RunError.
  void LoadModel(ModelStore& model, EndInsideStep end_inside_step = EndInsideStep::kIsAnError);
  // Reads the next step's three records into `step` (the model's current
  // step, or its spare); false after the last counted step.
  bool ReadNextStep(StepValues& step);

  // The number of complete steps in the file; known after LoadModel.
  int64_t StepCount() const { return step_count_; }
  // The step the file ends inside, if it does.
  const std::optional<IncompleteStep>& Incomplete() const { return incomplete_; }
  // True when the file was read as RX-KORIN results but its node record holds
  // exactly 36 bytes a node, the RX-DELM layout (worth a warning). Known as
  // soon as the node record is read, also when LoadModel throws later on.
  bool LooksLikeDelmResults() const { return looks_like_delm_; }

  // For a file that grows: counts the steps completed since the last count
  // (reading only the framing of the new records) and returns how many there
  // are; ReadNextStep then reads them. Throws RunError on a fault of the new
  // records.
  int64_t CountNewSteps();
  // What happened to the file besides growing, in words ("the file shrank
  // from 100 to 20 bytes"): a new run began. Empty when it only grew.
  std::string FindChange();

 private:
  // Counts steps from the end of the counted ones until the file ends.
  void CountFromEndOfCounted(EndInsideStep end_inside_step);

  class Impl;
  std::unique_ptr<Impl> impl_;
  int64_t step_count_ = 0;
  std::optional<IncompleteStep> incomplete_;
  int64_t counted_end_ = 0;  // file offset after the last counted step
  int64_t needed_size_ = 0;  // the size the file must reach for another step
  int64_t steps_read_ = 0;
  int64_t read_offset_ = 0;  // file offset of the next step to read
  std::string tail_;         // the bytes just before counted_end_
  int64_t seen_size_ = 0;    // the largest size the file was seen to have
  bool looks_like_delm_ = false;
};
