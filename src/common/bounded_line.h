// Reading text lines in bounded memory: a line keeps at most a given number of
// bytes, and the rest of a longer line is read past without being stored (or,
// for a reader that must not wait on an endless line, not read at all).
#pragma once

#include <cstddef>
#include <cstdint>
#include <streambuf>
#include <string>

struct BoundedLine {
  std::string text;     // the first bytes of the line, without its line end
  uint64_t length = 0;  // bytes of the whole line without its line end
  bool holds_nul = false;
  bool cuts_text = false;  // a byte other than a blank lies past the kept ones

  bool Cut() const { return length > text.size(); }
};

enum class LongLines {
  kSkip,  // read to the line's end, storing none of the bytes past `keep`
  kStop,  // stop after keep + 1 bytes: the line is known to be too long
};

// Reads the next line of `in` into `line`, keeping at most `keep` bytes. A line
// ends at LF; a CR right before it (or before the end of the input) is not part
// of the line. Returns false when the input is at its end.
bool ReadBoundedLine(std::streambuf& in, size_t keep, LongLines long_lines, BoundedLine& line);

// Drops a UTF-8 byte-order mark (EF BB BF), which Windows editors write at
// the head of a text file, from the start of the first line of an input.
void DropByteOrderMark(std::string& first_line);
