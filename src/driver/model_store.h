// ModelStore: the mesh of one result file and the values of its current step,
// in arrays of fixed capacity MaxDim indexed from 1 by node or element number
// (entry 0 is unused). The arrays are allocated once, zero-filled, and the
// operating system commits their pages only when they are first touched, so a
// small model costs little memory while the largest one still fits.
//
// The element table is stored column by column: column c (1..5) of element e
// lies at ElemNodes[(c - 1) * MaxDim + e]; columns 1 to 4 hold the corner
// nodes (a triangle repeats its third corner in column 4, or has 0 there) and
// column 5 the element attribute (0 or less: inactive).
#pragma once

#include <array>
#include <cstdint>

inline constexpr int32_t MaxDim = 5000000;

// Position of column `column` of element `elem` in ModelStore::ElemNodes.
constexpr int64_t ElemNodesIndex(int32_t elem, int column) {
  return static_cast<int64_t>(column - 1) * MaxDim + elem;
}

struct ModelStore {
  ModelStore();
  ~ModelStore();
  ModelStore(const ModelStore&) = delete;
  ModelStore& operator=(const ModelStore&) = delete;

  // Once a count is known, and before its arrays are filled: asks the system
  // for large pages over the entries a model of that size uses, which makes
  // the first touch of a large model's arrays far cheaper. Small models keep
  // ordinary pages, so they stay small in memory.
  void PrepareNodeArrays(int32_t node_count);
  void PrepareElemArrays(int32_t elem_count);

  // Mesh.
  std::array<char, 80> Title{};
  int32_t NUMNP = 0;
  int32_t NUMEL = 0;
  double* NodeX;
  double* NodeY;
  double* NodeExtraA;  // RX-DELM node entries only
  double* NodeExtraB;
  int32_t* NodeExtraCode;
  int32_t* ElemNodes;  // 5 * MaxDim + 1 entries, column by column
  double* ElemExtra;   // RX-DELM element entries only; kept, used by no output

  // Current step.
  int32_t StepNo = 0;
  double StepTime = 0;
  int32_t* NodeCode;
  double* NodeHead;  // RX-KORIN: pressure head; RX-DELM: total head
  double* NodeFlow;
  double* ElemVX;
  double* ElemVY;
  double* ElemD;  // RX-DELM: the element's D; RX-KORIN: 1.0 for every element

  // Work arrays of the writers.
  int32_t* NodeElemCount;
  double* NodeVX;
  double* NodeVY;
  double* NodeWorkA;
  double* NodeWorkB;
};
