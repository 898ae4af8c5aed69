// ProgressLine: the progress of a long pass over the steps, shown on standard
// error only when it is a terminal: one line per step, rewritten in place,
// and at the end one line with the files, steps, bytes and seconds. When
// standard error is not a terminal it writes nothing at all.
#pragma once

#include <chrono>
#include <cstdint>
#include <string_view>

class ProgressLine {
 public:
  // Starts the clock; shows progress when standard error is a terminal.
  ProgressLine();

  // Step `index` of `total` (counted from 1), numbered step_no, at step_time.
  void Step(int64_t index, int64_t total, int32_t step_no, double step_time);
  // While a growing file is followed: `written` steps written, waiting for
  // step `index` of the file, of which `bytes_present` bytes are there.
  void Waiting(int64_t written, int64_t index, int64_t bytes_present);
  // The closing line; `steps` is the number of steps written.
  void Finish(int64_t files, int64_t steps, uint64_t bytes);

 private:
  void Show(std::string_view text);

  bool shown_;
  std::chrono::steady_clock::time_point start_;
};
