// ProgressLine: the progress of a long run, shown on standard error only when
// it is a terminal: a line while the model loads, one line per step,
// rewritten in place, and at the end one line with the files, steps, size
// written and seconds. When standard error is not a terminal it writes
// nothing at all.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

// A size as people read it: "980 bytes", "451.6 MB", "2.05 GB" (decimal units).
std::string ShownSize(uint64_t bytes);

class ProgressLine {
 public:
  // Starts the clock; shows progress when standard error is a terminal.
  ProgressLine();

  // The result file `name` is being loaded (read through once, to count its
  // steps): a line of its own, which stays.
  void Loading(std::string_view name);
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
