#include "reader/step_read_ahead.h"

#include <system_error>
#include <utility>

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

// On a thread of its own when one can be started; the thread alone touches
// the file and the spare values until Wait.
void StepReadAhead::ReadSpareStep() {
  auto read = [this] {
    try {
      spare_holds_step_ = file_.ReadNextStep(model_.SpareStep());
    } catch (...) {
      spare_holds_step_ = false;
      failure_ = std::current_exception();
    }
  };
  try {
    reading_ = std::thread(read);
  } catch (const std::system_error&) {
    read();
  }
}

void StepReadAhead::Wait() {
  if (reading_.joinable()) reading_.join();
}
