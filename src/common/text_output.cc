#include "common/text_output.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "common/run_error.h"

void TextOutput::Finish() {
  Flush();
  if (!cut_when_done_) return;
  cut_when_done_ = false;
  if (::ftruncate(fd_, static_cast<off_t>(written_)) != 0) {
    failed_ = true;
    throw ErrorAbout(name_, std::string("cannot cut the file at its end: ") + std::strerror(errno));
  }
}

TextOutput::TextOutput(std::string name, int fd, bool owns_fd)
    : name_(std::move(name)),
      fd_(fd),
      owns_fd_(owns_fd),
      buffer_(new char[kBufferSize]),
      cursor_(buffer_.get()),
      end_(buffer_.get() + kBufferSize) {}

std::unique_ptr<TextOutput> TextOutput::InMemory() {
  return std::make_unique<TextOutput>("memory", -1, false);
}

TextOutput::~TextOutput() {
  try {
    Flush();
  } catch (const RunError&) {
    // Reported by an explicit Flush() on every path that can still report.
  }
  // An unfinished file is cut all the same, so that nothing of an old one is
  // left behind what was written.
  if (cut_when_done_) (void)!::ftruncate(fd_, static_cast<off_t>(written_));
  if (owns_fd_) ::close(fd_);
}

void TextOutput::AppendInParts(std::string_view text) {
  while (!text.empty()) {
    size_t room = static_cast<size_t>(end_ - cursor_);
    if (room == 0) {
      MakeRoom(1);
      continue;
    }
    size_t part = text.size() < room ? text.size() : room;
    std::memcpy(cursor_, text.data(), part);
    cursor_ += part;
    text.remove_prefix(part);
  }
}

void TextOutput::AppendBlock(std::string_view text) {
  if (text.size() < kBufferSize || fd_ < 0) return Append(text);
  Flush();
  if (!failed_) WriteAll(text.data(), text.size());
}

void TextOutput::Flush() {
  if (fd_ < 0) return;
  size_t size = static_cast<size_t>(cursor_ - buffer_.get());
  cursor_ = buffer_.get();
  if (size > 0 && !failed_) WriteAll(buffer_.get(), size);
}

void TextOutput::MakeRoom(size_t n) {
  if (fd_ < 0) return Grow(n);
  Flush();
  if (static_cast<size_t>(end_ - cursor_) < n) throw RunError("internal: reservation too large");
}

void TextOutput::WriteAll(const char* data, size_t size) {
  while (size > 0) {
    ssize_t written = ::write(fd_, data, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      failed_ = true;
      std::string reason = written < 0 ? std::strerror(errno) : "nothing written";
      throw ErrorAbout(name_, "write failed: " + reason + "; the file is incomplete");
    }
    data += written;
    size -= static_cast<size_t>(written);
    written_ += static_cast<uint64_t>(written);
    if (tally_ != nullptr) *tally_ += static_cast<uint64_t>(written);
  }
}

// Doubles the memory buffer (or more, for a large request), keeping its bytes.
void TextOutput::Grow(size_t n) {
  const size_t used = static_cast<size_t>(cursor_ - buffer_.get());
  const size_t size = static_cast<size_t>(end_ - buffer_.get());
  const size_t new_size = std::max(2 * size, used + n);
  std::unique_ptr<char[]> grown(new char[new_size]);
  std::memcpy(grown.get(), buffer_.get(), used);
  buffer_ = std::move(grown);
  cursor_ = buffer_.get() + used;
  end_ = buffer_.get() + new_size;
}
