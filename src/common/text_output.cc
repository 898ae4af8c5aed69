#include "common/text_output.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "common/run_error.h"

std::unique_ptr<TextOutput> TextOutput::Create(const std::string& path) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) throw ErrorAbout(path, std::string("cannot create file: ") + std::strerror(errno));
  return std::make_unique<TextOutput>(path, fd, true);
}

TextOutput::TextOutput(std::string name, int fd, bool owns_fd)
    : name_(std::move(name)),
      fd_(fd),
      owns_fd_(owns_fd),
      buffer_(new char[kBufferSize]),
      cursor_(buffer_.get()),
      end_(buffer_.get() + kBufferSize) {}

TextOutput::~TextOutput() {
  try {
    Flush();
  } catch (const RunError&) {
    // Reported by an explicit Flush() on every path that can still report.
  }
  if (owns_fd_) ::close(fd_);
}

void TextOutput::Append(std::string_view text) {
  while (!text.empty()) {
    size_t room = static_cast<size_t>(end_ - cursor_);
    if (room == 0) {
      Flush();
      continue;
    }
    size_t part = text.size() < room ? text.size() : room;
    std::memcpy(cursor_, text.data(), part);
    cursor_ += part;
    text.remove_prefix(part);
  }
}

void TextOutput::Flush() {
  size_t size = static_cast<size_t>(cursor_ - buffer_.get());
  cursor_ = buffer_.get();
  if (size > 0 && !failed_) WriteAll(buffer_.get(), size);
}

void TextOutput::MakeRoom(size_t n) {
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
  }
}
