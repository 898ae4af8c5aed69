#include "common/line_block_reader.h"

#include <algorithm>

#include "common/run_error.h"
#include "common/side_thread.h"

LineBlockReader::LineBlockReader(std::string path)
    : name_(std::move(path)),
      file_(platform::OpenToRead(name_)),
      block_(new char[kBlockSize]),
      spare_(new char[kBlockSize]),
      next_(block_.get()),
      end_(block_.get()) {
  if (file_ == platform::kNoFile) {
    throw ErrorAbout(name_,
                     "cannot open for reading: " + platform::ErrorText(platform::LastError()));
  }
  StartReadingSpare();
}

LineBlockReader::~LineBlockReader() {
  JoinSideThread(reading_);
  platform::Close(file_);
}

// Until the thread is joined, only it touches the file and the spare block.
void LineBlockReader::StartReadingSpare() {
  reading_ = StartSideThread([this] {
    spare_bytes_ = platform::Read(file_, spare_.get(), kBlockSize);
    if (spare_bytes_ < 0) spare_error_ = platform::LastError();
  });
}

bool LineBlockReader::ReadBlock() {
  JoinSideThread(reading_);
  if (spare_bytes_ < 0) {
    throw ErrorAbout(name_, "read failed: " + platform::ErrorText(spare_error_));
  }
  std::swap(block_, spare_);
  next_ = block_.get();
  end_ = block_.get() + spare_bytes_;
  if (spare_bytes_ == 0) return false;
  StartReadingSpare();
  return true;
}

// Gathers the line's first characters in long_line_ while its end is looked
// for in the following blocks; a CR that ends the line is not part of it.
bool LineBlockReader::NextLineAcrossBlocks(std::string_view* line) {
  size_t kept = 0;
  uint64_t length = 0;  // of the whole line
  char last = '\0';
  for (;;) {
    const size_t available = static_cast<size_t>(end_ - next_);
    const char* end_of_line = static_cast<const char*>(std::memchr(next_, '\n', available));
    const size_t part = end_of_line ? static_cast<size_t>(end_of_line - next_) : available;
    const size_t taken = std::min(part, kMaxLineLength - kept);
    std::memcpy(long_line_ + kept, next_, taken);
    kept += taken;
    length += part;
    if (part > 0) last = next_[part - 1];
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
  if (last == '\r') kept = static_cast<size_t>(std::min<uint64_t>(kept, length - 1));
  *line = {long_line_, kept};
  return true;
}
