#include "common/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "common/run_error.h"

const char* KindOfFile(unsigned mode) {
  if (S_ISDIR(mode)) return "a directory";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  if (S_ISFIFO(mode)) return "a pipe";
  return "a special file";
}

InputFile::InputFile(const std::string& path, const std::string& role) : path_(path) {
  if (path.find('\0') != std::string::npos) throw ErrorAbout(path, "the name holds a NUL byte");
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd_ < 0) throw ErrorAbout(path, "cannot open " + role + ": " + std::strerror(errno));
  struct stat status;
  if (::fstat(fd_, &status) != 0) {
    const int error = errno;
    ::close(fd_);
    throw ErrorAbout(path, "cannot read " + role + ": " + std::strerror(error));
  }
  if (!S_ISREG(status.st_mode)) {
    ::close(fd_);
    throw ErrorAbout(path, role + " is " + KindOfFile(status.st_mode) + ", not a file to read");
  }
  setg(buffer_, buffer_, buffer_);
}

InputFile::~InputFile() { ::close(fd_); }

InputFile::int_type InputFile::underflow() {
  for (;;) {
    ssize_t got = ::read(fd_, buffer_, kBufferBytes);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) throw ErrorAbout(path_, std::string("read failed: ") + std::strerror(errno));
    setg(buffer_, buffer_, buffer_ + got);
    return got == 0 ? traits_type::eof() : traits_type::to_int_type(buffer_[0]);
  }
}
