// The file watch's shared parts, for the platform's own FileWatch::Impl and
// CatchStopSignals (platform_file_watch_posix.cc, platform_file_watch_windows.cc).
#pragma once

#include <chrono>
#include <csignal>

#include "common/platform_file_watch.h"

namespace file_watch {

// Set by the stop signals' handler.
extern volatile std::sig_atomic_t stop_requested;
// Sleeps up to `timeout` (at most about a second), waking early when a stop
// is requested.
FileWatch::Wake Poll(std::chrono::milliseconds timeout);

}  // namespace file_watch
