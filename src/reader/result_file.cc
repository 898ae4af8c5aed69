#include "reader/result_file.h"

#include <bit>
#include <string>

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

ResultFile::ResultFile(std::string path, Simulator simulator)
    : impl_(std::make_unique<Impl>(std::move(path), simulator)) {}

ResultFile::~ResultFile() = default;

void ResultFile::LoadModel(ModelStore& model) {
  impl_->ReturnTo(0, 0);
  impl_->ReadHeader(model, looks_like_delm_);
  const int64_t first_step = impl_->Offset();
  step_count_ = 0;
  while (impl_->SkipStep()) ++step_count_;
  impl_->ReturnTo(first_step, 0);
}

bool ResultFile::ReadNextStep(ModelStore& model) { return impl_->ReadStep(model); }
