#include "writers/pickup_file.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <sstream>

#include "common/bounded_line.h"
#include "common/free_form.h"
#include "common/input_file.h"
#include "common/run_error.h"

namespace {

// Longest line kept; a longer one ends the run rather than fill memory.
constexpr size_t kLineLimit = 1 << 20;

// The values of a free-form text, read by reads that each start on a new
// line; lines are read only as the reads need them.
class FreeFormText {
 public:
  explicit FreeFormText(std::streambuf& in) : in_(in) {}

  // Begins a read: past the rest of the current line, unless nothing was read.
  void StartRead() {
    if (started_) rest_ = {}, in_line_ = false;
    started_ = true;
  }

  // The next value of the read, from this line or a later one; nothing when
  // the text ends first.
  std::optional<std::string_view> NextValue() {
    for (;;) {
      if (!in_line_ && !NextLine()) return std::nullopt;
      while (!rest_.empty() && IsFreeFormSeparator(rest_.front())) rest_.remove_prefix(1);
      if (!rest_.empty()) break;
      in_line_ = false;
    }
    size_t size = 0;
    while (size < rest_.size() && !IsFreeFormSeparator(rest_[size])) ++size;
    std::string_view value = rest_.substr(0, size);
    rest_.remove_prefix(size);
    return value;
  }

  // The line of the last value (or the last line, at the end of the text).
  int64_t line() const { return line_number_; }

 private:
  bool NextLine() {
    if (!ReadBoundedLine(in_, kLineLimit, LongLines::kStop, line_)) return false;
    if (line_.Cut()) {
      throw ErrorAbout(std::string(kPickupFileName), "line " + std::to_string(line_number_ + 1) +
                                                         " is longer than " +
                                                         std::to_string(kLineLimit) + " bytes");
    }
    if (++line_number_ == 1) DropByteOrderMark(line_.text);
    rest_ = line_.text;
    in_line_ = true;
    return true;
  }

  std::streambuf& in_;
  BoundedLine line_;
  std::string_view rest_;
  int64_t line_number_ = 0;
  bool in_line_ = false;
  bool started_ = false;
};

std::optional<int32_t> ParseWhole(std::string_view text) {
  if (text.size() > 1 && text[0] == '+' && text[1] != '-') text.remove_prefix(1);
  int32_t value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// A real as a Fortran reader takes it: also with a D exponent.
std::optional<double> ParseReal(std::string_view text) {
  if (text.size() > 1 && text[0] == '+' && text[1] != '-') text.remove_prefix(1);
  std::string spelled(text);
  std::replace_if(
      spelled.begin(), spelled.end(), [](char c) { return c == 'd' || c == 'D'; }, 'e');
  double value = 0;
  const char* last = spelled.data() + spelled.size();
  auto [end, error] = std::from_chars(spelled.data(), last, value);
  if (error != std::errc() || end != last || !std::isfinite(value)) return std::nullopt;
  return value;
}

// Which value a read wants, for the messages: entry `index` of `list`, or
// the coordinate `coordinate` of point `index`.
struct Entry {
  int32_t index;
  std::string_view list;
  char coordinate = 0;

  std::string Describe() const {
    if (coordinate != 0) {
      return std::string(1, coordinate) + " of interpolation point " + std::to_string(index);
    }
    return "entry " + std::to_string(index) + " of the " + std::string(list);
  }
};

constexpr std::string_view kHeadList = "total-head node list";
constexpr std::string_view kPresList = "pressure-head node list";
constexpr std::string_view kFlowList = "discharge-rate node list";
constexpr std::string_view kVelList = "velocity element list";

class PickupParser {
 public:
  PickupParser(std::streambuf& text, int32_t NUMNP, int32_t NUMEL)
      : text_(text), numnp_(NUMNP), numel_(NUMEL) {}

  PickupLists Parse() {
    PickupLists p;
    ReadCounts(p);
    if (p.pick_head_count != 0)
      p.pick_head_nodes = ReadNodes(std::abs(p.pick_head_count), kHeadList);
    if (p.pick_pres_count > 0) p.pick_pres_nodes = ReadNodes(p.pick_pres_count, kPresList);
    if (p.pick_flow_count > 0) p.pick_flow_nodes = ReadNodes(p.pick_flow_count, kFlowList);
    if (p.pick_vel_count > 0) p.pick_vel_elems = ReadNumbers(p.pick_vel_count, kVelList, numel_);
    ShareHeadList(p);
    for (int32_t k = 1; k <= p.interp_count; ++k) {
      text_.StartRead();
      p.interp_x.push_back(ReadReal({k, {}, 'x'}));
      p.interp_y.push_back(ReadReal({k, {}, 'y'}));
    }
    return p;
  }

 private:
  void ReadCounts(PickupLists& p) {
    text_.StartRead();
    int32_t* counts[] = {&p.pick_head_count, &p.pick_pres_count, &p.pick_flow_count,
                         &p.pick_vel_count, &p.interp_count};
    for (int i = 0; i < 5; ++i) *counts[i] = ReadWhole({i + 1, "counts"});
    CheckLength(p.pick_head_count == INT32_MIN ? INT32_MAX : std::abs(p.pick_head_count),
                kHeadList);
    CheckLength(p.pick_pres_count, kPresList);
    CheckLength(p.pick_flow_count, kFlowList);
    CheckLength(p.pick_vel_count, kVelList);
    CheckLength(p.interp_count, "list of interpolation points");
  }

  void CheckLength(int32_t count, std::string_view list) {
    if (count <= kMaxPickEntries) return;
    Fail("the " + std::string(list) + " would hold " + std::to_string(count) +
         " entries, more than " + std::to_string(kMaxPickEntries));
  }

  std::vector<int32_t> ReadNodes(int32_t count, std::string_view list) {
    return ReadNumbers(count, list, numnp_);
  }

  // One read of `count` node (or element) numbers, each in 1..highest.
  std::vector<int32_t> ReadNumbers(int32_t count, std::string_view list, int32_t highest) {
    text_.StartRead();
    std::vector<int32_t> numbers;
    numbers.reserve(count);
    for (int32_t i = 1; i <= count; ++i) {
      const int32_t number = ReadWhole({i, list});
      if (number < 1 || number > highest) {
        const bool of_nodes = list != kVelList;
        Fail(std::string(of_nodes ? "node " : "element ") + std::to_string(number) + ", " +
             Entry{i, list}.Describe() + ", is outside 1.." + std::to_string(highest) +
             (of_nodes ? ", the model's nodes" : ", the model's elements"));
      }
      numbers.push_back(number);
    }
    return numbers;
  }

  static void ShareHeadList(PickupLists& p) {
    if (p.pick_head_count >= 0) return;
    const int32_t n = -p.pick_head_count;
    p.pick_head_count = n;
    if (p.pick_pres_count == 0) p.pick_pres_count = n;
    if (p.pick_flow_count == 0) p.pick_flow_count = n;
    for (std::vector<int32_t>* list : {&p.pick_pres_nodes, &p.pick_flow_nodes}) {
      if (list->size() < static_cast<size_t>(n)) list->resize(n);
      std::copy_n(p.pick_head_nodes.begin(), n, list->begin());
    }
  }

  std::string_view RequireValue(const Entry& entry) {
    std::optional<std::string_view> value = text_.NextValue();
    if (!value) Fail("the file ends before " + entry.Describe());
    return *value;
  }

  int32_t ReadWhole(const Entry& entry) {
    std::string_view value = RequireValue(entry);
    std::optional<int32_t> number = ParseWhole(value);
    if (!number) Fail(QuotedReply(value) + ", " + entry.Describe() + ", is not a whole number");
    return *number;
  }

  double ReadReal(const Entry& entry) {
    std::string_view value = RequireValue(entry);
    std::optional<double> number = ParseReal(value);
    if (!number) Fail(QuotedReply(value) + ", " + entry.Describe() + ", is not a finite number");
    return *number;
  }

  [[noreturn]] void Fail(const std::string& what) {
    throw ErrorAbout(std::string(kPickupFileName),
                     "line " + std::to_string(text_.line()) + ": " + what);
  }

  FreeFormText text_;
  int32_t numnp_, numel_;
};

}  // namespace

PickupLists ParsePickupText(std::string_view text, int32_t NUMNP, int32_t NUMEL) {
  std::stringbuf in{std::string(text)};
  return PickupParser(in, NUMNP, NUMEL).Parse();
}

PickupLists ReadPickupFile(const std::string& path, int32_t NUMNP, int32_t NUMEL) {
  InputFile in(path, "the list of picked nodes, elements and points");
  return PickupParser(in, NUMNP, NUMEL).Parse();
}
