#include "common/progress_line.h"

#include <cstdio>

#include "common/platform.h"

// Each line starts with a carriage return, so that it overwrites the last one,
// and ends with "erase to the end of the line" (ESC [ K), so that nothing of a
// longer earlier line is left.

ProgressLine::ProgressLine()
    : shown_(platform::UseAsTerminal(platform::StandardError())),
      start_(std::chrono::steady_clock::now()) {}

void ProgressLine::Step(int64_t index, int64_t total, int32_t step_no, double step_time) {
  if (!shown_) return;
  char text[160];
  int size = std::snprintf(
      text, sizeof text, "\rrxpost: step %lld of %lld (number %d, time %g)\033[K",
      static_cast<long long>(index), static_cast<long long>(total), step_no, step_time);
  Show(std::string_view(text, static_cast<size_t>(size)));
}

void ProgressLine::Waiting(int64_t written, int64_t index, int64_t bytes_present) {
  if (!shown_) return;
  char text[200];
  int size = std::snprintf(text, sizeof text,
                           "\rrxpost: %lld step%s written; waiting for step %lld of the file "
                           "(%.1f MB of it so far)\033[K",
                           static_cast<long long>(written), written == 1 ? "" : "s",
                           static_cast<long long>(index), static_cast<double>(bytes_present) / 1e6);
  Show(std::string_view(text, static_cast<size_t>(size)));
}

void ProgressLine::Finish(int64_t files, int64_t steps, uint64_t bytes) {
  if (!shown_) return;
  const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start_;
  char text[200];
  int size = std::snprintf(
      text, sizeof text, "\rrxpost: %lld file%s, %lld step%s written, %llu bytes, %.2f s\033[K\n",
      static_cast<long long>(files), files == 1 ? "" : "s", static_cast<long long>(steps),
      steps == 1 ? "" : "s", static_cast<unsigned long long>(bytes), seconds.count());
  Show(std::string_view(text, static_cast<size_t>(size)));
}

void ProgressLine::Show(std::string_view text) {
  // Progress is a courtesy: a terminal that refuses it does not stop the run.
  if (platform::Write(platform::StandardError(), text.data(), text.size()) < 0) shown_ = false;
}
