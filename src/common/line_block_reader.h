// LineBlockReader: a text file read in big blocks (one system call a block,
// never one a line) and handed out line by line from memory; each next block
// is read on a thread of its own while the lines of the one before are
// handed out. A line is held to its first kMaxLineLength characters, the
// rest of it is skipped, so memory stays the same whatever the file's size or
// its longest line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <thread>

#include "common/platform.h"

class LineBlockReader {
 public:
  static constexpr size_t kBlockSize = 4 << 20;
  static constexpr size_t kMaxLineLength = 200;

  // Opens the file at `path`; throws RunError naming it when it cannot.
  explicit LineBlockReader(std::string path);
  ~LineBlockReader();
  LineBlockReader(const LineBlockReader&) = delete;
  LineBlockReader& operator=(const LineBlockReader&) = delete;

  // The next line, without its line end (LF, or CR LF) and cut after
  // kMaxLineLength characters; a last line without a line end counts as a line. False at the
  // end of the file. The view holds until the next call. Throws RunError
  // naming the file when a read fails.
  bool NextLine(std::string_view* line) {
    const char* end_of_line =
        static_cast<const char*>(std::memchr(next_, '\n', static_cast<size_t>(end_ - next_)));
    if (end_of_line == nullptr) return NextLineAcrossBlocks(line);
    size_t length = static_cast<size_t>(end_of_line - next_);
    if (length > 0 && next_[length - 1] == '\r') --length;
    *line = {next_, length < kMaxLineLength ? length : kMaxLineLength};
    next_ = end_of_line + 1;
    return true;
  }

  const std::string& name() const { return name_; }

 private:
  bool NextLineAcrossBlocks(std::string_view* line);
  // Makes the block read ahead the current one and starts reading the next;
  // false at the end of the file.
  bool ReadBlock();
  void StartReadingSpare();

  std::string name_;
  platform::FileHandle file_;
  std::unique_ptr<char[]> block_;
  std::unique_ptr<char[]> spare_;  // the block being read ahead
  std::thread reading_;
  int64_t spare_bytes_ = 0;  // read into spare_, or -1 after a failed read
  int spare_error_ = 0;
  const char* next_;                // the start of the next line in the block
  const char* end_;                 // the end of the bytes read into the block
  char long_line_[kMaxLineLength];  // a line that runs over the end of a block
};
