// The file watch on Windows: the file is looked at about once a second, and
// Ctrl-C sets the stop request.
#include <csignal>

#include "common/platform_file_watch.h"
#include "common/platform_file_watch_impl.h"

namespace {

extern "C" void RequestStop(int) { file_watch::stop_requested = 1; }

}  // namespace

class FileWatch::Impl {
 public:
  Impl(const std::string&, Method) {}
  Wake Wait(std::chrono::milliseconds timeout) { return file_watch::Poll(timeout); }
  bool Notified() const { return false; }
};

void CatchStopSignals() {
  std::signal(SIGINT, RequestStop);
  std::signal(SIGTERM, RequestStop);
}

FileWatch::FileWatch(const std::string& path, Method method)
    : impl_(std::make_unique<Impl>(path, method)) {}
FileWatch::~FileWatch() = default;

FileWatch::Wake FileWatch::Wait(std::chrono::milliseconds timeout) { return impl_->Wait(timeout); }
bool FileWatch::Notified() const { return impl_->Notified(); }
