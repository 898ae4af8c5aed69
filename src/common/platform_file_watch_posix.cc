// The file watch on Linux: inotify, and a pipe that the stop signals' handler
// writes to, so that a wait wakes at once.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>

#include "common/platform_file_watch.h"
#include "common/platform_file_watch_impl.h"

using file_watch::Poll;
using file_watch::stop_requested;

namespace {

// The signal handler writes a byte here, so that a poll() wakes at once
// even when the signal came just before it began.
int stop_pipe[2] = {-1, -1};

extern "C" void RequestStop(int) {
  stop_requested = 1;
  const int saved = errno;
  if (stop_pipe[1] >= 0 && ::write(stop_pipe[1], "s", 1) < 0) {
    // A full pipe wakes the wait all the same.
  }
  errno = saved;
}

}  // namespace

class FileWatch::Impl {
 public:
  Impl(const std::string& path, Method method) {
    if (method == Method::kPolling) return;
    fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ < 0) return;
    constexpr uint32_t kEvents =
        IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE | IN_MOVE_SELF | IN_DELETE_SELF;
    if (::inotify_add_watch(fd_, path.c_str(), kEvents) < 0) {
      ::close(fd_);
      fd_ = -1;
    }
  }
  ~Impl() {
    if (fd_ >= 0) ::close(fd_);
  }

  Wake Wait(std::chrono::milliseconds timeout) {
    if (fd_ < 0) return Poll(timeout);
    pollfd watched[2] = {{fd_, POLLIN, 0}, {stop_pipe[0], POLLIN, 0}};
    const int count = stop_pipe[0] >= 0 ? 2 : 1;
    while (!stop_requested) {
      const int ready = ::poll(watched, count, static_cast<int>(timeout.count()));
      if (ready < 0 && errno == EINTR) continue;
      if (ready <= 0) return ready == 0 ? Wake::kTimedOut : Poll(timeout);
      if ((watched[0].revents & POLLIN) == 0) continue;
      Drain();
      return Wake::kMayHaveChanged;
    }
    return Wake::kStopRequested;
  }

  bool Notified() const { return fd_ >= 0; }

 private:
  // Reads the queued events; any of them just means: look again.
  void Drain() {
    alignas(inotify_event) char events[4096];
    while (::read(fd_, events, sizeof events) > 0) {
    }
  }

  int fd_ = -1;
};

void CatchStopSignals() {
  if (stop_pipe[0] < 0 && ::pipe2(stop_pipe, O_NONBLOCK | O_CLOEXEC) != 0) {
    stop_pipe[0] = stop_pipe[1] = -1;
  }
  struct sigaction action = {};
  action.sa_handler = RequestStop;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;  // no SA_RESTART: a blocked read or poll returns at once
  ::sigaction(SIGINT, &action, nullptr);
  ::sigaction(SIGTERM, &action, nullptr);
}

FileWatch::FileWatch(const std::string& path, Method method)
    : impl_(std::make_unique<Impl>(path, method)) {}
FileWatch::~FileWatch() = default;

FileWatch::Wake FileWatch::Wait(std::chrono::milliseconds timeout) { return impl_->Wait(timeout); }
bool FileWatch::Notified() const { return impl_->Notified(); }
