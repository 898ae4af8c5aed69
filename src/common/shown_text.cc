#include "common/shown_text.h"

namespace {

bool IsUnprintable(unsigned char c) { return c < 0x20 || c == 0x7f; }

}  // namespace

std::string EscapedText(std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string shown;
  shown.reserve(text.size());
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte == '\\') {
      shown += "\\\\";
    } else if (IsUnprintable(byte)) {
      shown += {'\\', 'x', kHex[byte >> 4], kHex[byte & 15]};
    } else {
      shown += c;
    }
  }
  return shown;
}

std::string QuotedReply(std::string_view text) {
  if (text.size() <= kShownReplyLength) return '"' + EscapedText(text) + '"';
  return '"' + EscapedText(text.substr(0, kShownReplyLength)) + "...\" (cut; " +
         std::to_string(text.size()) + " bytes in all)";
}
