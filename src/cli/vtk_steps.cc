#include "cli/vtk_steps.h"

#include "common/platform_file_watch.h"
#include "writers/vtu_writer.h"

VtkSteps::VtkSteps(OutputFiles& files, PvdCollection& collection, const StepChoice& choice,
                   Simulator simulator)
    : files_(files),
      collection_(collection),
      choice_(choice),
      simulator_(simulator),
      averages_(std::make_unique<NodeAverages>()) {}

void VtkSteps::Take(const ModelStore& model, bool is_last) {
  // The step before was taken as the last one; now it is not.
  if (last_listed_ && !choice_.Selects(last_number_, false)) collection_.DropLast();
  ++steps_read_;
  last_number_ = model.StepNo;
  last_listed_ = choice_.Selects(model.StepNo, is_last);
  if (last_listed_) Write(model);
  if (first_numbers_.size() < kNumbersShown) {
    first_numbers_.push_back(model.StepNo);
  } else {
    last_numbers_.push_back(model.StepNo);
    if (last_numbers_.size() > kNumbersShown) last_numbers_.pop_front();
  }
}

void VtkSteps::TakeCountedSteps(ResultFile& file, ModelStore& model, ProgressLine& progress) {
  while (file.ReadNextStep(model)) {
    const bool stopping = StopRequested();
    progress.Step(steps_read_ + 1, file.StepCount(), model.StepNo, model.StepTime);
    Take(model, steps_read_ + 1 == file.StepCount() || stopping);
    if (stopping) return;
  }
}

void VtkSteps::Write(const ModelStore& model) {
  const std::string path = collection_.NewStepFilePath();
  auto step_file = files_.Create(path);
  WriteVtuStep(*step_file, model, simulator_, *averages_);
  step_file->Finish();
  ++step_files_written_;
  collection_.List(model.StepTime, model.StepNo, path);
}

std::string VtkSteps::NumbersRead() const {
  std::string text;
  for (int32_t number : first_numbers_) text += (text.empty() ? "" : ", ") + std::to_string(number);
  const int64_t left_out = steps_read_ - static_cast<int64_t>(first_numbers_.size()) -
                           static_cast<int64_t>(last_numbers_.size());
  if (left_out > 0) text += ", ...";
  for (int32_t number : last_numbers_) text += ", " + std::to_string(number);
  return text;
}
