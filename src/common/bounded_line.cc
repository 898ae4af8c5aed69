#include "common/bounded_line.h"

namespace {

constexpr int kEnd = std::char_traits<char>::eof();

void AddByte(char c, size_t keep, BoundedLine& line) {
  if (line.text.size() < keep) {
    line.text.push_back(c);
  } else if (c != ' ') {
    line.cuts_text = true;
  }
  ++line.length;
  if (c == '\0') line.holds_nul = true;
}

}  // namespace

bool ReadBoundedLine(std::streambuf& in, size_t keep, LongLines long_lines, BoundedLine& line) {
  line.text.clear();
  line.length = 0;
  line.holds_nul = false;
  line.cuts_text = false;
  int c = in.sbumpc();
  if (c == kEnd) return false;
  bool pending_cr = false;  // a CR read but not stored: it may end the line
  for (; c != kEnd && c != '\n'; c = in.sbumpc()) {
    if (pending_cr) AddByte('\r', keep, line);
    pending_cr = c == '\r';
    if (!pending_cr) AddByte(static_cast<char>(c), keep, line);
    if (long_lines == LongLines::kStop && line.length > keep) break;
  }
  return true;
}

void DropByteOrderMark(std::string& first_line) {
  if (first_line.starts_with("\xEF\xBB\xBF")) first_line.erase(0, 3);
}
