#include "common/bounded_line.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

using std::string_literals::operator""s;

std::vector<std::string> Lines(const std::string& text, size_t keep, LongLines long_lines) {
  std::stringbuf in(text);
  std::vector<std::string> lines;
  BoundedLine line;
  while (ReadBoundedLine(in, keep, long_lines, line)) {
    lines.push_back(line.text + "|" + std::to_string(line.length) + (line.cuts_text ? "c" : "") +
                    (line.holds_nul ? "0" : ""));
  }
  return lines;
}

TEST(BoundedLine, LineEndsCutsAndNulBytes) {
  using V = std::vector<std::string>;
  EXPECT_EQ(Lines("a\r\nb\rc\n\r\n\nlast\r", 10, LongLines::kSkip),
            (V{"a|1", "b\rc|3", "|0", "|0", "last|4"}));
  EXPECT_EQ(Lines("abcdef\nabc   \r\nx\0y"s, 3, LongLines::kSkip),
            (V{"abc|6c", "abc|6", "x\0y|30"s}));
  // Stopping: the rest of a long line is left unread.
  EXPECT_EQ(Lines("abcdefgh\n", 3, LongLines::kStop), (V{"abc|4c", "efg|4c", "|0"}));
  EXPECT_EQ(Lines("", 3, LongLines::kSkip), V{});
}

}  // namespace
