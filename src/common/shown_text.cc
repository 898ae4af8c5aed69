#include "common/shown_text.h"

#include <cstdint>

namespace {

// The length of the well-formed UTF-8 character at the start of `text` that a
// terminal shows, or 0 when its first byte is to be escaped.
size_t ShownCharacterLength(std::string_view text) {
  const auto lead = static_cast<unsigned char>(text[0]);
  if (lead >= 0x20 && lead < 0x7f) return 1;
  size_t length = lead >= 0xf0 && lead < 0xf5 ? 4 : lead >= 0xe0 ? 3 : lead >= 0xc2 ? 2 : 0;
  if (lead >= 0xf5 || length == 0 || text.size() < length) return 0;
  uint32_t code = lead & (0x7f >> length);
  for (size_t i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[i]);
    if ((next & 0xc0) != 0x80) return 0;
    code = (code << 6) | (next & 0x3f);
  }
  const uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
  const bool well_formed =
      code >= least[length] && code <= 0x10ffff && (code < 0xd800 || code > 0xdfff);
  const bool invisible = code <= 0x9f || code == 0xfeff;
  return well_formed && !invisible ? length : 0;
}

}  // namespace

std::string EscapedText(std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string shown;
  shown.reserve(text.size());
  while (!text.empty()) {
    const size_t length = ShownCharacterLength(text);
    if (text[0] == '\\') {
      shown += "\\\\";
      text.remove_prefix(1);
    } else if (length > 0) {
      shown.append(text.substr(0, length));
      text.remove_prefix(length);
    } else {
      const auto byte = static_cast<unsigned char>(text[0]);
      shown += {'\\', 'x', kHex[byte >> 4], kHex[byte & 15]};
      text.remove_prefix(1);
    }
  }
  return shown;
}

std::string QuotedReply(std::string_view text) {
  if (text.size() <= kShownReplyLength) return '"' + EscapedText(text) + '"';
  return '"' + EscapedText(text.substr(0, kShownReplyLength)) + "...\" (cut; " +
         std::to_string(text.size()) + " bytes in all)";
}
