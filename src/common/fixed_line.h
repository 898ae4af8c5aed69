// WriteFixedLine: writes one line of a layout that is known at compile time,
// with a value for every field, as straight-line code: the layout's groups are
// expanded and each item becomes its own copy or field call with constant
// widths, with no walk over the items at run time. The hot lines of the
// writers (a line a node or an element) use it; lines that may wrap or run
// short use WriteLayout, with the same layout tables.
//
//   constexpr LayoutItem kElemLine[] = {IntegerItem(8), GroupItem(3, 2), LiteralItem(","),
//                                       IntegerItem(8)};
//   WriteFixedLine<kElemLine>(out, n1, n2, n3, n4);
#pragma once

#include <array>
#include <cstddef>
#include <cstring>
#include <span>
#include <tuple>
#include <utility>

#include "common/line_layout.h"
#include "common/number_fields.h"
#include "common/platform.h"
#include "common/text_output.h"

namespace fixed_line {

constexpr bool IsField(const LayoutItem& item) {
  return item.kind == LayoutItem::kInteger || item.kind == LayoutItem::kScaledReal ||
         item.kind == LayoutItem::kFractionReal || item.kind == LayoutItem::kText;
}

// Calls `visit` for every item of the layout with its groups expanded.
template <typename Visit>
constexpr void ForEachExpanded(std::span<const LayoutItem> layout, Visit visit) {
  for (size_t i = 0; i < layout.size(); ++i) {
    if (layout[i].kind != LayoutItem::kGroup) {
      visit(layout[i]);
      continue;
    }
    for (int r = 0; r < layout[i].repeat; ++r) {
      for (size_t j = 1; j <= layout[i].size; ++j) visit(layout[i + j]);
    }
    i += layout[i].size;
  }
}

template <const auto& kLayout>
struct Expanded {
  static constexpr size_t kCount = [] {
    size_t count = 0;
    ForEachExpanded(kLayout, [&](const LayoutItem&) { ++count; });
    return count;
  }();
  static constexpr std::array<LayoutItem, kCount> kItems = [] {
    std::array<LayoutItem, kCount> items{};
    size_t at = 0;
    ForEachExpanded(kLayout, [&](const LayoutItem& item) { items[at++] = item; });
    return items;
  }();
  // Which value item i takes (for a field).
  static constexpr std::array<size_t, kCount> kValueIndex = [] {
    std::array<size_t, kCount> index{};
    size_t fields = 0;
    for (size_t i = 0; i < kCount; ++i) index[i] = IsField(kItems[i]) ? fields++ : fields;
    return index;
  }();
  static constexpr size_t kFields =
      kCount == 0 ? 0 : kValueIndex[kCount - 1] + IsField(kItems[kCount - 1]);
  // Bytes of the line and its line end; fields write exactly their width.
  static constexpr size_t kBytes = [] {
    size_t bytes = platform::kLineEnd.size();
    for (const LayoutItem& item : kItems) {
      bytes += item.kind == LayoutItem::kLiteral ? item.text.size() : item.width;
    }
    return bytes;
  }();
};

template <typename Layout, size_t I, typename Values>
inline char* WriteItem(char* p, const Values& values) {
  constexpr LayoutItem item = Layout::kItems[I];
  if constexpr (item.kind == LayoutItem::kLiteral) {
    std::memcpy(p, item.text.data(), item.text.size());
    return p + item.text.size();
  } else if constexpr (item.kind == LayoutItem::kBlanks) {
    std::memset(p, ' ', item.width);
    return p + item.width;
  } else {
    static_assert(IsField(item), "line breaks belong in WriteLayout lines");
    const auto& value = std::get<Layout::kValueIndex[I]>(values);
    if constexpr (item.kind == LayoutItem::kInteger) {
      return WriteIntegerFieldOf<item.width>(p, value);
    } else if constexpr (item.kind == LayoutItem::kScaledReal) {
      return WriteScaledRealFieldOf<item.width, item.digits>(p, value);
    } else if constexpr (item.kind == LayoutItem::kFractionReal) {
      return WriteFractionRealFieldOf<item.width, item.digits>(p, value);
    } else {
      return WriteTextField(p, value, item.width);
    }
  }
}

}  // namespace fixed_line

// Integer fields take integers, real fields doubles and text fields texts.
template <const auto& kLayout, typename... Values>
inline void WriteFixedLine(TextOutput& out, const Values&... values) {
  using Layout = fixed_line::Expanded<kLayout>;
  static_assert(sizeof...(Values) == Layout::kFields, "one value for every field of the line");
  static_assert(Layout::kBytes <= TextOutput::kMaxReserve);
  char* p = out.Reserve(Layout::kBytes);
  const std::tuple<const Values&...> value_tuple(values...);
  [&]<size_t... I>(std::index_sequence<I...>) {
    ((p = fixed_line::WriteItem<Layout, I>(p, value_tuple)), ...);
  }
  (std::make_index_sequence<Layout::kCount>{});
  std::memcpy(p, platform::kLineEnd.data(), platform::kLineEnd.size());
  out.Commit(p + platform::kLineEnd.size());
}
