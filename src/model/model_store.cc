#include "model/model_store.h"

#include <algorithm>

namespace {

constexpr int64_t kArrayEntries = MaxDim + 1;
constexpr int64_t kElemNodesEntries = 5 * static_cast<int64_t>(MaxDim) + 1;

}  // namespace

ModelStore::ModelStore()
    : node_x_(kArrayEntries),
      node_y_(kArrayEntries),
      node_extra_a_(kArrayEntries),
      node_extra_b_(kArrayEntries),
      node_extra_code_(kArrayEntries),
      elem_nodes_(kElemNodesEntries),
      elem_extra_(kArrayEntries),
      node_code_(kArrayEntries),
      node_head_(kArrayEntries),
      node_flow_(kArrayEntries),
      elem_vx_(kArrayEntries),
      elem_vy_(kArrayEntries),
      elem_d_(kArrayEntries),
      NodeX(node_x_.data()),
      NodeY(node_y_.data()),
      NodeExtraA(node_extra_a_.data()),
      NodeExtraB(node_extra_b_.data()),
      NodeExtraCode(node_extra_code_.data()),
      ElemNodes(elem_nodes_.data()),
      ElemExtra(elem_extra_.data()),
      NodeCode(node_code_.data()),
      NodeHead(node_head_.data()),
      NodeFlow(node_flow_.data()),
      ElemVX(elem_vx_.data()),
      ElemVY(elem_vy_.data()),
      ElemD(elem_d_.data()) {}

void ModelStore::PrepareNodeArrays(int32_t node_count) {
  for (BigArray<double>* array :
       {&node_x_, &node_y_, &node_extra_a_, &node_extra_b_, &node_head_, &node_flow_}) {
    array->AdviseLargePages(node_count);
    array->ShowEntries(node_count);
  }
  for (BigArray<int32_t>* array : {&node_extra_code_, &node_code_}) {
    array->AdviseLargePages(node_count);
    array->ShowEntries(node_count);
  }
}

void ModelStore::PrepareElemArrays(int32_t elem_count) {
  for (BigArray<double>* array : {&elem_extra_, &elem_vx_, &elem_vy_, &elem_d_}) {
    array->AdviseLargePages(elem_count);
    array->ShowEntries(elem_count);
  }
  // Each column shows its entries 0..elem_count (entry 0 of a column being
  // the previous column's last, which no model of fewer elements uses).
  const int64_t shown_end = std::clamp<int64_t>(int64_t{elem_count} + 1, 0, MaxDim);
  for (int column = 0; column < 5; ++column) {
    const int64_t start = static_cast<int64_t>(column) * MaxDim;
    ::AdviseLargePages(ElemNodes + start, sizeof(int32_t), elem_count);
    MoveShownEnd(ElemNodes + start, sizeof(int32_t), elem_nodes_shown_, shown_end);
  }
  elem_nodes_shown_ = shown_end;
}
