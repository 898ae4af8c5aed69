// InputFile: a text file the run reads, opened and checked before anything is
// written: it must open for reading and be a regular file (not a directory, a
// device or a pipe). Its bytes are read through a 64 KiB buffer as a streambuf.
#pragma once

#include <streambuf>
#include <string>

#include "common/platform.h"

class InputFile : public std::streambuf {
 public:
  // Opens `path`; throws RunError naming the file and `role` ("the job list")
  // with the system's reason when it cannot, or when it is no regular file.
  InputFile(const std::string& path, const std::string& role);
  ~InputFile() override;
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

 protected:
  int_type underflow() override;

 private:
  static constexpr size_t kBufferBytes = 64 * 1024;

  std::string path_;
  platform::FileHandle file_ = platform::kNoFile;
  char buffer_[kBufferBytes];
};
