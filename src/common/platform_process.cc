#include "common/platform_process.h"

#include <csignal>

#include "common/pending_output.h"

#ifdef _WIN32

#include <fcntl.h>
#include <io.h>

void OpenClosedStandardStreams() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (_get_osfhandle(fd) == -1) {
      const int opened = _open("NUL", fd == 0 ? _O_RDONLY : _O_WRONLY);
      if (opened >= 0 && opened != fd) {
        _dup2(opened, fd);
        _close(opened);
      }
    }
  }
}

namespace {

void EndOnSignal(int signal) {
  ReportInterruptedOutputs(signal == SIGINT ? "Ctrl-C" : "a termination request", false);
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

}  // namespace

void EndRunsCleanlyOnInterrupt() {
  for (int signal : {SIGINT, SIGTERM, SIGBREAK}) std::signal(signal, EndOnSignal);
}

#else

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

void OpenClosedStandardStreams() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // The lowest free descriptor is this one.
    const int opened = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    if (opened >= 0 && opened != fd) {
      ::dup2(opened, fd);
      ::close(opened);
    }
  }
}

namespace {

const char* SignalName(int signal) {
  switch (signal) {
    case SIGINT:
      return "SIGINT";
    case SIGTERM:
      return "SIGTERM";
    case SIGPIPE:
      return "SIGPIPE";
    default:
      return "SIGHUP";
  }
}

// Runs once: the handler is reset to the default before it is called, so the
// signal raised again ends the process.
void EndOnSignal(int signal) {
  // A reader that went away (`rxpost info ... | head`) is no news of its own.
  ReportInterruptedOutputs(SignalName(signal), signal == SIGPIPE);
  ::raise(signal);
}

}  // namespace

void EndRunsCleanlyOnInterrupt() {
  struct sigaction action = {};
  action.sa_handler = EndOnSignal;
  action.sa_flags = SA_RESETHAND;
  sigemptyset(&action.sa_mask);
  constexpr int kEnds[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};
  for (int signal : kEnds) sigaddset(&action.sa_mask, signal);
  for (int signal : kEnds) ::sigaction(signal, &action, nullptr);
  // A write past the process's file size limit then fails, and is reported.
  ::signal(SIGXFSZ, SIG_IGN);
}

#endif
