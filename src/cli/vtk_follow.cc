#include "cli/vtk_follow.h"

#include <chrono>
#include <cstdio>

#include "common/platform_file_watch.h"
#include "common/run_error.h"

namespace {

using Clock = std::chrono::steady_clock;

// Even with notifications the file is looked at this often, for file systems
// that do not report every change (network drives).
constexpr std::chrono::milliseconds kLookAgainAfter{5000};

}  // namespace

namespace {

// Puts the steps completed since the last look into the collection; false
// when there are none. Throws when the file changed other than by growing.
bool TakeNewSteps(const VtkOptions& options, ResultFile& file, ModelStore& model, VtkSteps& steps,
                  PvdCollection& collection, ProgressLine& progress) {
  if (const std::string change = file.FindChange(); !change.empty()) {
    throw ErrorAbout(options.result_path,
                     change +
                         ", as when a new run begins; following ends, the collection keeps "
                         "the steps written (" +
                         std::to_string(collection.DataSets().size()) + " listed)");
  }
  if (file.CountNewSteps() == 0) return false;
  steps.TakeCountedSteps(file, model, progress);
  collection.PutInPlace();
  return true;
}

std::string IdleNote(const VtkOptions& options) {
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%g", options.idle_seconds);
  return EscapedText(options.result_path) + ": no new step for " + seconds +
         " s (--idle); following ends";
}

}  // namespace

std::string FollowGrowth(const VtkOptions& options, ResultFile& file, ModelStore& model,
                         VtkSteps& steps, PvdCollection& collection, ProgressLine& progress) {
  FileWatch watch(options.result_path);
  const std::chrono::duration<double> idle(options.idle_seconds);
  // The file may have grown before the watch began.
  if (!StopRequested()) TakeNewSteps(options, file, model, steps, collection, progress);
  Clock::time_point last_step_at = Clock::now();
  while (!StopRequested()) {
    const std::optional<IncompleteStep>& tail = file.Incomplete();
    progress.Waiting(std::ssize(collection.DataSets()), file.StepCount() + 1,
                     tail ? tail->bytes : 0);
    std::chrono::milliseconds timeout = kLookAgainAfter;
    if (options.idle_seconds > 0) {
      const auto left = last_step_at + idle - Clock::now();
      if (left <= Clock::duration::zero()) return IdleNote(options);
      timeout = std::min(timeout, std::chrono::ceil<std::chrono::milliseconds>(left));
    }
    if (watch.Wait(timeout) == FileWatch::Wake::kStopRequested) break;
    if (TakeNewSteps(options, file, model, steps, collection, progress)) {
      last_step_at = Clock::now();
    }
  }
  return "";
}
