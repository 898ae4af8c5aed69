#include "writers/pvd_writer.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace {

// `text` as the value of an XML attribute in double quotes.
void AppendAttributeText(TextOutput& out, std::string_view text) {
  for (char c : text) {
    switch (c) {
      case '&':
        out.Append("&amp;");
        break;
      case '<':
        out.Append("&lt;");
        break;
      case '>':
        out.Append("&gt;");
        break;
      case '"':
        out.Append("&quot;");
        break;
      default:
        out.Append(c);
    }
  }
}

// The shortest text that reads back as the same double.
void AppendTime(TextOutput& out, double time) {
  char digits[32];
  auto result = std::to_chars(digits, digits + sizeof digits, time);
  out.Append(std::string_view(digits, static_cast<size_t>(result.ptr - digits)));
}

// The length of the UTF-8 sequence at the start of `text` when it encodes a
// character that XML allows and that is not a control character; else 0.
size_t AllowedCharacterLength(std::string_view text) {
  const auto byte = [&text](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  if (lead >= 0x20 && lead < 0x7f) return 1;
  const size_t length = lead >= 0xc2 && lead <= 0xdf   ? 2
                        : lead >= 0xe0 && lead <= 0xef ? 3
                        : lead >= 0xf0 && lead <= 0xf4 ? 4
                                                       : 0;
  if (length == 0 || text.size() < length) return 0;
  uint32_t code = lead & (0x7f >> length);
  for (size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xc0) != 0x80) return 0;
    code = (code << 6) | (byte(i) & 0x3f);
  }
  const uint32_t shortest[] = {0, 0, 0x80, 0x800, 0x10000};
  const bool allowed = code >= shortest[length] && code >= 0xa0 && code <= 0x10ffff &&
                       !(code >= 0xd800 && code <= 0xdfff) && code != 0xfffe && code != 0xffff;
  return allowed ? length : 0;
}

}  // namespace

bool IsUnlistableTime(double time) { return !std::isfinite(time); }

std::string XmlSafeFileName(std::string_view name) {
  std::string safe;
  while (!name.empty()) {
    size_t length = AllowedCharacterLength(name);
    if (length > 0) {
      safe.append(name.substr(0, length));
    } else {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", static_cast<unsigned char>(name[0]));
      safe += hex;
      length = 1;
    }
    name.remove_prefix(length);
  }
  return safe;
}

void WritePvdCollection(TextOutput& out, const std::vector<PvdDataSet>& data_sets) {
  out.Append(
      "<?xml version=\"1.0\"?>\n"
      "<VTKFile type=\"Collection\" version=\"0.1\" byte_order=\"LittleEndian\">\n"
      "  <Collection>\n");
  for (const PvdDataSet& data_set : data_sets) {
    out.Append("    <DataSet timestep=\"");
    AppendTime(out, IsUnlistableTime(data_set.time) ? double(data_set.step_number) : data_set.time);
    out.Append("\" group=\"\" part=\"0\" file=\"");
    AppendAttributeText(out, XmlSafeFileName(data_set.file));
    out.Append("\"/>\n");
  }
  out.Append(
      "  </Collection>\n"
      "</VTKFile>\n");
}
