#include "model/node_averages.h"

#include <algorithm>

#include "model/elem_columns.h"
#include "model/step_quantities.h"

namespace {

constexpr int64_t kEntries = MaxDim + 1;

// One element's values, added at each of its corners: the stored ones and,
// for RX-DELM, the velocity.
struct ElemValues {
  PlaneVector stored, velocity;
};

template <bool kWithD>
inline void AddAtNode(NodeAverages& sums, int32_t n, const ElemValues& values) {
  ++sums.NodeElemCount[n];
  sums.NodeVX[n] += values.stored.x;
  sums.NodeVY[n] += values.stored.y;
  if constexpr (kWithD) {
    sums.NodeWorkA[n] += values.velocity.x;
    sums.NodeWorkB[n] += values.velocity.y;
  }
}

// Sums, in element order, the values of every active element at its distinct
// corners; kWithD adds RX-DELM's velocities as well.
template <bool kWithD>
void AddElemValues(const ModelStore& model, NodeAverages& sums) {
  const ElemColumns elems(model);
  for (int32_t e = 1; e <= model.NUMEL; ++e) {
    if (!elems.IsActive(e)) continue;
    ElemValues values{StoredElemVector(model, e), {0.0, 0.0}};
    if constexpr (kWithD) values.velocity = DelmElemVelocity(model, e);
    AddAtNode<kWithD>(sums, elems.Corner1[e], values);
    AddAtNode<kWithD>(sums, elems.Corner2[e], values);
    AddAtNode<kWithD>(sums, elems.Corner3[e], values);
    if (!elems.IsTriangle(e)) AddAtNode<kWithD>(sums, elems.Corner4[e], values);
  }
}

}  // namespace

NodeAverages::NodeAverages()
    : count_(kEntries),
      vx_(kEntries),
      vy_(kEntries),
      work_a_(kEntries),
      work_b_(kEntries),
      NodeElemCount(count_.data()),
      NodeVX(vx_.data()),
      NodeVY(vy_.data()),
      NodeWorkA(work_a_.data()),
      NodeWorkB(work_b_.data()) {}

void NodeAverages::ShowEntries(int32_t node_count) {
  if (node_count <= shown_count_) return;
  shown_count_ = node_count;
  count_.ShowEntries(node_count);
  for (BigArray<double>* array : {&vx_, &vy_, &work_a_, &work_b_}) array->ShowEntries(node_count);
}

void NodeAverages::Clear(int32_t node_count) {
  ShowEntries(node_count);
  if (node_count < 1) return;
  std::fill_n(NodeElemCount + 1, node_count, 0);
  std::fill_n(NodeVX + 1, node_count, 0.0);
  std::fill_n(NodeVY + 1, node_count, 0.0);
  std::fill_n(NodeWorkA + 1, node_count, 0.0);
  std::fill_n(NodeWorkB + 1, node_count, 0.0);
}

void NodeAverages::DivideByCounts(int32_t node_count, bool with_d) {
  for (int32_t n = 1; n <= node_count; ++n) {
    if (NodeElemCount[n] <= 0) continue;
    const double reciprocal = 1.0 / NodeElemCount[n];
    NodeVX[n] *= reciprocal;
    NodeVY[n] *= reciprocal;
    if (with_d) {
      NodeWorkA[n] *= reciprocal;
      NodeWorkB[n] *= reciprocal;
    }
  }
}

void AverageElemVelocities(const ModelStore& model, Simulator simulator, NodeAverages& averages) {
  const bool with_d = simulator == Simulator::kDelm;
  averages.Clear(model.NUMNP);
  if (with_d) {
    AddElemValues<true>(model, averages);
  } else {
    AddElemValues<false>(model, averages);
  }
  averages.DivideByCounts(model.NUMNP, with_d);
}

void AverageAtEveryNonZeroCorner(const ModelStore& model, NodeAverages& averages) {
  averages.Clear(model.NUMNP);
  const ElemColumns elems(model);
  const int32_t* const corners[] = {elems.Corner1, elems.Corner2, elems.Corner3, elems.Corner4};
  for (int32_t e = 1; e <= model.NUMEL; ++e) {
    const ElemValues values{StoredElemVector(model, e), DelmElemVelocity(model, e)};
    for (const int32_t* corner : corners) {
      if (corner[e] != 0) AddAtNode<true>(averages, corner[e], values);
    }
  }
  averages.DivideByCounts(model.NUMNP, true);
}
