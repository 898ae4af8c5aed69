// VtkSteps: the steps of an `rxpost vtk` run as they are read, one at a time:
// each step that --steps selects becomes a step file and a data set of the
// collection. A step chosen only for being the last one ("final") leaves the
// collection again when a later step arrives, as happens while a growing file
// is followed. It also keeps the first and last few step numbers read, for the
// note that names them when no step is chosen.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "cli/step_choice.h"
#include "common/output_files.h"
#include "common/progress_line.h"
#include "model/model_store.h"
#include "model/node_averages.h"
#include "model/simulator.h"
#include "reader/result_file.h"
#include "writers/pvd_collection.h"

class VtkSteps {
 public:
  VtkSteps(OutputFiles& files, PvdCollection& collection, const StepChoice& choice,
           Simulator simulator);

  // The step just read into `model`; `is_last` when no later step is known.
  // Writes its step file when it is chosen.
  void Take(const ModelStore& model, bool is_last);
  // Reads and takes the steps of `file` counted but not read yet. At a stop
  // request (see StopRequested) it stops after the step being read, which
  // it takes as the last one.
  void TakeCountedSteps(ResultFile& file, ModelStore& model, ProgressLine& progress);
  int64_t StepsRead() const { return steps_read_; }
  // Step files written (also those that left the collection again).
  int64_t StepFilesWritten() const { return step_files_written_; }
  // "1, 2, 3" or "1, 2, 3, 4, 5, ..., 96, 97, 98, 99, 100": the numbers of the
  // steps read.
  std::string NumbersRead() const;

 private:
  static constexpr size_t kNumbersShown = 5;

  void Write(const ModelStore& model);

  OutputFiles& files_;
  PvdCollection& collection_;
  const StepChoice& choice_;
  Simulator simulator_;
  std::unique_ptr<NodeAverages> averages_;
  int64_t steps_read_ = 0;
  int64_t step_files_written_ = 0;
  int32_t last_number_ = 0;
  bool last_listed_ = false;  // the last step read is the collection's last data set
  std::vector<int32_t> first_numbers_;
  std::deque<int32_t> last_numbers_;
};
