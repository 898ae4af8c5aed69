#include "common/line_block_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_files.h"

namespace {

// Lines end with LF or CR LF (as the Windows build writes them), also where
// the CR is the last byte of a block and the LF the first of the next, and
// where a line runs over several blocks; a CR inside a line is data; a last
// line without a line end counts.
TEST(LineBlockReader, LinesEndWithLfOrCrLfAlsoAcrossBlocks) {
  constexpr size_t kBlock = LineBlockReader::kBlockSize;
  std::string text;
  std::vector<std::string> expected;
  const auto add = [&](const std::string& line, const char* end) {
    text += line + end;
    expected.push_back(line.substr(0, LineBlockReader::kMaxLineLength));
  };
  add("a\rb", "\r\n");
  add("plain", "\n");
  add("crlf", "\r\n");
  add(std::string(kBlock - 8 - text.size(), 'x'), "\n");
  add("cr-end", "\r\n");  // its CR is the last byte of block 1
  add(std::string(2 * kBlock - 4 - text.size(), 'y'), "\n");
  add("over", "\r\n");  // straddles the end of block 2
  add(std::string(3 * kBlock, 'z'), "\r\n");
  add("last", "");
  const std::string path = MakeScratchDir("line-block") + "/lines.txt";
  WriteWholeFile(path, text);
  LineBlockReader reader(path);
  std::vector<std::string> lines;
  for (std::string_view line; reader.NextLine(&line);) lines.emplace_back(line);
  EXPECT_EQ(lines, expected);
}

}  // namespace
