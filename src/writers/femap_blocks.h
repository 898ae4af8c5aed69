// The block ids of a FEMAP neutral file and its marker lines, shared by the
// model, group and output-set writers. A block is a line holding -1, a line
// holding the block id, the block's records and a closing -1; each marker is
// one integer field, 5 or 6 columns wide in the model's blocks and 8 in the
// group and output-set blocks.
#pragma once

#include <cstdint>

#include "common/line_layout.h"
#include "common/text_output.h"

inline constexpr int32_t kFemapHeaderBlock = 100;
inline constexpr int32_t kFemapMaterialBlock = 401;
inline constexpr int32_t kFemapPropertyBlock = 402;
inline constexpr int32_t kFemapNodeBlock = 403;
inline constexpr int32_t kFemapElemBlock = 404;
inline constexpr int32_t kFemapGroupBlock = 408;
inline constexpr int32_t kFemapOutputSetBlock = 450;
inline constexpr int32_t kFemapOutputVectorBlock = 451;
// The marker that opens and closes every block.
inline constexpr int32_t kFemapBlockEnd = -1;

// A marker line: `value` right-aligned in `width` columns.
inline void WriteFemapMarker(TextOutput& out, int width, int32_t value) {
  const LayoutItem layout[] = {IntegerItem(width)};
  const FieldValue values[] = {IntegerValue(value)};
  WriteLayout(out, layout, values);
}
