#include "common/input_file.h"

#include "common/run_error.h"

namespace {

// What a file that is not regular is, for the message.
const char* KindOfFile(platform::FileKind kind) {
  switch (kind) {
    case platform::FileKind::kDirectory:
      return "a directory";
    case platform::FileKind::kDevice:
      return "a device";
    case platform::FileKind::kPipe:
      return "a pipe";
    default:
      return "a special file";
  }
}

std::string LastErrorText() { return platform::ErrorText(platform::LastError()); }

}  // namespace

InputFile::InputFile(const std::string& path, const std::string& role) : path_(path) {
  if (path.find('\0') != std::string::npos) throw ErrorAbout(path, "the name holds a NUL byte");
  file_ = platform::OpenToRead(path);
  if (file_ == platform::kNoFile)
    throw ErrorAbout(path, "cannot open " + role + ": " + LastErrorText());
  platform::FileStatus status;
  if (!platform::StatusOf(file_, &status)) {
    const std::string reason = LastErrorText();
    platform::Close(file_);
    throw ErrorAbout(path, "cannot read " + role + ": " + reason);
  }
  if (status.kind != platform::FileKind::kRegular) {
    platform::Close(file_);
    throw ErrorAbout(path, role + " is " + KindOfFile(status.kind) + ", not a file to read");
  }
  setg(buffer_, buffer_, buffer_);
}

InputFile::~InputFile() { platform::Close(file_); }

InputFile::int_type InputFile::underflow() {
  const int64_t got = platform::Read(file_, buffer_, kBufferBytes);
  if (got < 0) throw ErrorAbout(path_, "read failed: " + LastErrorText());
  setg(buffer_, buffer_, buffer_ + got);
  return got == 0 ? traits_type::eof() : traits_type::to_int_type(buffer_[0]);
}
