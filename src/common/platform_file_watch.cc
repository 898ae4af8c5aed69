// The file watch's parts that every platform shares: the stop request and
// the polling wait. Each platform's FileWatch is in
// platform_file_watch_posix.cc or platform_file_watch_windows.cc.
#include "common/platform_file_watch.h"

#include <algorithm>
#include <thread>

#include "common/platform_file_watch_impl.h"

namespace file_watch {

std::atomic<int> stop_requested = 0;

namespace {

constexpr std::chrono::milliseconds kPollingPeriod{1000};
constexpr std::chrono::milliseconds kStopCheckPeriod{100};

}  // namespace

// Sleeps up to `timeout`, waking early when a stop is requested.
FileWatch::Wake Poll(std::chrono::milliseconds timeout) {
  const auto until = std::chrono::steady_clock::now() + std::min(timeout, kPollingPeriod);
  while (!stop_requested) {
    const auto now = std::chrono::steady_clock::now();
    if (now >= until) {
      return timeout <= kPollingPeriod ? FileWatch::Wake::kTimedOut
                                       : FileWatch::Wake::kMayHaveChanged;
    }
    std::this_thread::sleep_for(
        std::min<std::chrono::steady_clock::duration>(until - now, kStopCheckPeriod));
  }
  return FileWatch::Wake::kStopRequested;
}

}  // namespace file_watch

bool StopRequested() { return file_watch::stop_requested != 0; }
