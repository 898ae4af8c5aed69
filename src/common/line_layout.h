// Line layouts: every fixed-column line of the output files is described as a
// flat list of items (literal texts, blanks, line breaks, fields and repeated
// groups) and written by WriteLayout from one list of values.
//
//   constexpr LayoutItem kNodeLine[] = {
//       ScaledRealItem(15, 7), GroupItem(9, 2), LiteralItem(","), ScaledRealItem(15, 7)};
//
// A group item repeats the `size` items that follow it `repeat` times; groups
// are not nested. Rules of a write:
//  - each field takes the next value; when a field is reached and no value is
//    left, the line ends there (texts before that field are still written);
//  - when the layout ends and values remain, the line ends and writing resumes
//    on a new line at the last top-level group (at the start when there is no
//    group), with its full repeat count;
//  - every write ends with a line break.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "common/text_output.h"

struct LayoutItem {
  enum Kind : uint8_t {
    kLiteral,
    kBlanks,
    kLineBreak,
    kInteger,
    kScaledReal,
    kFractionReal,
    kText,
    kGroup
  };
  Kind kind;
  uint8_t width = 0;    // field width; number of blanks
  uint8_t digits = 0;   // digits after the point of a real field
  uint8_t size = 0;     // group: how many following items it repeats
  uint16_t repeat = 0;  // group: how many times
  std::string_view text = {};
};

constexpr LayoutItem LiteralItem(std::string_view text) {
  return {.kind = LayoutItem::kLiteral, .text = text};
}
constexpr LayoutItem BlanksItem(int count) {
  return {.kind = LayoutItem::kBlanks, .width = static_cast<uint8_t>(count)};
}
constexpr LayoutItem LineBreakItem() { return {.kind = LayoutItem::kLineBreak}; }
constexpr LayoutItem IntegerItem(int width) {
  return {.kind = LayoutItem::kInteger, .width = static_cast<uint8_t>(width)};
}
constexpr LayoutItem ScaledRealItem(int width, int digits) {
  return {.kind = LayoutItem::kScaledReal,
          .width = static_cast<uint8_t>(width),
          .digits = static_cast<uint8_t>(digits)};
}
constexpr LayoutItem FractionRealItem(int width, int digits) {
  return {.kind = LayoutItem::kFractionReal,
          .width = static_cast<uint8_t>(width),
          .digits = static_cast<uint8_t>(digits)};
}
constexpr LayoutItem TextItem(int width) {
  return {.kind = LayoutItem::kText, .width = static_cast<uint8_t>(width)};
}
constexpr LayoutItem GroupItem(int repeat, int size) {
  return {.kind = LayoutItem::kGroup,
          .size = static_cast<uint8_t>(size),
          .repeat = static_cast<uint16_t>(repeat)};
}

// One value of a write. Integer and real fields accept either number kind
// (converting it); a text field takes a text.
struct FieldValue {
  enum Kind : uint8_t { kInteger, kReal, kText };
  Kind kind;
  int64_t integer = 0;
  double real = 0;
  std::string_view text = {};
};

constexpr FieldValue IntegerValue(int64_t v) {
  return {.kind = FieldValue::kInteger, .integer = v};
}
constexpr FieldValue RealValue(double v) { return {.kind = FieldValue::kReal, .real = v}; }
// A real written in single precision: rounded to a 4-byte real first.
constexpr FieldValue SingleRealValue(double v) {
  return {.kind = FieldValue::kReal, .real = static_cast<double>(static_cast<float>(v))};
}
constexpr FieldValue TextValue(std::string_view v) {
  return {.kind = FieldValue::kText, .text = v};
}

void WriteLayout(TextOutput& out, std::span<const LayoutItem> layout,
                 std::span<const FieldValue> values);
