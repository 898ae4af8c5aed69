// TextOutput: a text file (or standard output) written through one large
// buffer and handed to the system in big blocks, never a call per line.
// Formatting code reserves room, writes straight into the buffer and commits:
//
//   char* p = out.Reserve(64);
//   p = WriteIntegerField(p, n, 8);
//   out.Commit(p);
//
// A failed write throws RunError naming the file. A file output that is
// pending (common/pending_output.h) is put in its place by Finish only; an
// output dropped before that leaves its file as it was. An output in
// memory (no file) grows instead of writing: the formatting threads fill such
// outputs with chunks of lines.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "common/file_copies.h"
#include "common/pending_output.h"
#include "common/platform.h"

class TextOutput {
 public:
  static constexpr size_t kBufferSize = 1 << 20;
  // Largest request that Reserve always satisfies.
  static constexpr size_t kMaxReserve = 64 * 1024;

  // Wraps an open file, closed on destruction when `owns_file` (files are
  // opened by OutputFiles).
  TextOutput(std::string name, platform::FileHandle file, bool owns_file);
  // Standard output: its exact bytes, or, on a terminal that shows another
  // encoding, the dialogue's code page 932 texts converted for it.
  static std::unique_ptr<TextOutput> StandardOutput();
  // An output that keeps its bytes in memory (see Contents, Clear).
  static std::unique_ptr<TextOutput> InMemory();
  // Flushes what is left, ignoring a failure (call Flush() to learn of it);
  // a pending file that was not finished is dropped instead.
  ~TextOutput();
  TextOutput(const TextOutput&) = delete;
  TextOutput& operator=(const TextOutput&) = delete;

  // Room for at least n more bytes (n <= kMaxReserve) at the returned pointer.
  char* Reserve(size_t n) {
    if (static_cast<size_t>(end_ - cursor_) < n) MakeRoom(n);
    return cursor_;
  }
  // Marks the bytes up to `end` (from the last Reserve) as written.
  void Commit(char* end) { cursor_ = end; }
  // The end of the room after the last Reserve: a writer may fill the buffer
  // up to here before it commits.
  char* Limit() const { return end_; }

  void Append(std::string_view text) {
    if (text.size() > static_cast<size_t>(end_ - cursor_)) return AppendInParts(text);
    std::memcpy(cursor_, text.data(), text.size());
    cursor_ += text.size();
  }
  // Like Append; a block of kDirectBlock bytes or more goes to the system
  // straight from `text`, not copied.
  static constexpr size_t kDirectBlock = 64 * 1024;
  void AppendBlock(std::string_view text);
  void Append(char c) { *Reserve(1) = c, ++cursor_; }
  // The platform's line end (LF, or CR LF on Windows).
  void EndLine() { Append(platform::kLineEnd); }

  // Bytes written so far, those still buffered included.
  uint64_t Position() const { return handed_ + static_cast<uint64_t>(cursor_ - buffer_.get()); }
  // Writes again the `size` bytes that were written from Position() `from`
  // on: a gap is left for them, which they are copied into inside the file,
  // on a thread of their own, while the caller writes on (common/file_copies.h;
  // a failed copy is reported by Finish). False, with nothing written, where
  // that cannot be done (an output written directly, or a system that cannot
  // copy inside a file): the caller writes them itself then.
  bool RepeatEarlierBytes(uint64_t from, uint64_t size);

  // Hands every buffered byte to the system; throws RunError on failure.
  void Flush();
  // Flush, and a pending file put in its place.
  void Finish();
  const std::string& name() const { return name_; }
  // From now on also adds every byte handed to the system to `*tally`.
  void TallyBytesInto(uint64_t* tally) { tally_ = tally; }
  // Where the bytes are until Finish: for a pending file, the partial file.
  const std::string& written_path() const { return pending_ ? pending_->written_path() : name_; }
  // The file becomes whole only through Finish.
  void SetPending(std::unique_ptr<PendingOutput> pending) { pending_ = std::move(pending); }

  // In memory: the bytes written since the last Clear.
  std::string_view Contents() const {
    return {buffer_.get(), static_cast<size_t>(cursor_ - buffer_.get())};
  }
  void Clear() { cursor_ = buffer_.get(); }

 private:
  void MakeRoom(size_t n);
  void AppendInParts(std::string_view text);
  void Grow(size_t n);
  void WriteAll(const char* data, size_t size);
  // Throws the write failure for the system's error code (0: nothing written).
  [[noreturn]] void Failed(int error);

  std::string name_;
  platform::FileHandle file_;  // kNoFile in memory
  bool owns_file_;
  std::unique_ptr<platform::ConsoleText> console_;  // converts for a terminal
  bool failed_ = false;
  uint64_t* tally_ = nullptr;
  uint64_t handed_ = 0;                     // bytes handed to the system
  std::unique_ptr<PendingOutput> pending_;  // until Finish
  std::unique_ptr<FileCopies> copies_;      // bytes repeated, until Finish
  std::unique_ptr<char[]> buffer_;
  char* cursor_;
  char* end_;
};
