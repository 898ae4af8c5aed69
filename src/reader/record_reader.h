// RecordReader: reads the length-framed records of a result file through one
// reusable buffer, checking the framing of every record, and names each
// record in its error messages ("record 10 (step 2, node results)"). A file
// that simply ends too soon throws FileEndsEarly, so that a reader of a file
// still being written can tell it from a corrupt one.
#pragma once

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "common/platform.h"
#include "common/run_error.h"

// Which record a message is about: "record 3 (nodes)" or
// "record 10 (step 2, node results)".
struct RecordName {
  int64_t number;
  int64_t step;  // 0 for the five header records
  const char* label;

  std::string Describe() const {
    std::string text = "record " + std::to_string(number) + " (";
    if (step > 0) text += "step " + std::to_string(step) + ", ";
    return text + label + ")";
  }
};

// A result file holds kHeaderRecords records, then kRecordsPerStep a step.
inline constexpr int64_t kHeaderRecords = 5;
inline constexpr int64_t kRecordsPerStep = 3;

inline RecordName HeaderRecord(int64_t number, const char* label) { return {number, 0, label}; }
// Step k (from 1) occupies records 3k+3 to 3k+5; `part` counts from 0.
inline RecordName StepRecord(int64_t step, int part, const char* label) {
  return {kHeaderRecords + kRecordsPerStep * (step - 1) + 1 + part, step, label};
}

// The file ends before a record is whole: the framing read so far is sound,
// the rest of the bytes are missing (a file still being written, or cut).
struct FileEndsEarly : RunError {
  FileEndsEarly(const std::string& message, int64_t needed)
      : RunError(message), needed_size(needed) {}
  int64_t needed_size;  // the file size at which reading could get further
};

template <typename T>
T Decode(const char* bytes) {
  T value;
  std::memcpy(&value, bytes, sizeof(T));
  return value;
}

// Reads length-framed records through one reusable buffer. A record is read
// as Begin (leading length), any number of Take/ForEachEntry calls within its
// length, and End (skips what was not read, checks the trailing length).
class RecordReader {
 public:
  explicit RecordReader(std::string path);
  ~RecordReader();
  RecordReader(const RecordReader&) = delete;
  RecordReader& operator=(const RecordReader&) = delete;

  // File offset of the next byte to be read.
  int64_t Offset() const { return buffer_offset_ + static_cast<int64_t>(begin_); }
  void SeekTo(int64_t offset) {
    if (offset >= buffer_offset_ && offset <= buffer_offset_ + static_cast<int64_t>(end_)) {
      begin_ = static_cast<size_t>(offset - buffer_offset_);
    } else {
      buffer_offset_ = offset;
      begin_ = end_ = 0;
    }
  }

  // The file's size as last looked up (at opening, or by RefreshSize).
  int64_t FileSize() const { return file_size_; }
  // Looks the size up again, for a file that grows; forgets buffered bytes.
  void RefreshSize();
  // While skimming, records are checked by their lengths alone, and the
  // buffer is filled only as far as a length needs (no read-ahead).
  void SetSkimming(bool skimming) { skimming_ = skimming; }
  // While allowed, a record whose leading length is 0, where the file ends
  // before its fields could, counts as not written yet (FileEndsEarly).
  void AllowUnwrittenLengths(bool allowed) { unwritten_lengths_allowed_ = allowed; }
  // Up to `count` bytes at `offset`, read past the buffer; fewer at the end.
  std::string BytesAt(int64_t offset, size_t count) const;
  // False when the path no longer names the opened file (removed, replaced).
  bool PathStillNamesFile() const;

  // Reads the leading length of record `name`. At a clean end of file returns
  // false when `end_allowed`, else throws.
  bool Begin(const RecordName& name, bool end_allowed);

  int64_t Length() const { return length_; }
  // Throws unless the record holds at least `needed` bytes.
  void Require(int64_t needed) const {
    if (length_ >= needed) return;
    // Some writers (gfortran) put a record's leading length in last: 0 at the
    // end of the file is then a record still being written.
    if (unwritten_lengths_allowed_ && length_ == 0 && file_size_ - data_start_ <= needed + 4) {
      FailInside("whose leading length is not written yet", 0);
    }
    Fail(name_.Describe() + " holds " + std::to_string(length_) + " bytes, " +
         std::to_string(needed) + " are needed");
  }

  // The next `count` bytes of the record (count <= the buffer size).
  const char* Take(size_t count) {
    const char* bytes = Ensure(count);
    Consume(count);
    left_ -= static_cast<int64_t>(count);
    return bytes;
  }

  // Calls decode(bytes, index) for entries 1..count of `entry_bytes` each,
  // straight from the buffer. The caller has made sure (Require) that the
  // record holds them.
  template <typename DecodeEntry>
  void ForEachEntry(int32_t count, size_t entry_bytes, DecodeEntry&& decode) {
    for (int32_t first = 1; first <= count;) {
      Ensure(entry_bytes);
      size_t whole = (end_ - begin_) / entry_bytes;
      int32_t batch = static_cast<int32_t>(std::min<int64_t>(count - first + 1, whole));
      const char* bytes = Cursor();
      for (int32_t i = 0; i < batch; ++i) decode(bytes + i * entry_bytes, first + i);
      size_t used = static_cast<size_t>(batch) * entry_bytes;
      Consume(used);
      left_ -= static_cast<int64_t>(used);
      first += batch;
    }
  }

  // Skips the rest of the record and checks its trailing length.
  void End();

  [[noreturn]] void Fail(const std::string& what) const { throw ErrorAbout(path_, what); }

 private:
  static constexpr size_t kBufferBytes = 1 << 20;

  const char* Cursor() const { return buffer_.get() + begin_; }
  void Consume(size_t count) { begin_ += count; }

  [[noreturn]] void FailInside(const std::string& where, int64_t needed) const {
    throw FileEndsEarly(
        ErrorAbout(path_, "the file ends inside " + name_.Describe() + ", " + where).what(),
        needed);
  }

  [[noreturn]] void FailCutData() const;

  // At least `count` buffered bytes of the current record, or an error.
  const char* Ensure(size_t count) {
    if (Fill(count) < count) FailCutData();
    return Cursor();
  }

  void SkipBytes(int64_t count);

  // Tops the buffer up so that it holds at least `count` unread bytes when the
  // file has them; returns how many unread bytes it holds.
  size_t Fill(size_t count);

  std::string path_;
  platform::FileHandle file_ = platform::kNoFile;
  std::unique_ptr<char[]> buffer_;  // kBufferBytes, filled only as far as read
  int64_t buffer_offset_ = 0;       // file offset of buffer_[0]
  size_t begin_ = 0;                // first unread byte in buffer_
  size_t end_ = 0;                  // end of the buffered bytes
  RecordName name_{0, 0, ""};
  int64_t file_size_ = 0;
  int64_t data_start_ = 0;  // file offset of the current record's data
  int64_t length_ = 0;      // data length of the current record
  int64_t left_ = 0;        // data bytes of it not read yet
  bool skimming_ = false;
  bool unwritten_lengths_allowed_ = false;
};
