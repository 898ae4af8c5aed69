#include "common/line_layout.h"

#include <stdexcept>

#include "common/number_fields.h"

namespace {

// Walks a layout over the values of one write.
class LayoutWriter {
 public:
  LayoutWriter(TextOutput& out, std::span<const FieldValue> values) : out_(out), values_(values) {}

  // Writes items [begin, end) of the layout, expanding groups; false when a
  // field found no value left (the write is over).
  bool WriteItems(std::span<const LayoutItem> items) {
    for (size_t i = 0; i < items.size(); ++i) {
      const LayoutItem& item = items[i];
      if (item.kind != LayoutItem::kGroup) {
        if (!WriteItem(item)) return false;
        continue;
      }
      std::span<const LayoutItem> body = items.subspan(i + 1, item.size);
      for (int r = 0; r < item.repeat; ++r) {
        if (!WriteItems(body)) return false;
      }
      i += item.size;
    }
    return true;
  }

  bool ValuesLeft() const { return next_ < values_.size(); }
  size_t ValuesTaken() const { return next_; }

 private:
  bool WriteItem(const LayoutItem& item) {
    switch (item.kind) {
      case LayoutItem::kLiteral:
        out_.Append(item.text);
        return true;
      case LayoutItem::kBlanks:
        WriteBlanks(item.width);
        return true;
      case LayoutItem::kLineBreak:
        out_.EndLine();
        return true;
      default:
        if (!ValuesLeft()) return false;
        WriteField(item, values_[next_++]);
        return true;
    }
  }

  void WriteBlanks(int count) {
    char* p = out_.Reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) *p++ = ' ';
    out_.Commit(p);
  }

  void WriteField(const LayoutItem& item, const FieldValue& value) {
    char* p = out_.Reserve(kMaxFieldWidth);
    switch (item.kind) {
      case LayoutItem::kInteger:
        p = WriteIntegerField(p, AsInteger(value), item.width);
        break;
      case LayoutItem::kScaledReal:
        p = WriteScaledRealField(p, AsReal(value), item.width, item.digits);
        break;
      case LayoutItem::kFractionReal:
        p = WriteFractionRealField(p, AsReal(value), item.width, item.digits);
        break;
      default:
        if (value.kind != FieldValue::kText) throw std::logic_error("text field given a number");
        p = WriteTextField(p, value.text, item.width);
        break;
    }
    out_.Commit(p);
  }

  static int64_t AsInteger(const FieldValue& v) {
    if (v.kind == FieldValue::kText) throw std::logic_error("integer field given a text");
    return v.kind == FieldValue::kInteger ? v.integer : static_cast<int64_t>(v.real);
  }
  static double AsReal(const FieldValue& v) {
    if (v.kind == FieldValue::kText) throw std::logic_error("real field given a text");
    return v.kind == FieldValue::kReal ? v.real : static_cast<double>(v.integer);
  }

  TextOutput& out_;
  std::span<const FieldValue> values_;
  size_t next_ = 0;
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
  std::span<const LayoutItem> items = layout;
  const size_t resume = ResumePoint(layout);
  for (;;) {
    size_t taken_before = writer.ValuesTaken();
    if (!writer.WriteItems(items) || !writer.ValuesLeft()) break;
    if (writer.ValuesTaken() == taken_before) throw std::logic_error("layout takes no values");
    out.EndLine();
    items = layout.subspan(resume);
  }
  out.EndLine();
}
