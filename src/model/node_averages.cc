#include "model/node_averages.h"

#include <algorithm>

#include "common/side_thread.h"
#include "common/worker_pool.h"
#include "model/elem_columns.h"
#include "model/step_quantities.h"

namespace {

constexpr int64_t kEntries = MaxDim + 1;
// Nodes a range of the averaging holds.
constexpr int32_t kNodeRangeItems = 1 << 16;

// Calls add(node, e) for each corner of element e that `corners` takes in,
// in corner order.
template <typename AddAt>
void ForEachCornerTakenIn(const ElemColumns& elems, int32_t e, NodeAverages::Corners corners,
                          AddAt add) {
  const int32_t* const columns[] = {elems.Corner1, elems.Corner2, elems.Corner3, elems.Corner4};
  if (corners == NodeAverages::Corners::kEveryNonZero) {
    for (const int32_t* corner : columns) {
      if (corner[e] != 0) add(corner[e]);
    }
    return;
  }
  if (!elems.IsActive(e)) return;
  add(elems.Corner1[e]);
  add(elems.Corner2[e]);
  add(elems.Corner3[e]);
  if (!elems.IsTriangle(e)) add(elems.Corner4[e]);
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

NodeAverages::~NodeAverages() { WaitForListing(); }

void NodeAverages::Prepare(const ModelStore& model, Corners corners) {
  WaitForListing();
  ShowEntries(model.NUMNP);
  count_.CommitEntries(model.NUMNP);  // each Average sets every entry anew
  for (const BigArray<double>* array : {&vx_, &vy_, &work_a_, &work_b_}) {
    array->CommitEntries(model.NUMNP);
  }
  listing_ = StartSideThread([this, &model, corners] { IncidenceFor(model, corners); });
}

void NodeAverages::WaitForListing() { JoinSideThread(listing_); }

const NodeAverages::Incidence& NodeAverages::IncidenceFor(const ModelStore& model,
                                                          Corners corners) {
  Incidence& in = incidence_;
  if (in.model == &model && in.mesh_stamp == model.MeshStamp() && in.corners == corners) return in;
  in = {&model, model.MeshStamp(), corners, {}, {}};
  const int32_t nodes = std::max(model.NUMNP, 0);
  const ElemColumns elems(model);
  // Counts at start[n + 1], summed into starts, then the elements placed.
  in.start.assign(static_cast<size_t>(nodes) + 2, 0);
  for (int32_t e = 1; e <= model.NUMEL; ++e) {
    ForEachCornerTakenIn(elems, e, corners, [&](int32_t n) { ++in.start[n + 1]; });
  }
  for (size_t n = 1; n < in.start.size(); ++n) in.start[n] += in.start[n - 1];
  in.elements.resize(static_cast<size_t>(in.start.back()));
  std::vector<int32_t> next(in.start.begin(), in.start.end() - 1);
  for (int32_t e = 1; e <= model.NUMEL; ++e) {
    ForEachCornerTakenIn(elems, e, corners, [&](int32_t n) { in.elements[next[n]++] = e; });
  }
  return in;
}

template <bool kWithD>
void NodeAverages::AverageNodes(const ModelStore& model, int32_t first, int32_t last) {
  const Incidence& in = incidence_;
  for (int32_t n = first; n <= last; ++n) {
    PlaneVector stored{0.0, 0.0}, velocity{0.0, 0.0};
    for (int32_t k = in.start[n]; k < in.start[n + 1]; ++k) {
      const int32_t e = in.elements[k];
      const PlaneVector s = StoredElemVector(model, e);
      stored.x += s.x, stored.y += s.y;
      if constexpr (kWithD) {
        const PlaneVector v = DelmElemVelocity(model, e);
        velocity.x += v.x, velocity.y += v.y;
      }
    }
    const int32_t count = in.start[n + 1] - in.start[n];
    const double reciprocal = count > 0 ? 1.0 / count : 0.0;
    NodeElemCount[n] = count;
    NodeVX[n] = stored.x * reciprocal;
    NodeVY[n] = stored.y * reciprocal;
    NodeWorkA[n] = velocity.x * reciprocal;
    NodeWorkB[n] = velocity.y * reciprocal;
  }
}

void NodeAverages::Average(const ModelStore& model, Corners corners, bool with_d) {
  WaitForListing();
  ShowEntries(model.NUMNP);
  IncidenceFor(model, corners);
  ForEachRange(1, model.NUMNP, kNodeRangeItems, [&](int64_t, int32_t first, int32_t last) {
    if (with_d) {
      AverageNodes<true>(model, first, last);
    } else {
      AverageNodes<false>(model, first, last);
    }
  });
}

void AverageElemVelocities(const ModelStore& model, Simulator simulator, NodeAverages& averages) {
  averages.Average(model, NodeAverages::Corners::kDistinctOfActive, simulator == Simulator::kDelm);
}

void AverageAtEveryNonZeroCorner(const ModelStore& model, NodeAverages& averages) {
  averages.Average(model, NodeAverages::Corners::kEveryNonZero, true);
}
