#include "writers/pvd_writer.h"

#include <charconv>
#include <string_view>

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

}  // namespace

void WritePvdCollection(TextOutput& out, const std::vector<PvdDataSet>& data_sets) {
  out.Append(
      "<?xml version=\"1.0\"?>\n"
      "<VTKFile type=\"Collection\" version=\"0.1\" byte_order=\"LittleEndian\">\n"
      "  <Collection>\n");
  for (const PvdDataSet& data_set : data_sets) {
    out.Append("    <DataSet timestep=\"");
    AppendTime(out, data_set.time);
    out.Append("\" group=\"\" part=\"0\" file=\"");
    AppendAttributeText(out, data_set.file);
    out.Append("\"/>\n");
  }
  out.Append(
      "  </Collection>\n"
      "</VTKFile>\n");
}
