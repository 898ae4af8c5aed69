#include "writers/femap_model_writer.h"

#include <algorithm>
#include <span>
#include <string>
#include <string_view>

#include "common/fixed_line.h"
#include "common/free_form.h"
#include "common/line_layout.h"
#include "common/parallel_lines.h"
#include "common/run_error.h"
#include "model/elem_columns.h"
#include "writers/femap_blocks.h"

namespace {

// Marker widths of the model's blocks: -1 in 5 columns, block ids in 6; the
// group block writes both in 8.
constexpr int kEndMarkerWidth = 5;
constexpr int kBlockIdWidth = 6;
constexpr int kGroupMarkerWidth = 8;

// Property p: colour 110, material 1, property type 19, layer 1, system 0.
constexpr LayoutItem kPropertyLine[] = {IntegerItem(8), LiteralItem(",110,1,19,1,0,")};
// Node n: systems 0 and 0, layer 1, colour 46, six free constraints, x, y, z.
constexpr LayoutItem kNodeLine[] = {
    IntegerItem(8),        LiteralItem(",0,0,1,46,0,0,0,0,0,0,"),
    ScaledRealItem(13, 6), LiteralItem(","),
    ScaledRealItem(13, 6), LiteralItem(","),
    ScaledRealItem(13, 6),
};
// Ten node slots of an element: its corners, then empty slots (0).
constexpr LayoutItem kQuadrilateralSlotsLine[] = {
    GroupItem(4, 2), IntegerItem(7), LiteralItem(","),
    LiteralItem("      0,      0,      0,      0,      0,      0,")};
constexpr LayoutItem kTriangleSlotsLine[] = {
    GroupItem(3, 2), IntegerItem(7), LiteralItem(","),
    LiteralItem("      0,      0,      0,      0,      0,      0,      0,")};
constexpr LayoutItem kGroupTitleLine[] = {LiteralItem("ELEM-GROUP 0 ")};

// A free-form line of fixed text, written `count` times in a row.
struct RepeatedText {
  std::string_view text;
  int count = 1;
};

// The one material: number 1, everything else zero.
constexpr RepeatedText kMaterialLines[] = {
    {"1,55,0,1,0,"},
    {" "},
    {"0.,0.,0.,", 3},
    {"0.,0.,0.,0.,0.,", 4},
    {"0.,"},
    {"0.,0.,0.,0.,0.,"},
    {"0.,"},
    {"0.,0.,0.,0.,0.,"},
    {"0.,"},
    {"0.,0.,0.,0.,0.,"},
    {"0.,"},
    {"0.,0.,0.,0.,"},
    {"0.,0.,0.,0.,0.,", 5},
    {"0.,"},
    {"0.,0.,0.,0.,0.,"},
    {"0.,0.,0.,"},
    {"0.,0.,0.,0,0,"},
    {"0,0,0,0,0,"},
    {"0,0,0,0,0,0,"},
    {"0.,0.,0.,"},
    {"0.,0.,0.,0.,0.,"},
    {"0.,0.,"},
    {"0,0,0,0,", 2},
};

// The 29 lines after a property's first: an empty title, then 45 zero
// integers and 93 zero reals, each list after its count.
constexpr RepeatedText kPropertyRest[] = {
    {" "},
    {"0,0,0,0,"},
    {"45,"},
    {"0,0,0,0,0,0,0,0,", 5},
    {"0,0,0,0,0,"},
    {"93,"},
    {"0.,0.,0.,0.,0.,", 18},
    {"0.,0.,0.,"},
};

// The five lines after an element's node slots: slots 11 to 20, the
// orientation and two offset vectors, the twelve release flags.
constexpr RepeatedText kElemRest[] = {
    {"0,0,0,0,0,0,0,0,0,0,"},
    {"0.,0.,0.,", 3},
    {"0,0,0,0,0,0,0,0,0,0,0,0,"},
};

// The group's fixed records between its title and its element list: three
// lines, six times the same three, then two counts.
constexpr RepeatedText kGroupHead[] = {{"0,0,0"}, {"0,0,0,0,0.,0."}, {"0,0"}};
constexpr RepeatedText kGroupRepeated[] = {{"0,0"}, {"0.,0.,0.", 2}};
constexpr RepeatedText kGroupCounts[] = {{"38"}, {"21"}};
constexpr RepeatedText kGroupTail[] = {{"-1,-1,-1,-1,"}, {"-1"}, {"15"}, {"-1"}};

void WriteTextLines(TextOutput& out, std::span<const RepeatedText> lines) {
  for (const RepeatedText& line : lines) {
    for (int i = 0; i < line.count; ++i) FreeFormLine(out).Text(line.text).End();
  }
}

void OpenBlock(TextOutput& out, int32_t block) {
  WriteFemapMarker(out, kEndMarkerWidth, kFemapBlockEnd);
  WriteFemapMarker(out, kBlockIdWidth, block);
}

void CloseBlock(TextOutput& out) { WriteFemapMarker(out, kEndMarkerWidth, kFemapBlockEnd); }

void WriteHeaderBlock(TextOutput& out) {
  OpenBlock(out, kFemapHeaderBlock);
  FreeFormLine(out).Text(" ").End();
  FreeFormLine(out).Text("4.5,").End();
  CloseBlock(out);
}

void WriteMaterialBlock(TextOutput& out) {
  OpenBlock(out, kFemapMaterialBlock);
  WriteTextLines(out, kMaterialLines);
  CloseBlock(out);
}

void WritePropertyBlock(TextOutput& out, int32_t property_count) {
  OpenBlock(out, kFemapPropertyBlock);
  for (int32_t p = 1; p <= property_count; ++p) {
    WriteFixedLine<kPropertyLine>(out, p);
    WriteTextLines(out, kPropertyRest);
  }
  CloseBlock(out);
}

void WriteNodeBlock(TextOutput& out, const ModelStore& model) {
  OpenBlock(out, kFemapNodeBlock);
  FormatLinesInOrder(out, 1, model.NUMNP, [&model](TextOutput& chunk, int32_t first, int32_t last) {
    for (int32_t n = first; n <= last; ++n) {
      WriteFixedLine<kNodeLine>(chunk, n, static_cast<double>(static_cast<float>(model.NodeX[n])),
                                static_cast<double>(static_cast<float>(model.NodeY[n])), 0.0);
    }
  });
  CloseBlock(out);
}

// Element e: colour 124, its attribute as property, type 19, topology 4
// (quadrilateral) or 2 (triangle), layer 1, no orientation; then its corners.
void WriteElement(TextOutput& out, const ElemColumns& elems, int32_t e) {
  const bool quadrilateral = !elems.IsTriangle(e);
  FreeFormLine(out)
      .Integer(e)
      .Text(",124,")
      .Integer(elems.Attribute[e])
      .Text(",19,")
      .Integer(quadrilateral ? 4 : 2)
      .Text(",1,0,0,")
      .End();
  if (quadrilateral) {
    WriteFixedLine<kQuadrilateralSlotsLine>(out, elems.Corner1[e], elems.Corner2[e],
                                            elems.Corner3[e], elems.Corner4[e]);
  } else {
    WriteFixedLine<kTriangleSlotsLine>(out, elems.Corner1[e], elems.Corner2[e], elems.Corner3[e]);
  }
  WriteTextLines(out, kElemRest);
}

void WriteElemBlock(TextOutput& out, const ModelStore& model) {
  OpenBlock(out, kFemapElemBlock);
  const ElemColumns elems(model);
  FormatLinesInOrder(out, 1, model.NUMEL, [&elems](TextOutput& chunk, int32_t first, int32_t last) {
    for (int32_t e = first; e <= last; ++e) WriteElement(chunk, elems, e);
  });
  CloseBlock(out);
}

// The property block has 30 lines for every number up to the largest
// attribute; an attribute past this marks a corrupt file, which would
// otherwise fill the disk with billions of lines.
constexpr int32_t kMaxPropertyCount = 100000;

// The number of properties written: the largest element attribute, at least 1.
int32_t PropertyCount(const ModelStore& model) {
  const ElemColumns elems(model);
  int32_t largest = 1;
  for (int32_t e = 1; e <= model.NUMEL; ++e) largest = std::max(largest, elems.Attribute[e]);
  return largest;
}

void RefuseCorruptAttribute(const ModelStore& model, int32_t property_count) {
  if (property_count <= kMaxPropertyCount) return;
  const ElemColumns elems(model);
  int32_t e = 1;
  while (elems.Attribute[e] != property_count) ++e;
  throw RunError("FEMAP output: element " + std::to_string(e) + " has attribute " +
                 std::to_string(property_count) + "; a property is written for every number up " +
                 "to the largest attribute, and more than " + std::to_string(kMaxPropertyCount) +
                 " are refused as a corrupt attribute");
}

}  // namespace

void WriteFemapModel(TextOutput& out, const ModelStore& model) {
  const int32_t property_count = PropertyCount(model);
  RefuseCorruptAttribute(model, property_count);
  WriteHeaderBlock(out);
  WriteMaterialBlock(out);
  WritePropertyBlock(out, property_count);
  WriteNodeBlock(out, model);
  WriteElemBlock(out, model);
}

void WriteFemapGroup(TextOutput& out, const ModelStore& model, int32_t& group_counter) {
  ++group_counter;
  WriteFemapMarker(out, kGroupMarkerWidth, kFemapBlockEnd);
  WriteFemapMarker(out, kGroupMarkerWidth, kFemapGroupBlock);
  FreeFormLine(out).Integer(group_counter).Text(",1").End();
  WriteLayout(out, kGroupTitleLine, {});
  WriteTextLines(out, kGroupHead);
  for (int i = 0; i < 6; ++i) WriteTextLines(out, kGroupRepeated);
  WriteTextLines(out, kGroupCounts);
  const ElemColumns elems(model);
  FormatLinesInOrder(out, 1, model.NUMEL, [&elems](TextOutput& chunk, int32_t first, int32_t last) {
    for (int32_t e = first; e <= last; ++e) {
      if (elems.IsActive(e)) FreeFormLine(chunk).Integer(e).Text(",").Text("0,1,1,").End();
    }
  });
  WriteTextLines(out, kGroupTail);
  WriteFemapMarker(out, kGroupMarkerWidth, kFemapBlockEnd);
}
