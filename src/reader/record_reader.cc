#include "reader/record_reader.h"

namespace {

std::string LastErrorText() { return platform::ErrorText(platform::LastError()); }

}  // namespace

RecordReader::RecordReader(std::string path) : path_(std::move(path)) {
  file_ = platform::OpenToRead(path_);
  if (file_ == platform::kNoFile) Fail("cannot open result file: " + LastErrorText());
  platform::FileStatus status;
  if (!platform::StatusOf(file_, &status)) {
    const std::string reason = LastErrorText();
    platform::Close(file_);
    Fail("cannot read result file: " + reason);
  }
  file_size_ = status.size;
  buffer_.reset(new char[kBufferBytes]);
}

RecordReader::~RecordReader() { platform::Close(file_); }

void RecordReader::RefreshSize() {
  platform::FileStatus status;
  if (!platform::StatusOf(file_, &status)) Fail("cannot read result file: " + LastErrorText());
  file_size_ = status.size;
  buffer_offset_ = Offset();
  begin_ = end_ = 0;
}

std::string RecordReader::BytesAt(int64_t offset, size_t count) const {
  std::string bytes(count, '\0');
  size_t got = 0;
  while (got < count) {
    const int64_t n = platform::ReadAt(file_, bytes.data() + got, count - got,
                                       offset + static_cast<int64_t>(got));
    if (n < 0) Fail("cannot read result file: " + LastErrorText());
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  bytes.resize(got);
  return bytes;
}

bool RecordReader::PathStillNamesFile() const {
  platform::FileStatus named, opened;
  return platform::StatusOfPath(path_, &named) && platform::StatusOf(file_, &opened) &&
         named.id == opened.id;
}

bool RecordReader::Begin(const RecordName& name, bool end_allowed) {
  name_ = name;
  size_t available = Fill(4);
  if (available == 0 && end_allowed) return false;
  const int64_t start = Offset();
  if (available == 0) {
    throw FileEndsEarly(
        ErrorAbout(path_, "the file ends where " + name_.Describe() + " should begin").what(),
        start + 4);
  }
  if (available < 4) FailInside("in its leading length", start + 4);
  length_ = Decode<int32_t>(Cursor());
  Consume(4);
  if (length_ < 0) {
    Fail(name_.Describe() + " has a negative length (" + std::to_string(length_) + ")");
  }
  left_ = length_;
  data_start_ = Offset();
  return true;
}

void RecordReader::End() {
  if (data_start_ + length_ > file_size_) FailCutData();
  SkipBytes(left_);
  left_ = 0;
  if (Fill(4) < 4) FailInside("in its trailing length", data_start_ + length_ + 4);
  int32_t trailing = Decode<int32_t>(Cursor());
  Consume(4);
  if (trailing == length_) return;
  Fail(name_.Describe() + " is framed inconsistently: it starts with length " +
       std::to_string(length_) + " but ends with " + std::to_string(trailing));
}

void RecordReader::FailCutData() const {
  int64_t present = std::clamp<int64_t>(file_size_ - data_start_, 0, length_);
  FailInside("after " + std::to_string(present) + " of its " + std::to_string(length_) + " bytes",
             data_start_ + length_ + 4);
}

void RecordReader::SkipBytes(int64_t count) {
  int64_t buffered = static_cast<int64_t>(end_ - begin_);
  if (count <= buffered) {
    begin_ += static_cast<size_t>(count);
  } else {
    buffer_offset_ = Offset() + count;
    begin_ = end_ = 0;
  }
}

size_t RecordReader::Fill(size_t count) {
  if (end_ - begin_ >= count) return end_ - begin_;
  std::memmove(buffer_.get(), Cursor(), end_ - begin_);
  buffer_offset_ += static_cast<int64_t>(begin_);
  end_ -= begin_;
  begin_ = 0;
  // Skimming reads no further than asked (a little more, for the next length).
  const size_t wanted = skimming_ ? std::min(kBufferBytes, count + 16) : kBufferBytes;
  while (end_ < count) {
    const int64_t got = platform::ReadAt(file_, buffer_.get() + end_, wanted - end_,
                                         buffer_offset_ + static_cast<int64_t>(end_));
    if (got < 0) Fail("cannot read " + name_.Describe() + ": " + LastErrorText());
    if (got == 0) break;
    end_ += static_cast<size_t>(got);
  }
  return end_;
}
