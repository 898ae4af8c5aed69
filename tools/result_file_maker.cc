#include "result_file_maker.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cmath>
#include <cstring>

static_assert(std::endian::native == std::endian::little,
              "result files are little-endian; this writer copies host bytes");

namespace {

constexpr int32_t kNodeEntryKorin = 16;
constexpr int32_t kNodeEntryDelm = 36;
constexpr int32_t kElementEntryKorin = 36;
constexpr int32_t kElementEntryDelm = 28;
constexpr int32_t kStepHeaderBytes = 12;
constexpr int32_t kNodeResultEntry = 20;
constexpr int32_t kElementResultKorin = 16;
constexpr int32_t kElementResultDelm = 24;

// Buffered output to a file descriptor; remembers the first failure (errno)
// and ignores everything after it.
class OutputFile {
 public:
  explicit OutputFile(const std::string& path)
      : fd_(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644)) {
    if (fd_ < 0) error_ = errno;
    buffer_.resize(kBufferBytes);
  }
  ~OutputFile() {
    if (fd_ >= 0) ::close(fd_);
  }
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  template <typename T>
  void Put(const T& value) {
    if (kBufferBytes - used_ < sizeof(T)) Flush();
    std::memcpy(buffer_.data() + used_, &value, sizeof(T));
    used_ += sizeof(T);
  }
  void PutBytes(const char* bytes, size_t count) {
    for (size_t i = 0; i < count; ++i) Put(bytes[i]);
  }
  int64_t Offset() const { return flushed_ + static_cast<int64_t>(used_); }

  // Flushes, cuts the file to `length` bytes when `length` >= 0, and closes.
  // Returns false with errno set when anything failed.
  bool Finish(int64_t length) {
    Flush();
    if (error_ == 0 && length >= 0 && ::ftruncate(fd_, length) != 0) error_ = errno;
    if (fd_ >= 0 && ::close(fd_) != 0 && error_ == 0) error_ = errno;
    fd_ = -1;
    if (error_ != 0) errno = error_;
    return error_ == 0;
  }

 private:
  static constexpr size_t kBufferBytes = 1 << 20;

  void Flush() {
    size_t done = 0;
    while (error_ == 0 && done < used_) {
      ssize_t n = ::write(fd_, buffer_.data() + done, used_ - done);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) error_ = errno;
      if (n > 0) done += static_cast<size_t>(n);
    }
    flushed_ += static_cast<int64_t>(used_);
    used_ = 0;
  }

  int fd_;
  int error_ = 0;
  std::vector<char> buffer_;
  size_t used_ = 0;
  int64_t flushed_ = 0;
};

// Writes the records of one model, applying the requested fault.
class RecordWriter {
 public:
  RecordWriter(OutputFile& out, const MadeModel& model, MadeFault fault)
      : out_(out), model_(model), fault_(fault), delm_(model.program_flag == 1) {}

  void WriteAll() {
    WriteHeader();
    for (size_t k = 0; k < model_.steps.size(); ++k) WriteStep(k);
  }
  // Where the file must be cut for kCutInsideRecord, else -1.
  int64_t CutLength() const {
    if (fault_ != MadeFault::kCutInsideRecord) return -1;
    return last_data_start_ + last_data_length_ / 2;
  }

 private:
  void BeginRecord(int64_t length) {
    out_.Put(static_cast<int32_t>(length));
    last_data_start_ = out_.Offset();
    last_data_length_ = length;
  }
  void EndRecord(int64_t length) { out_.Put(static_cast<int32_t>(length)); }

  void WriteHeader() {
    std::string title = model_.title.substr(0, 80);
    title.resize(80, ' ');
    BeginRecord(80);
    out_.PutBytes(title.data(), 80);
    EndRecord(80);
    WriteCount(model_.numnp_override, model_.nodes.size());
    WriteNodes();
    WriteCount(model_.numel_override, model_.elements.size());
    WriteElements();
  }

  void WriteCount(int64_t override_count, size_t true_count) {
    int64_t count = override_count >= 0 ? override_count : static_cast<int64_t>(true_count);
    BeginRecord(4);
    out_.Put(static_cast<int32_t>(count));
    EndRecord(4);
  }

  void WriteNodes() {
    int64_t length =
        static_cast<int64_t>(model_.nodes.size()) * (delm_ ? kNodeEntryDelm : kNodeEntryKorin);
    BeginRecord(length);
    for (const MadeNode& node : model_.nodes) {
      out_.Put(node.x);
      out_.Put(node.y);
      if (!delm_) continue;
      out_.Put(node.extra_a);
      out_.Put(node.extra_b);
      out_.Put(node.extra_code);
    }
    bool framing_fault = fault_ == MadeFault::kMismatchedFraming && model_.steps.empty();
    EndRecord(framing_fault ? length + 8 : length);
  }

  void WriteElements() {
    int64_t length = static_cast<int64_t>(model_.elements.size()) *
                     (delm_ ? kElementEntryDelm : kElementEntryKorin);
    BeginRecord(length);
    for (const MadeElement& element : model_.elements) {
      for (int32_t corner : element.corners) out_.Put(corner);
      out_.Put(element.attribute);
      out_.Put(element.extra1);
      if (!delm_) out_.Put(element.extra2);
    }
    EndRecord(length);
  }

  void WriteStep(size_t k) {
    const MadeStep& step = model_.steps[k];
    BeginRecord(kStepHeaderBytes);
    out_.Put(step.number);
    out_.Put(step.time);
    EndRecord(kStepHeaderBytes);
    WriteNodeResults(step, k == 0);
    bool last = k + 1 == model_.steps.size();
    if (!(last && fault_ == MadeFault::kLastStepWithoutElements)) WriteElementResults(step);
  }

  void WriteNodeResults(const MadeStep& step, bool first) {
    size_t count = step.nodes.size();
    if (first && fault_ == MadeFault::kShortNodeRecord && count > 0) --count;
    int64_t length = static_cast<int64_t>(count) * kNodeResultEntry;
    BeginRecord(length);
    for (size_t i = 0; i < count; ++i) {
      out_.Put(step.nodes[i].code);
      out_.Put(step.nodes[i].head);
      out_.Put(step.nodes[i].flow);
    }
    EndRecord(first && fault_ == MadeFault::kMismatchedFraming ? length + 8 : length);
  }

  void WriteElementResults(const MadeStep& step) {
    int64_t length = static_cast<int64_t>(step.elements.size()) *
                     (delm_ ? kElementResultDelm : kElementResultKorin);
    BeginRecord(length);
    for (const MadeElementValues& values : step.elements) {
      out_.Put(values.vx);
      out_.Put(values.vy);
      if (delm_) out_.Put(values.d);
    }
    EndRecord(length);
  }

  OutputFile& out_;
  const MadeModel& model_;
  MadeFault fault_;
  bool delm_;
  int64_t last_data_start_ = 0;
  int64_t last_data_length_ = 0;
};

}  // namespace

bool WriteResultFile(const std::string& path, const MadeModel& model, MadeFault fault) {
  OutputFile out(path);
  RecordWriter writer(out, model, fault);
  writer.WriteAll();
  return out.Finish(writer.CutLength());
}

namespace {

// A small seeded generator (splitmix64) whose sequence is the same on every
// platform, unlike the standard distributions.
class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // Uniform in [0, 1).
  double Unit() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }
  double Between(double low, double high) { return low + (high - low) * Unit(); }
  // Uniform in 0..count-1.
  int32_t Below(int32_t count) { return static_cast<int32_t>(Next() % count); }
  bool Chance(double probability) { return Unit() < probability; }

 private:
  uint64_t state_;
};

void AddGridNodes(const GridOptions& options, Random& random, MadeModel& model) {
  model.nodes.reserve(static_cast<size_t>(options.nx) * options.ny);
  for (int32_t j = 0; j < options.ny; ++j) {
    for (int32_t i = 0; i < options.nx; ++i) {
      MadeNode node;
      node.x = i * 10.0 + random.Between(-0.5, 0.5);
      node.y = j * 5.0 + random.Between(-0.25, 0.25);
      if (options.program_flag == 1) {
        node.extra_a = random.Between(0.0, 100.0);
        node.extra_b = random.Between(-1.0, 1.0);
        node.extra_code = random.Below(4);
      }
      model.nodes.push_back(node);
    }
  }
}

MadeElement GridElement(Random& random, int32_t a, int32_t b, int32_t c, int32_t d) {
  MadeElement element;
  element.corners[0] = a;
  element.corners[1] = b;
  element.corners[2] = c;
  element.corners[3] = d;
  element.attribute = random.Chance(0.05) ? -random.Below(2) : 1 + random.Below(3);
  element.extra1 = random.Between(0.0, 10.0);
  element.extra2 = random.Between(0.0, 10.0);
  return element;
}

// Cell (i, j) has the corners (i, j), (i+1, j), (i+1, j+1), (i, j+1), listed
// counter-clockwise; a split cell becomes two triangles over its diagonal.
void AddGridElements(const GridOptions& options, Random& random, MadeModel& model) {
  int32_t nx = options.nx;
  if (nx > 1 && options.ny > 1) {
    model.elements.reserve(static_cast<size_t>(nx - 1) * (options.ny - 1) * 23 / 20);
  }
  auto node_number = [nx](int32_t i, int32_t j) { return j * nx + i + 1; };
  for (int32_t j = 0; j + 1 < options.ny; ++j) {
    for (int32_t i = 0; i + 1 < nx; ++i) {
      int32_t n1 = node_number(i, j), n2 = node_number(i + 1, j);
      int32_t n3 = node_number(i + 1, j + 1), n4 = node_number(i, j + 1);
      if (!random.Chance(0.10)) {
        model.elements.push_back(GridElement(random, n1, n2, n3, n4));
      } else if (random.Chance(0.5)) {
        model.elements.push_back(GridElement(random, n1, n2, n3, n3));
        model.elements.push_back(GridElement(random, n1, n3, n4, n4));
      } else {
        model.elements.push_back(GridElement(random, n1, n2, n3, 0));
        model.elements.push_back(GridElement(random, n1, n3, n4, 0));
      }
    }
  }
}

MadeStep GridStep(const GridOptions& options, size_t k, size_t node_count, size_t element_count,
                  Random& random) {
  MadeStep step;
  bool has_number = k < options.step_numbers.size();
  step.number = has_number ? options.step_numbers[k] : static_cast<int32_t>(k + 1);
  step.time = k < options.step_times.size() ? options.step_times[k] : 86400.0 * step.number;
  step.nodes.resize(node_count);
  for (MadeNodeValues& values : step.nodes) {
    values.code = random.Below(4) - 1;
    values.head = random.Between(-5.0, 20.0);
    values.flow = random.Chance(0.6) ? 0.0 : random.Between(-1e-3, 1e-3);
  }
  step.elements.resize(element_count);
  for (MadeElementValues& values : step.elements) {
    values.vx = (random.Chance(0.5) ? -1 : 1) * std::pow(10.0, random.Between(-6.0, -2.0));
    values.vy = (random.Chance(0.5) ? -1 : 1) * std::pow(10.0, random.Between(-6.0, -2.0));
    values.d = options.program_flag == 1 ? random.Between(0.5, 5.0) : 1.0;
  }
  return step;
}

}  // namespace

MadeModel MakeGridModel(const GridOptions& options) {
  Random random(options.seed);
  MadeModel model;
  model.program_flag = options.program_flag;
  model.title = "Grid model " + std::to_string(options.nx) + " x " + std::to_string(options.ny) +
                ", seed " + std::to_string(options.seed);
  AddGridNodes(options, random, model);
  AddGridElements(options, random, model);
  for (int32_t k = 0; k < options.steps; ++k) {
    model.steps.push_back(GridStep(options, k, model.nodes.size(), model.elements.size(), random));
  }
  return model;
}
