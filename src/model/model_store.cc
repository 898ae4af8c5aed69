#include "model/model_store.h"

#include <algorithm>
#include <atomic>

#include "common/side_thread.h"

namespace {

constexpr int64_t kArrayEntries = MaxDim + 1;
constexpr int64_t kElemNodesEntries = 5 * static_cast<int64_t>(MaxDim) + 1;

}  // namespace

StepArrays::StepArrays()
    : node_code_(kArrayEntries),
      node_head_(kArrayEntries),
      node_flow_(kArrayEntries),
      elem_vx_(kArrayEntries),
      elem_vy_(kArrayEntries),
      elem_d_(kArrayEntries) {}

StepValues StepArrays::Values() const {
  return {.NodeCode = node_code_.data(),
          .NodeHead = node_head_.data(),
          .NodeFlow = node_flow_.data(),
          .ElemVX = elem_vx_.data(),
          .ElemVY = elem_vy_.data(),
          .ElemD = elem_d_.data()};
}

void StepArrays::ShowNodeEntries(int32_t count) {
  node_code_.ShowEntries(count);
  node_head_.ShowEntries(count);
  node_flow_.ShowEntries(count);
}

void StepArrays::CommitNodeEntries(int32_t count) const {
  node_code_.CommitEntries(count);
  node_head_.CommitEntries(count);
  node_flow_.CommitEntries(count);
}

void StepArrays::CommitElemEntries(int32_t count) const {
  for (const BigArray<double>* array : {&elem_vx_, &elem_vy_, &elem_d_}) {
    array->CommitEntries(count);
  }
}

void StepArrays::ShowElemEntries(int32_t count) {
  for (BigArray<double>* array : {&elem_vx_, &elem_vy_, &elem_d_}) array->ShowEntries(count);
}

ModelStore::ModelStore()
    : node_x_(kArrayEntries),
      node_y_(kArrayEntries),
      node_extra_a_(kArrayEntries),
      node_extra_b_(kArrayEntries),
      node_extra_code_(kArrayEntries),
      elem_nodes_(kElemNodesEntries),
      elem_extra_(kArrayEntries),
      spare_(step_arrays_[1].Values()),
      NodeX(node_x_.data()),
      NodeY(node_y_.data()),
      NodeExtraA(node_extra_a_.data()),
      NodeExtraB(node_extra_b_.data()),
      NodeExtraCode(node_extra_code_.data()),
      ElemNodes(elem_nodes_.data()),
      ElemExtra(elem_extra_.data()) {
  // The base is built before the storage it points into.
  static_cast<StepValues&>(*this) = step_arrays_[0].Values();
}

ModelStore::~ModelStore() { JoinSideThread(committing_); }

void ModelStore::CommitAhead(const std::function<void()>& commit) {
  JoinSideThread(committing_);
  committing_ = StartSideThread(commit);
}

void ModelStore::PrepareNodeArrays(int32_t node_count) {
  CommitAhead([this, node_count] {
    node_x_.CommitEntries(node_count);
    node_y_.CommitEntries(node_count);
    if (reads_ahead_) step_arrays_[1].CommitNodeEntries(node_count);
  });
  for (BigArray<double>* array : {&node_x_, &node_y_, &node_extra_a_, &node_extra_b_}) {
    array->ShowEntries(node_count);
  }
  node_extra_code_.ShowEntries(node_count);
  for (StepArrays& step : step_arrays_) step.ShowNodeEntries(node_count);
}

void ModelStore::PrepareElemArrays(int32_t elem_count) {
  CommitAhead([this, elem_count] {
    for (int column = 0; column < 5; ++column) {
      CommitPageRange(ElemNodes + static_cast<int64_t>(column) * MaxDim,
                      sizeof(int32_t) * static_cast<size_t>(std::clamp(elem_count + 1, 0, MaxDim)));
    }
    if (reads_ahead_) step_arrays_[1].CommitElemEntries(elem_count);
  });
  static std::atomic<uint64_t> meshes_prepared{0};
  mesh_stamp_ = ++meshes_prepared;
  elem_extra_.ShowEntries(elem_count);
  for (StepArrays& step : step_arrays_) step.ShowElemEntries(elem_count);
  // Each column shows its entries 0..elem_count (entry 0 of a column being
  // the previous column's last, which no model of fewer elements uses).
  const int64_t shown_end = std::clamp<int64_t>(int64_t{elem_count} + 1, 0, MaxDim);
  for (int column = 0; column < 5; ++column) {
    const int64_t start = static_cast<int64_t>(column) * MaxDim;
    MoveShownEnd(ElemNodes + start, sizeof(int32_t), elem_nodes_shown_, shown_end);
  }
  elem_nodes_shown_ = shown_end;
}
