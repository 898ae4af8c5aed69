#include "driver/result_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "common/run_error.h"

static_assert(std::endian::native == std::endian::little,
              "result files are little-endian; entries are decoded by copying bytes");

namespace {

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

RecordName HeaderRecord(int64_t number, const char* label) { return {number, 0, label}; }
// Step k (from 1) occupies records 3k+3 to 3k+5.
RecordName StepRecord(int64_t step, int part, const char* label) {
  return {3 * step + 3 + part, step, label};
}

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
  explicit RecordReader(std::string path) : path_(std::move(path)) {
    fd_ = ::open(path_.c_str(), O_RDONLY);
    if (fd_ < 0) Fail(std::string("cannot open result file: ") + std::strerror(errno));
    struct stat status;
    if (::fstat(fd_, &status) != 0) {
      int error = errno;
      ::close(fd_);
      Fail(std::string("cannot read result file: ") + std::strerror(error));
    }
    file_size_ = status.st_size;
    buffer_.resize(kBufferBytes);
  }
  ~RecordReader() { ::close(fd_); }
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

  // Reads the leading length of record `name`. At a clean end of file returns
  // false when `end_allowed`, else throws.
  bool Begin(const RecordName& name, bool end_allowed) {
    name_ = name;
    size_t available = Fill(4);
    if (available == 0 && end_allowed) return false;
    if (available == 0) Fail("the file ends where " + name_.Describe() + " should begin");
    if (available < 4) FailInside("in its leading length");
    length_ = Decode<int32_t>(Cursor());
    Consume(4);
    if (length_ < 0) {
      Fail(name_.Describe() + " has a negative length (" + std::to_string(length_) + ")");
    }
    left_ = length_;
    data_start_ = Offset();
    return true;
  }

  int64_t Length() const { return length_; }
  // Throws unless the record holds at least `needed` bytes.
  void Require(int64_t needed) const {
    if (length_ >= needed) return;
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
  void End() {
    if (data_start_ + length_ > file_size_) FailCutData();
    SkipBytes(left_);
    left_ = 0;
    if (Fill(4) < 4) FailInside("in its trailing length");
    int32_t trailing = Decode<int32_t>(Cursor());
    Consume(4);
    if (trailing == length_) return;
    Fail(name_.Describe() + " is framed inconsistently: it starts with length " +
         std::to_string(length_) + " but ends with " + std::to_string(trailing));
  }

  [[noreturn]] void Fail(const std::string& what) const { throw ErrorAbout(path_, what); }

 private:
  static constexpr size_t kBufferBytes = 1 << 20;

  const char* Cursor() const { return buffer_.data() + begin_; }
  void Consume(size_t count) { begin_ += count; }

  [[noreturn]] void FailInside(const std::string& where) const {
    Fail("the file ends inside " + name_.Describe() + ", " + where);
  }

  [[noreturn]] void FailCutData() const {
    int64_t present = std::clamp<int64_t>(file_size_ - data_start_, 0, length_);
    FailInside("after " + std::to_string(present) + " of its " + std::to_string(length_) +
               " bytes");
  }

  // At least `count` buffered bytes of the current record, or an error.
  const char* Ensure(size_t count) {
    if (Fill(count) < count) FailCutData();
    return Cursor();
  }

  void SkipBytes(int64_t count) {
    int64_t buffered = static_cast<int64_t>(end_ - begin_);
    if (count <= buffered) {
      begin_ += static_cast<size_t>(count);
    } else {
      buffer_offset_ = Offset() + count;
      begin_ = end_ = 0;
    }
  }

  // Tops the buffer up so that it holds at least `count` unread bytes when the
  // file has them; returns how many unread bytes it holds.
  size_t Fill(size_t count) {
    if (end_ - begin_ >= count) return end_ - begin_;
    std::memmove(buffer_.data(), Cursor(), end_ - begin_);
    buffer_offset_ += static_cast<int64_t>(begin_);
    end_ -= begin_;
    begin_ = 0;
    while (end_ < count) {
      ssize_t got = ::pread(fd_, buffer_.data() + end_, kBufferBytes - end_,
                            buffer_offset_ + static_cast<int64_t>(end_));
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) Fail("cannot read " + name_.Describe() + ": " + std::strerror(errno));
      if (got == 0) break;
      end_ += static_cast<size_t>(got);
    }
    return end_;
  }

  std::string path_;
  int fd_ = -1;
  std::vector<char> buffer_;
  int64_t buffer_offset_ = 0;  // file offset of buffer_[0]
  size_t begin_ = 0;           // first unread byte in buffer_
  size_t end_ = 0;             // end of the buffered bytes
  RecordName name_{0, 0, ""};
  int64_t file_size_ = 0;
  int64_t data_start_ = 0;  // file offset of the current record's data
  int64_t length_ = 0;      // data length of the current record
  int64_t left_ = 0;        // data bytes of it not read yet
};

// Bytes of one entry of each record that depends on the program.
struct EntryLayout {
  int64_t node;            // record 3
  int64_t element;         // record 5
  int64_t element_result;  // the last record of a step
};
constexpr EntryLayout kKorinLayout{16, 36, 16};
constexpr EntryLayout kDelmLayout{36, 28, 24};
constexpr int64_t kTitleBytes = 80;
constexpr int64_t kCountBytes = 4;
constexpr int64_t kStepHeaderBytes = 12;
constexpr int64_t kNodeResultBytes = 20;

}  // namespace

class ResultFile::Impl {
 public:
  Impl(std::string path, int32_t program_flag)
      : reader_(std::move(path)),
        delm_(program_flag == 1),
        layout_(delm_ ? kDelmLayout : kKorinLayout) {
    if (program_flag != 0 && program_flag != 1) {
      reader_.Fail("program flag " + std::to_string(program_flag) +
                   " is neither 0 (RX-KORIN) nor 1 (RX-DELM)");
    }
  }

  // Records 1 to 5. Sets `looks_like_delm` as soon as the node record shows
  // it, so that it is known even when a later record is found faulty.
  void ReadHeader(ModelStore& model, bool& looks_like_delm) {
    ReadTitle(model);
    node_count_ = ReadCount(HeaderRecord(2, "node count"), "NUMNP");
    model.NUMNP = node_count_;
    model.PrepareNodeArrays(node_count_);
    ReadNodes(model, looks_like_delm);
    element_count_ = ReadCount(HeaderRecord(4, "element count"), "NUMEL");
    model.NUMEL = element_count_;
    model.PrepareElemArrays(element_count_);
    ReadElements(model);
  }

  int64_t Offset() const { return reader_.Offset(); }
  // Goes back to the step header at `offset`, which `steps_before` steps precede.
  void ReturnTo(int64_t offset, int64_t steps_before) {
    reader_.SeekTo(offset);
    step_ = steps_before;
  }

  // Reads the next step into `model`; false at the end of the file.
  bool ReadStep(ModelStore& model) { return VisitStep(&model); }
  // Checks the next step's records without decoding them; false at the end.
  bool SkipStep() { return VisitStep(nullptr); }

 private:
  void ReadTitle(ModelStore& model) {
    reader_.Begin(HeaderRecord(1, "title"), false);
    reader_.Require(kTitleBytes);
    std::memcpy(model.Title.data(), reader_.Take(kTitleBytes), kTitleBytes);
    reader_.End();
  }

  // A count record; negative counts mean no entries.
  int32_t ReadCount(const RecordName& name, const char* count_name) {
    reader_.Begin(name, false);
    reader_.Require(kCountBytes);
    int32_t count = Decode<int32_t>(reader_.Take(kCountBytes));
    reader_.End();
    if (count > MaxDim) {
      reader_.Fail(name.Describe() + ": " + count_name + " " + std::to_string(count) +
                   " exceeds the supported " + std::to_string(MaxDim));
    }
    return std::max(count, 0);
  }

  void ReadNodes(ModelStore& model, bool& looks_like_delm) {
    reader_.Begin(HeaderRecord(3, "nodes"), false);
    CheckNodeLayout(looks_like_delm);
    reader_.Require(layout_.node * node_count_);
    if (delm_) {
      reader_.ForEachEntry(node_count_, layout_.node, [&model](const char* bytes, int32_t i) {
        model.NodeX[i] = Decode<double>(bytes);
        model.NodeY[i] = Decode<double>(bytes + 8);
        model.NodeExtraA[i] = Decode<double>(bytes + 16);
        model.NodeExtraB[i] = Decode<double>(bytes + 24);
        model.NodeExtraCode[i] = Decode<int32_t>(bytes + 32);
      });
    } else {
      reader_.ForEachEntry(node_count_, layout_.node, [&model](const char* bytes, int32_t i) {
        model.NodeX[i] = Decode<double>(bytes);
        model.NodeY[i] = Decode<double>(bytes + 8);
      });
    }
    reader_.End();
  }

  // A node record of exactly the other program's size means the wrong answer
  // was given to the program question: worth a warning one way, fatal the
  // other way (the RX-KORIN record is too short for RX-DELM entries).
  void CheckNodeLayout(bool& looks_like_delm) const {
    if (node_count_ == 0) return;
    int64_t length = reader_.Length();
    if (!delm_ && length == kDelmLayout.node * node_count_) looks_like_delm = true;
    if (delm_ && length == kKorinLayout.node * node_count_) {
      reader_.Fail("record 3 (nodes) holds " + std::to_string(kKorinLayout.node) +
                   " bytes a node: the file looks like RX-KORIN results "
                   "(answer 0 to the program question)");
    }
  }

  void ReadElements(ModelStore& model) {
    reader_.Begin(HeaderRecord(5, "elements"), false);
    reader_.Require(layout_.element * element_count_);
    reader_.ForEachEntry(element_count_, layout_.element, [&](const char* bytes, int32_t e) {
      for (int column = 1; column <= 5; ++column) {
        model.ElemNodes[ElemNodesIndex(e, column)] = Decode<int32_t>(bytes + 4 * (column - 1));
      }
      if (delm_) model.ElemExtra[e] = Decode<double>(bytes + 20);
      CheckCorners(model, e);
    });
    reader_.End();
  }

  // Corners 1 to 3 must be nodes; corner 4 is a node or 0 (a triangle).
  void CheckCorners(const ModelStore& model, int32_t e) const {
    for (int corner = 1; corner <= 4; ++corner) {
      int32_t node = model.ElemNodes[ElemNodesIndex(e, corner)];
      int32_t lowest = corner == 4 ? 0 : 1;
      if (node >= lowest && node <= node_count_) continue;
      reader_.Fail("record 5 (elements): element " + std::to_string(e) + " has corner " +
                   std::to_string(corner) + " = " + std::to_string(node) + ", outside " +
                   std::to_string(lowest) + ".." + std::to_string(node_count_));
    }
  }

  // Reads (model given) or only checks (model null) the next step.
  bool VisitStep(ModelStore* model) {
    int64_t step = step_ + 1;
    if (!reader_.Begin(StepRecord(step, 0, "step header"), true)) return false;
    step_ = step;
    reader_.Require(kStepHeaderBytes);
    if (model != nullptr) ReadStepHeader(*model);
    reader_.End();

    reader_.Begin(StepRecord(step, 1, "node results"), false);
    reader_.Require(kNodeResultBytes * node_count_);
    if (model != nullptr) ReadNodeResults(*model);
    reader_.End();

    reader_.Begin(StepRecord(step, 2, "element results"), false);
    reader_.Require(layout_.element_result * element_count_);
    if (model != nullptr) ReadElementResults(*model);
    reader_.End();
    return true;
  }

  void ReadStepHeader(ModelStore& model) {
    const char* bytes = reader_.Take(kStepHeaderBytes);
    model.StepNo = Decode<int32_t>(bytes);
    model.StepTime = Decode<double>(bytes + 4);
  }

  void ReadNodeResults(ModelStore& model) {
    reader_.ForEachEntry(node_count_, kNodeResultBytes, [&model](const char* bytes, int32_t i) {
      model.NodeCode[i] = Decode<int32_t>(bytes);
      model.NodeHead[i] = Decode<double>(bytes + 4);
      model.NodeFlow[i] = Decode<double>(bytes + 12);
    });
  }

  // RX-KORIN results have no D; the writers divide by it, so it is 1.
  void ReadElementResults(ModelStore& model) {
    reader_.ForEachEntry(element_count_, layout_.element_result,
                         [&model, this](const char* bytes, int32_t e) {
                           model.ElemVX[e] = Decode<double>(bytes);
                           model.ElemVY[e] = Decode<double>(bytes + 8);
                           model.ElemD[e] = delm_ ? Decode<double>(bytes + 16) : 1.0;
                         });
  }

  RecordReader reader_;
  bool delm_;
  EntryLayout layout_;
  int32_t node_count_ = 0;     // entries of the node records
  int32_t element_count_ = 0;  // entries of the element records
  int64_t step_ = 0;           // steps begun so far
};

ResultFile::ResultFile(std::string path, int32_t ProgramFlag)
    : impl_(std::make_unique<Impl>(std::move(path), ProgramFlag)) {}

ResultFile::~ResultFile() = default;

void ResultFile::LoadModel(ModelStore& model) {
  impl_->ReturnTo(0, 0);
  impl_->ReadHeader(model, looks_like_delm_);
  int64_t first_step = impl_->Offset();
  int64_t steps = 0;
  int64_t last_step = first_step;
  for (int64_t at = first_step; impl_->SkipStep(); at = impl_->Offset()) {
    last_step = at;
    ++steps;
  }
  record_total_ = 5 + 3 * steps;
  if (steps > 0) {
    impl_->ReturnTo(last_step, steps - 1);
    impl_->ReadStep(model);
  }
  // The header records were decoded above from these same bytes; reading them
  // again would give the same values, so going back to the first step is
  // enough.
  impl_->ReturnTo(first_step, 0);
}

bool ResultFile::ReadNextStep(ModelStore& model) { return impl_->ReadStep(model); }
