#include "common/line_layout.h"

#include <algorithm>
#include <stdexcept>

#include "common/number_fields.h"
#include "common/platform.h"

namespace {

[[noreturn]] void WrongValueKind() {
  throw std::logic_error("a layout field was given a value of the wrong kind");
}

// Walks a layout over the values of one write, straight into the output's
// buffer: `p_` is the write position and `limit_` the end of the room that
// the buffer has, so most items cost one comparison besides their own bytes.
class LayoutWriter {
 public:
  LayoutWriter(TextOutput& out, std::span<const FieldValue> values)
      : out_(out), values_(values), p_(out.Reserve(kMaxFieldWidth)), limit_(out.Limit()) {}
  ~LayoutWriter() { out_.Commit(p_); }

  // Writes the items, repeating groups; false when a field found no value
  // left (the write is over).
  bool WriteItems(std::span<const LayoutItem> items) {
    for (size_t i = 0; i < items.size(); ++i) {
      const LayoutItem& item = items[i];
      if (item.kind != LayoutItem::kGroup) {
        if (!WriteItem(item)) return false;
        continue;
      }
      const LayoutItem* body = &items[i + 1];
      for (int r = 0; r < item.repeat; ++r) {
        for (int j = 0; j < item.size; ++j) {
          if (!WriteItem(body[j])) return false;
        }
      }
      i += item.size;
    }
    return true;
  }

  void EndLine() {
    Room(platform::kLineEnd.size());
    p_ = std::copy(platform::kLineEnd.begin(), platform::kLineEnd.end(), p_);
  }
  bool ValuesLeft() const { return next_ < values_.size(); }
  size_t ValuesTaken() const { return next_; }

 private:
  void Room(size_t n) {
    if (static_cast<size_t>(limit_ - p_) >= n) return;
    out_.Commit(p_);
    p_ = out_.Reserve(n);
    limit_ = out_.Limit();
  }

  bool WriteItem(const LayoutItem& item) {
    switch (item.kind) {
      case LayoutItem::kLiteral:
        WriteText(item.text);
        return true;
      case LayoutItem::kBlanks:
        Room(item.width);
        p_ = std::fill_n(p_, item.width, ' ');
        return true;
      case LayoutItem::kLineBreak:
        EndLine();
        return true;
      case LayoutItem::kScaledReal:
        return WriteField([&](char* p, const FieldValue& v) {
          return WriteScaledRealField(p, AsReal(v), item.width, item.digits);
        });
      case LayoutItem::kInteger:
        return WriteField([&](char* p, const FieldValue& v) {
          return WriteIntegerField(p, AsInteger(v), item.width);
        });
      case LayoutItem::kFractionReal:
        return WriteField([&](char* p, const FieldValue& v) {
          return WriteFractionRealField(p, AsReal(v), item.width, item.digits);
        });
      case LayoutItem::kText:
        return WriteField(
            [&](char* p, const FieldValue& v) { return WriteTextField(p, AsText(v), item.width); });
      default:
        return true;  // groups are expanded by WriteItems
    }
  }

  // The next value through `format`; false when no value is left.
  template <typename Format>
  bool WriteField(Format format) {
    if (!ValuesLeft()) return false;
    Room(kMaxFieldWidth);
    p_ = format(p_, values_[next_++]);
    return true;
  }

  void WriteText(std::string_view text) {
    if (text.size() > TextOutput::kMaxReserve) {
      out_.Commit(p_);
      out_.Append(text);
      p_ = out_.Reserve(kMaxFieldWidth);
      limit_ = out_.Limit();
      return;
    }
    Room(text.size());
    for (char c : text) *p_++ = c;
  }

  static int64_t AsInteger(const FieldValue& v) {
    if (v.kind == FieldValue::kInteger) return v.integer;
    if (v.kind != FieldValue::kReal) WrongValueKind();
    return static_cast<int64_t>(v.real);
  }
  static std::string_view AsText(const FieldValue& v) {
    if (v.kind != FieldValue::kText) WrongValueKind();
    return v.text;
  }
  static double AsReal(const FieldValue& v) {
    if (v.kind == FieldValue::kReal) return v.real;
    if (v.kind != FieldValue::kInteger) WrongValueKind();
    return static_cast<double>(v.integer);
  }

  TextOutput& out_;
  std::span<const FieldValue> values_;
  size_t next_ = 0;
  char* p_;
  char* limit_;
};

// Where writing resumes when the layout ends with values left: the last
// top-level group, or the start.
size_t ResumePoint(std::span<const LayoutItem> layout) {
  size_t resume = 0;
  for (size_t i = 0; i < layout.size(); ++i) {
    if (layout[i].kind == LayoutItem::kGroup) {
      resume = i;
      i += layout[i].size;
    }
  }
  return resume;
}

}  // namespace

void WriteLayout(TextOutput& out, std::span<const LayoutItem> layout,
                 std::span<const FieldValue> values) {
  LayoutWriter writer(out, values);
  if (writer.WriteItems(layout) && writer.ValuesLeft()) {
    const std::span<const LayoutItem> rest = layout.subspan(ResumePoint(layout));
    for (;;) {
      size_t taken_before = writer.ValuesTaken();
      writer.EndLine();
      if (!writer.WriteItems(rest) || !writer.ValuesLeft()) break;
      if (writer.ValuesTaken() == taken_before) throw std::logic_error("layout takes no values");
    }
  }
  writer.EndLine();
}
