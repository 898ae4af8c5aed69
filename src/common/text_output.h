// TextOutput: a text file (or standard output) written through one large
// buffer and handed to the system in big blocks, never a call per line.
// Formatting code reserves room, writes straight into the buffer and commits:
//
//   char* p = out.Reserve(64);
//   p = WriteIntegerField(p, n, 8);
//   out.Commit(p);
//
// A failed write throws RunError naming the file and saying that it is
// incomplete; bytes written before the failure stay in the file.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

class TextOutput {
 public:
  static constexpr size_t kBufferSize = 1 << 20;
  // Largest request that Reserve always satisfies.
  static constexpr size_t kMaxReserve = 64 * 1024;

  // Creates (or truncates) the file at `path`; throws RunError when it cannot.
  static std::unique_ptr<TextOutput> Create(const std::string& path);
  // Wraps an open descriptor that the caller keeps (standard output, say).
  TextOutput(std::string name, int fd, bool owns_fd);
  // Flushes what is left, ignoring a failure: call Flush() to learn of it.
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

  void Append(std::string_view text);
  void Append(char c) { *Reserve(1) = c, ++cursor_; }
  void EndLine() { Append('\n'); }

  // Hands every buffered byte to the system; throws RunError on failure.
  void Flush();
  const std::string& name() const { return name_; }

 private:
  void MakeRoom(size_t n);
  void WriteAll(const char* data, size_t size);

  std::string name_;
  int fd_;
  bool owns_fd_;
  bool failed_ = false;
  std::unique_ptr<char[]> buffer_;
  char* cursor_;
  char* end_;
};
