// How text from outside (a reply, a file name, a line of a file, a title)
// appears in a message: every byte a terminal would not show as a character
// is escaped (\x00, \x1b, \x83): control bytes, DEL, bytes that are not part
// of a well-formed UTF-8 character, and the invisible characters U+0080 to
// U+009F and U+FEFF; the backslash becomes \\. The message so stays one
// printable line whatever the text holds. Every message that shows outside
// text shows it through these functions.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Longest reply a message quotes in full; a longer one is cut with a mark.
inline constexpr size_t kShownReplyLength = 80;

// `text` with its unprintable bytes escaped.
std::string EscapedText(std::string_view text);
// `text` escaped and in double quotes; past kShownReplyLength bytes it is cut,
// and the mark after the closing quote tells the whole length:
// "abc..." (cut; 10000 bytes in all).
std::string QuotedReply(std::string_view text);
