#include "reader/step_read_ahead.h"

#include <utility>

#include "common/side_thread.h"

StepReadAhead::StepReadAhead(ResultFile& file, ModelStore& model) : file_(file), model_(model) {
  ReadSpareStep();
}

StepReadAhead::~StepReadAhead() { Wait(); }

bool StepReadAhead::Next() {
  Wait();
  if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
  if (!spare_holds_step_) return false;
  model_.SwapSpareStep();
  ReadSpareStep();
  return true;
}

// The thread alone touches the file and the spare values until Wait.
void StepReadAhead::ReadSpareStep() {
  reading_ = StartSideThread([this] {
    try {
      spare_holds_step_ = file_.ReadNextStep(model_.SpareStep());
    } catch (...) {
      spare_holds_step_ = false;
      failure_ = std::current_exception();
    }
  });
}

void StepReadAhead::Wait() { JoinSideThread(reading_); }
