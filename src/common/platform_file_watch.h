// Waiting for a file to grow without spinning, and the stop request of the
// user (Ctrl-C, SIGTERM) while a program waits. On Linux the file is watched
// with inotify; elsewhere, or where inotify is not available, it is looked at
// about once a second. Each platform has its own version of these in
// platform_file_watch_posix.cc or platform_file_watch_windows.cc.
#pragma once

#include <chrono>
#include <memory>
#include <string>

class FileWatch {
 public:
  enum class Method { kBest, kPolling };
  enum class Wake { kMayHaveChanged, kTimedOut, kStopRequested };

  // Watches the file at `path` (kBest: notifications where the system has
  // them, else polling).
  explicit FileWatch(const std::string& path, Method method = Method::kBest);
  ~FileWatch();
  FileWatch(const FileWatch&) = delete;
  FileWatch& operator=(const FileWatch&) = delete;

  // Waits until the file may have changed, `timeout` has passed, or a stop
  // was requested (see CatchStopSignals). Polling says kMayHaveChanged about
  // once a second.
  Wake Wait(std::chrono::milliseconds timeout);
  bool Notified() const;  // false when polling

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

// From now on Ctrl-C and SIGTERM do not end the program: they set the stop
// request, which StopRequested() reports and which ends a FileWatch::Wait.
void CatchStopSignals();
bool StopRequested();
