#include "common/text_output.h"

#include <algorithm>
#include <cstring>

#include "common/run_error.h"

std::unique_ptr<TextOutput> TextOutput::StandardOutput() {
  auto output = std::make_unique<TextOutput>("standard output", platform::StandardOutput(), false);
  output->console_ = platform::ConsoleTextFor(output->file_);
  return output;
}

void TextOutput::Finish() {
  Flush();
  if (copies_) {
    if (const int error = copies_->Wait(); error != 0) Failed(error);
  }
  if (!pending_) return;
  pending_->Complete();
  pending_.reset();
}

TextOutput::TextOutput(std::string name, platform::FileHandle file, bool owns_file)
    : name_(std::move(name)),
      file_(file),
      owns_file_(owns_file),
      buffer_(new char[kBufferSize]),
      cursor_(buffer_.get()),
      end_(buffer_.get() + kBufferSize) {}

std::unique_ptr<TextOutput> TextOutput::InMemory() {
  return std::make_unique<TextOutput>("memory", platform::kNoFile, false);
}

TextOutput::~TextOutput() {
  copies_.reset();  // before the file is closed
  try {
    if (!pending_ || !pending_->staged()) Flush();
  } catch (const RunError&) {
    // Reported by an explicit Flush() on every path that can still report.
  }
  if (owns_file_) platform::Close(file_);
  // Only now: a partial file is removed after it is closed.
  pending_.reset();
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
  if (text.size() < kDirectBlock || file_ == platform::kNoFile) return Append(text);
  Flush();
  if (!failed_) WriteAll(text.data(), text.size());
}

void TextOutput::Flush() {
  if (file_ == platform::kNoFile) return;
  size_t size = static_cast<size_t>(cursor_ - buffer_.get());
  cursor_ = buffer_.get();
  if (size > 0 && !failed_) WriteAll(buffer_.get(), size);
}

bool TextOutput::RepeatEarlierBytes(uint64_t from, uint64_t size) {
  if (!platform::kCopiesInsideFiles || !pending_ || !pending_->staged() || failed_) return false;
  Flush();
  if (from + size > handed_) return false;
  pending_->WillWrite(static_cast<int64_t>(size));
  if (!platform::SkipAhead(file_, static_cast<int64_t>(size))) Failed(platform::LastError());
  if (!copies_) copies_ = std::make_unique<FileCopies>(file_);
  copies_->Add(static_cast<int64_t>(from), static_cast<int64_t>(handed_),
               static_cast<int64_t>(size));
  handed_ += size;
  if (tally_ != nullptr) *tally_ += size;
  return true;
}

void TextOutput::MakeRoom(size_t n) {
  if (file_ == platform::kNoFile) return Grow(n);
  Flush();
  if (static_cast<size_t>(end_ - cursor_) < n) throw RunError("internal: reservation too large");
}

void TextOutput::WriteAll(const char* data, size_t size) {
  if (pending_) pending_->WillWrite(static_cast<int64_t>(size));
  while (size > 0) {
    if (console_ != nullptr) {
      if (!console_->Write(data, size)) Failed(platform::LastError());
      return;
    }
    const int64_t written = platform::Write(file_, data, size);
    if (written <= 0) Failed(written < 0 ? platform::LastError() : 0);
    data += written;
    size -= static_cast<size_t>(written);
    handed_ += static_cast<uint64_t>(written);
    if (tally_ != nullptr) *tally_ += static_cast<uint64_t>(written);
  }
}

void TextOutput::Failed(int error) {
  failed_ = true;
  std::string reason = error != 0 ? platform::ErrorText(error) : std::string("nothing written");
  const bool staged = pending_ && pending_->staged();
  throw ErrorAbout(name_,
                   "write failed: " + reason +
                       (staged ? "; the file is left as it was" : "; the file is incomplete"));
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
