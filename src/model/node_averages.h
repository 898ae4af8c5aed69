// NodeAverages: the writers' reusable workspace of node values averaged from
// element values; AverageElemVelocities, the averaging shared by the TECPLOT,
// mkVIEW, MicroAVS and VTK writers, and AverageAtEveryNonZeroCorner, FEMAP's.
// Every averaging sets the arrays for nodes 1..NUMNP anew, so nothing carries
// over between steps. Each node gathers the values of its elements in the
// order one pass over the elements would add them, so the sums are those of
// that pass to the last bit; the nodes are shared out among the formatting
// threads, and the elements at each node are listed once for a mesh.
#pragma once

#include <cstdint>
#include <thread>
#include <vector>

#include "model/big_array.h"
#include "model/model_store.h"
#include "model/simulator.h"
#include "model/step_quantities.h"

class NodeAverages {
 public:
  NodeAverages();
  // Waits for a listing still being made.
  ~NodeAverages();
  NodeAverages(const NodeAverages&) = delete;
  NodeAverages& operator=(const NodeAverages&) = delete;

  // Under AddressSanitizer the arrays start unreadable; entries 0..node_count
  // become readable here (and stay so). Averaging calls it; so may a test
  // that fills the arrays by hand.
  void ShowEntries(int32_t node_count);

  // The element corners a node's means take in: the distinct corners of the
  // active elements, or every non-zero corner of every element.
  enum class Corners { kDistinctOfActive, kEveryNonZero };
  // Before a run's first step, while it is still being read: the arrays take
  // their memory, and the elements at each node of the mesh are listed on a
  // thread of its own.
  void Prepare(const ModelStore& model, Corners corners);
  // Nodes 1..NUMNP get the means of ElemVX, ElemVY at their corners (NodeVX,
  // NodeVY) and, `with_d`, of the velocities (NodeWorkA, NodeWorkB; else
  // zeros); nodes of no element get zeros.
  void Average(const ModelStore& model, Corners corners, bool with_d);

 private:
  // For each node n, the elements at it, elements[start[n]] up to
  // elements[start[n + 1]], in the order a pass over the elements meets them.
  struct Incidence {
    const ModelStore* model = nullptr;
    uint64_t mesh_stamp = 0;
    Corners corners = Corners::kDistinctOfActive;
    std::vector<int32_t> start, elements;
  };
  const Incidence& IncidenceFor(const ModelStore& model, Corners corners);
  void WaitForListing();
  template <bool kWithD>
  void AverageNodes(const ModelStore& model, int32_t first, int32_t last);

  BigArray<int32_t> count_;
  BigArray<double> vx_, vy_, work_a_, work_b_;
  int32_t shown_count_ = -1;
  Incidence incidence_;
  std::thread listing_;  // making incidence_ for Prepare

 public:
  int32_t* const NodeElemCount;  // elements (or corners) counted at the node
  double* const NodeVX;          // mean of ElemVX
  double* const NodeVY;          // mean of ElemVY
  double* const NodeWorkA;       // mean of ElemVX / ElemD
  double* const NodeWorkB;       // mean of ElemVY / ElemD
};

// Gives each node the mean of ElemVX, ElemVY over the active elements at its
// distinct corners (NodeVX, NodeVY) and, for RX-DELM, the mean of the
// velocities (DelmElemVelocity: NodeWorkA, NodeWorkB, else zero). Sums run in element
// order. Nodes of no active element keep zeros. Every corner of an active
// element must lie in 1..NUMNP (the reader checks this).
void AverageElemVelocities(const ModelStore& model, Simulator simulator, NodeAverages& averages);

// FEMAP's averaging: the mean of ElemVX, ElemVY (NodeVX, NodeVY) and of the
// RX-DELM velocity (NodeWorkA, NodeWorkB; for RX-KORIN, whose D is 1, the
// same values) over every element, whatever its attribute, at each of its
// non-zero corners, so a fourth corner that repeats the third counts twice.
void AverageAtEveryNonZeroCorner(const ModelStore& model, NodeAverages& averages);

// The means at node `n` as vectors: of the stored values, and of the velocity.
inline PlaneVector StoredMeanAt(const NodeAverages& a, int32_t n) {
  return {a.NodeVX[n], a.NodeVY[n]};
}
inline PlaneVector VelocityMeanAt(const NodeAverages& a, int32_t n) {
  return {a.NodeWorkA[n], a.NodeWorkB[n]};
}
