// How text from outside (a reply, a file name, a line of a file) appears in a
// message: control bytes, DEL and the backslash are escaped (\x00, \x1b, \\),
// so that the message stays one printable line whatever the text holds.
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
