#include "common/line_block_reader.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "common/run_error.h"

LineBlockReader::LineBlockReader(std::string path)
    : name_(std::move(path)),
      fd_(::open(name_.c_str(), O_RDONLY | O_CLOEXEC)),
      block_(new char[kBlockSize]),
      next_(block_.get()),
      end_(block_.get()) {
  if (fd_ < 0)
    throw ErrorAbout(name_, std::string("cannot open for reading: ") + std::strerror(errno));
}

LineBlockReader::~LineBlockReader() { ::close(fd_); }

bool LineBlockReader::ReadBlock() {
  for (;;) {
    const ssize_t got = ::read(fd_, block_.get(), kBlockSize);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) throw ErrorAbout(name_, std::string("read failed: ") + std::strerror(errno));
    next_ = block_.get();
    end_ = block_.get() + got;
    return got > 0;
  }
}

// Gathers the line's first characters in long_line_ while its end is looked
// for in the following blocks.
bool LineBlockReader::NextLineAcrossBlocks(std::string_view* line) {
  size_t kept = 0;
  for (;;) {
    const size_t available = static_cast<size_t>(end_ - next_);
    const char* end_of_line = static_cast<const char*>(std::memchr(next_, '\n', available));
    const size_t part = end_of_line ? static_cast<size_t>(end_of_line - next_) : available;
    const size_t taken = std::min(part, kMaxLineLength - kept);
    std::memcpy(long_line_ + kept, next_, taken);
    kept += taken;
    if (end_of_line != nullptr) {
      next_ = end_of_line + 1;
      break;
    }
    next_ = end_;
    if (!ReadBlock()) {
      if (kept == 0) return false;
      break;
    }
  }
  *line = {long_line_, kept};
  return true;
}
