// The file watch's shared parts, for the platform's own FileWatch::Impl and
// CatchStopSignals (platform_file_watch_posix.cc, platform_file_watch_windows.cc).
#pragma once

#include <atomic>
#include <chrono>

#include "common/platform_file_watch.h"

namespace file_watch {

// Set by the stop signals' handler, which may run on another thread than the
// wait (always so on Windows): a lock-free atomic, safe in a handler.
extern std::atomic<int> stop_requested;
static_assert(std::atomic<int>::is_always_lock_free);
// Sleeps up to `timeout` (at most about a second), waking early when a stop
// is requested.
FileWatch::Wake Poll(std::chrono::milliseconds timeout);

}  // namespace file_watch
