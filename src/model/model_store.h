// ModelStore: the mesh of one result file and the values of its current step,
// in arrays of fixed capacity MaxDim indexed from 1 by node or element number
// (entry 0 is unused). The arrays are allocated once, zero-filled, and cost
// memory only where they are touched (see BigArray). The reader fills the
// store; every writer receives it read-only.
//
// The element table is stored column by column: column c (1..5) of element e
// lies at ElemNodes[(c - 1) * MaxDim + e]; columns 1 to 4 hold the corner
// nodes (a triangle repeats its third corner in column 4, or has 0 there) and
// column 5 the element attribute (0 or less: inactive). ElemColumns (in
// elem_columns.h) is the one view of that layout.
//
// The names of the counts and arrays (NUMNP, NUMEL, NodeX, NodeHead, ElemVX,
// StepTime, ...) are the result file's own vocabulary, the words its users
// and its simulators' documents use; they keep that spelling instead of the
// code's snake_case, here and wherever a writer reads them.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string_view>
#include <thread>
#include <utility>

#include "model/big_array.h"

inline constexpr int32_t MaxDim = 5000000;

// The values of one step: its header and its node and element arrays,
// indexed like the mesh's.
struct StepValues {
  int32_t StepNo = 0;
  double StepTime = 0;
  int32_t* NodeCode = nullptr;
  double* NodeHead = nullptr;  // RX-KORIN: pressure head; RX-DELM: total head
  double* NodeFlow = nullptr;
  double* ElemVX = nullptr;
  double* ElemVY = nullptr;
  double* ElemD = nullptr;  // RX-DELM: the element's D; RX-KORIN: 1.0 for every element
};

// The storage behind one step's arrays.
class StepArrays {
 public:
  StepArrays();
  StepValues Values() const;
  void ShowNodeEntries(int32_t count);
  void ShowElemEntries(int32_t count);
  void CommitNodeEntries(int32_t count) const;
  void CommitElemEntries(int32_t count) const;

 private:
  BigArray<int32_t> node_code_;
  BigArray<double> node_head_, node_flow_, elem_vx_, elem_vy_, elem_d_;
};

// The model: the mesh, and as its StepValues the current step's values.
struct ModelStore : StepValues {
  ModelStore();
  // Waits for memory still being committed (see PrepareNodeArrays).
  ~ModelStore();
  ModelStore(const ModelStore&) = delete;
  ModelStore& operator=(const ModelStore&) = delete;

  // Once a count is known, and before its arrays are filled: the arrays that
  // the reader fills next (the mesh's, and after WillReadAhead the spare
  // step values, which the first step is read into) get their memory on a
  // thread of its own, ahead of the reader; under AddressSanitizer, the
  // entries beyond the count become unreadable.
  void PrepareNodeArrays(int32_t node_count);
  void PrepareElemArrays(int32_t elem_count);

  std::string_view TitleText() const { return {Title.data(), Title.size()}; }
  // Differs for every mesh prepared (PrepareElemArrays) in any model, so
  // that what is worked out once for a mesh can tell whether it still holds.
  uint64_t MeshStamp() const { return mesh_stamp_; }

  // A second set of step values, for reading the next step while the current
  // one is still in use; SwapSpareStep makes it the current one (and the
  // current one the spare). Called before the mesh is read, WillReadAhead
  // has the spare values get their memory ahead of the reader too (a reader
  // that never reads ahead leaves them without memory).
  void WillReadAhead() { reads_ahead_ = true; }
  StepValues& SpareStep() { return spare_; }
  void SwapSpareStep() { std::swap(static_cast<StepValues&>(*this), spare_); }

 private:
  void CommitAhead(const std::function<void()>& commit);

  // The storage behind the array pointers below; declared first so that it is
  // built before them.
  BigArray<double> node_x_, node_y_, node_extra_a_, node_extra_b_;
  BigArray<int32_t> node_extra_code_, elem_nodes_;
  BigArray<double> elem_extra_;
  std::array<StepArrays, 2> step_arrays_;
  StepValues spare_;
  std::thread committing_;
  bool reads_ahead_ = false;
  int64_t elem_nodes_shown_ = 0;  // entries of each column visible to AddressSanitizer
  uint64_t mesh_stamp_ = 0;

 public:
  // Mesh.
  std::array<char, 80> Title{};
  int32_t NUMNP = 0;
  int32_t NUMEL = 0;
  double* const NodeX;
  double* const NodeY;
  double* const NodeExtraA;  // RX-DELM node entries only
  double* const NodeExtraB;
  int32_t* const NodeExtraCode;
  int32_t* const ElemNodes;  // 5 * MaxDim + 1 entries, column by column
  double* const ElemExtra;   // RX-DELM element entries only; kept, used by no output
};
