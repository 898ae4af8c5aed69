// ElemColumns: the column-major element table of a ModelStore seen as five
// columns indexed by element number, with the element rules every writer
// shares: active elements (attribute above 0) and triangles (a third corner
// stored again in column 4, or 0 there).
#pragma once

#include <cstdint>

#include "model/model_store.h"

struct ElemColumns {
  explicit ElemColumns(const ModelStore& model)
      : Corner1(model.ElemNodes),
        Corner2(model.ElemNodes + static_cast<int64_t>(MaxDim)),
        Corner3(model.ElemNodes + 2 * static_cast<int64_t>(MaxDim)),
        Corner4(model.ElemNodes + 3 * static_cast<int64_t>(MaxDim)),
        Attribute(model.ElemNodes + 4 * static_cast<int64_t>(MaxDim)) {}

  // Position of column `column` (1..5) of element `elem` in ElemNodes.
  static constexpr int64_t Index(int32_t elem, int column) {
    return static_cast<int64_t>(column - 1) * MaxDim + elem;
  }

  bool IsActive(int32_t e) const { return Attribute[e] > 0; }
  bool IsTriangle(int32_t e) const { return Corner4[e] == Corner3[e] || Corner4[e] == 0; }
  // Corner 4 as written to a file: a triangle shows its third corner again.
  int32_t WrittenCorner4(int32_t e) const { return Corner4[e] == 0 ? Corner3[e] : Corner4[e]; }

  const int32_t* Corner1;
  const int32_t* Corner2;
  const int32_t* Corner3;
  const int32_t* Corner4;
  const int32_t* Attribute;
};

// Number of active elements among 1..NUMEL (0 when NUMEL is 0 or less).
inline int32_t CountActiveElems(const ModelStore& model) {
  const ElemColumns elems(model);
  int32_t count = 0;
  for (int32_t e = 1; e <= model.NUMEL; ++e) count += elems.IsActive(e) ? 1 : 0;
  return count;
}
