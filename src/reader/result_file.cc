#include "reader/result_file.h"

#include <algorithm>
#include <bit>
#include <string>
#include <utility>
#include <vector>

#include "common/run_error.h"
#include "model/elem_columns.h"
#include "reader/record_reader.h"

static_assert(std::endian::native == std::endian::little,
              "result files are little-endian; entries are decoded by copying bytes");

namespace {

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

// The simulator whose node entries fill `length` bytes for `node_count`
// nodes; none when neither does.
std::optional<Simulator> SimulatorOfNodeRecord(int32_t node_count, int64_t length) {
  if (node_count <= 0) return std::nullopt;
  if (length == kKorinLayout.node * node_count) return Simulator::kKorin;
  if (length == kDelmLayout.node * node_count) return Simulator::kDelm;
  return std::nullopt;
}

}  // namespace

int64_t NodeEntryBytes(Simulator simulator) {
  return simulator == Simulator::kDelm ? kDelmLayout.node : kKorinLayout.node;
}

NodeRecordShape ReadNodeRecordShape(const std::string& path) {
  RecordReader reader(path);
  reader.Begin(HeaderRecord(1, "title"), false);
  reader.End();
  reader.Begin(HeaderRecord(2, "node count"), false);
  reader.Require(kCountBytes);
  const int32_t node_count = Decode<int32_t>(reader.Take(kCountBytes));
  reader.End();
  reader.Begin(HeaderRecord(3, "nodes"), false);
  return {node_count, reader.Length(), SimulatorOfNodeRecord(node_count, reader.Length())};
}

class ResultFile::Impl {
 public:
  Impl(std::string path, Simulator simulator)
      : reader_(std::move(path)),
        delm_(simulator == Simulator::kDelm),
        layout_(delm_ ? kDelmLayout : kKorinLayout) {}

  // Records 1 to 5. Sets `looks_like_delm` as soon as the node record shows
  // it, so that it is known even when a later record is found faulty.
  void ReadHeader(ModelStore& model, bool& looks_like_delm) {
    ReadTitle(model);
    node_count_ = ReadCount(HeaderRecord(2, "node count"), "NUMNP");
    model.NUMNP = node_count_;
    model.PrepareNodeArrays(node_count_);
    const int64_t nodes_start = reader_.Offset();
    ReadNodes(model, looks_like_delm);
    const int64_t count_start = reader_.Offset();
    element_count_ = ReadCount(HeaderRecord(4, "element count"), "NUMEL");
    model.NUMEL = element_count_;
    model.PrepareElemArrays(element_count_);
    const int64_t elements_start = reader_.Offset();
    ReadElements(model);
    KeepHeaderSamples(nodes_start, count_start, elements_start, reader_.Offset());
  }

  // False when the bytes kept from the header records differ now.
  bool HeaderUnchanged() const {
    for (const auto& [offset, bytes] : header_samples_) {
      if (reader_.BytesAt(offset, bytes.size()) != bytes) return false;
    }
    return true;
  }

  RecordReader& reader() { return reader_; }
  int64_t Offset() const { return reader_.Offset(); }
  // Goes back to the step header at `offset`, which `steps_before` steps precede.
  void ReturnTo(int64_t offset, int64_t steps_before) {
    reader_.SeekTo(offset);
    step_ = steps_before;
  }

  // Reads the next step into `model`; false at the end of the file.
  bool ReadStep(StepValues& step) { return VisitStep(&step); }
  // Checks the next step's records without decoding them; false at the end.
  bool SkipStep() { return VisitStep(nullptr); }

 private:
  void ReadTitle(ModelStore& model) {
    reader_.Begin(HeaderRecord(1, "title"), false);
    reader_.Require(kTitleBytes);
    std::memcpy(model.Title.data(), reader_.Take(kTitleBytes), kTitleBytes);
    reader_.End();
  }

  // A count record: 0 to MaxDim; anything else marks a corrupt file.
  int32_t ReadCount(const RecordName& name, const char* count_name) {
    reader_.Begin(name, false);
    reader_.Require(kCountBytes);
    int32_t count = Decode<int32_t>(reader_.Take(kCountBytes));
    reader_.End();
    if (count < 0 || count > MaxDim) {
      reader_.Fail(name.Describe() + ": " + count_name + " " + std::to_string(count) +
                   " is outside the supported range 0.." + std::to_string(MaxDim));
    }
    return count;
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
    const std::optional<Simulator> shown = SimulatorOfNodeRecord(node_count_, reader_.Length());
    if (!delm_ && shown == Simulator::kDelm) looks_like_delm = true;
    if (delm_ && shown == Simulator::kKorin) {
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
        model.ElemNodes[ElemColumns::Index(e, column)] = Decode<int32_t>(bytes + 4 * (column - 1));
      }
      if (delm_) model.ElemExtra[e] = Decode<double>(bytes + 20);
      CheckCorners(model, e);
    });
    reader_.End();
  }

  // Corners 1 to 3 must be nodes; corner 4 is a node or 0 (a triangle).
  void CheckCorners(const ModelStore& model, int32_t e) const {
    for (int corner = 1; corner <= 4; ++corner) {
      int32_t node = model.ElemNodes[ElemColumns::Index(e, corner)];
      int32_t lowest = corner == 4 ? 0 : 1;
      if (node >= lowest && node <= node_count_) continue;
      reader_.Fail("record 5 (elements): element " + std::to_string(e) + " has corner " +
                   std::to_string(corner) + " = " + std::to_string(node) + ", outside " +
                   std::to_string(lowest) + ".." + std::to_string(node_count_));
    }
  }

  // Keeps, to notice a rewritten header later, the bytes of the title and
  // count records, and those around the starts and ends of the node and
  // element records (their lengths, first and last entries).
  void KeepHeaderSamples(int64_t nodes_start, int64_t count_start, int64_t elements_start,
                         int64_t header_end) {
    constexpr int64_t kAround = 72;
    const std::pair<int64_t, int64_t> ranges[] = {
        {0, std::min(nodes_start + kAround, count_start)},
        {std::max(count_start - kAround, nodes_start),
         std::min(elements_start + kAround, header_end)},
        {std::max(header_end - kAround, elements_start), header_end}};
    header_samples_.clear();
    for (const auto& [begin, end] : ranges) {
      header_samples_.emplace_back(begin, reader_.BytesAt(begin, static_cast<size_t>(end - begin)));
    }
  }

  // Reads (values given) or only checks (values null) the next step.
  bool VisitStep(StepValues* values) {
    int64_t step = step_ + 1;
    if (!reader_.Begin(StepRecord(step, 0, "step header"), true)) return false;
    step_ = step;
    reader_.Require(kStepHeaderBytes);
    if (values != nullptr) ReadStepHeader(*values);
    reader_.End();

    reader_.Begin(StepRecord(step, 1, "node results"), false);
    reader_.Require(kNodeResultBytes * node_count_);
    if (values != nullptr) ReadNodeResults(*values);
    reader_.End();

    reader_.Begin(StepRecord(step, 2, "element results"), false);
    reader_.Require(layout_.element_result * element_count_);
    if (values != nullptr) ReadElementResults(*values);
    reader_.End();
    return true;
  }

  void ReadStepHeader(StepValues& values) {
    const char* bytes = reader_.Take(kStepHeaderBytes);
    values.StepNo = Decode<int32_t>(bytes);
    values.StepTime = Decode<double>(bytes + 4);
  }

  void ReadNodeResults(StepValues& values) {
    reader_.ForEachEntry(node_count_, kNodeResultBytes, [&values](const char* bytes, int32_t i) {
      values.NodeCode[i] = Decode<int32_t>(bytes);
      values.NodeHead[i] = Decode<double>(bytes + 4);
      values.NodeFlow[i] = Decode<double>(bytes + 12);
    });
  }

  // RX-KORIN results have no D; the writers divide by it, so it is 1.
  void ReadElementResults(StepValues& values) {
    reader_.ForEachEntry(element_count_, layout_.element_result,
                         [&values, this](const char* bytes, int32_t e) {
                           values.ElemVX[e] = Decode<double>(bytes);
                           values.ElemVY[e] = Decode<double>(bytes + 8);
                           values.ElemD[e] = delm_ ? Decode<double>(bytes + 16) : 1.0;
                         });
  }

  RecordReader reader_;
  bool delm_;
  EntryLayout layout_;
  int32_t node_count_ = 0;                                       // entries of the node records
  int32_t element_count_ = 0;                                    // entries of the element records
  int64_t step_ = 0;                                             // steps begun so far
  std::vector<std::pair<int64_t, std::string>> header_samples_;  // offset, bytes
};

ResultFile::ResultFile(std::string path, Simulator simulator)
    : impl_(std::make_unique<Impl>(std::move(path), simulator)) {}

ResultFile::~ResultFile() = default;

namespace {

// Bytes before the end of the counted steps kept to notice a rewritten file.
constexpr int64_t kTailBytes = 64;

// Checks records by their lengths alone while it lives; for a file that may
// still grow, a record whose length is not written yet ends the steps.
class Skimming {
 public:
  Skimming(RecordReader& reader, EndInsideStep end_inside_step) : reader_(reader) {
    reader_.SetSkimming(true);
    reader_.AllowUnwrittenLengths(end_inside_step == EndInsideStep::kEndsTheSteps);
  }
  ~Skimming() {
    reader_.SetSkimming(false);
    reader_.AllowUnwrittenLengths(false);
  }
  Skimming(const Skimming&) = delete;
  Skimming& operator=(const Skimming&) = delete;

 private:
  RecordReader& reader_;
};

}  // namespace

void ResultFile::LoadModel(ModelStore& model, EndInsideStep end_inside_step) {
  impl_->ReturnTo(0, 0);
  impl_->ReadHeader(model, looks_like_delm_);
  counted_end_ = read_offset_ = impl_->Offset();
  step_count_ = steps_read_ = 0;
  CountFromEndOfCounted(end_inside_step);
  impl_->ReturnTo(read_offset_, 0);
}

void ResultFile::CountFromEndOfCounted(EndInsideStep end_inside_step) {
  RecordReader& reader = impl_->reader();
  impl_->ReturnTo(counted_end_, step_count_);
  incomplete_.reset();
  try {
    Skimming skimming(reader, end_inside_step);
    while (impl_->SkipStep()) {
      ++step_count_;
      counted_end_ = impl_->Offset();
    }
    needed_size_ = counted_end_ + 1;
  } catch (const FileEndsEarly& early) {
    if (end_inside_step == EndInsideStep::kIsAnError) throw StepCutShort(early.what());
    incomplete_ = IncompleteStep{step_count_ + 1, reader.FileSize() - counted_end_};
    needed_size_ = early.needed_size;
  }
  const int64_t tail_start = std::max<int64_t>(0, counted_end_ - kTailBytes);
  tail_ = reader.BytesAt(tail_start, static_cast<size_t>(counted_end_ - tail_start));
  seen_size_ = std::max(seen_size_, reader.FileSize());
}

bool ResultFile::ReadNextStep(StepValues& step) {
  if (steps_read_ == step_count_) return false;
  impl_->ReturnTo(read_offset_, steps_read_);
  impl_->ReadStep(step);
  ++steps_read_;
  read_offset_ = impl_->Offset();
  return true;
}

int64_t ResultFile::CountNewSteps() {
  RecordReader& reader = impl_->reader();
  reader.RefreshSize();
  seen_size_ = std::max(seen_size_, reader.FileSize());
  const int64_t before = step_count_;
  if (reader.FileSize() < needed_size_) {
    if (reader.FileSize() > counted_end_) {
      incomplete_ = IncompleteStep{step_count_ + 1, reader.FileSize() - counted_end_};
    }
    return 0;
  }
  CountFromEndOfCounted(EndInsideStep::kEndsTheSteps);
  return step_count_ - before;
}

std::string ResultFile::FindChange() {
  RecordReader& reader = impl_->reader();
  if (!reader.PathStillNamesFile()) return "the file was removed or replaced by another";
  reader.RefreshSize();
  if (reader.FileSize() < seen_size_) {
    return "the file shrank from " + std::to_string(seen_size_) + " to " +
           std::to_string(reader.FileSize()) + " bytes";
  }
  if (!impl_->HeaderUnchanged()) return "its title or mesh records changed";
  const int64_t tail_start = counted_end_ - static_cast<int64_t>(tail_.size());
  if (reader.BytesAt(tail_start, tail_.size()) != tail_) return "steps already read changed";
  return "";
}
