// NodeAverages: the writers' reusable workspace of node values averaged from
// element values; AverageElemVelocities, the averaging shared by the TECPLOT,
// mkVIEW, MicroAVS and VTK writers, and AverageAtEveryNonZeroCorner, FEMAP's. Every averaging
// clears the arrays for nodes 1..NUMNP first, so nothing carries over between steps.
#pragma once

#include <cstdint>

#include "model/big_array.h"
#include "model/model_store.h"
#include "model/simulator.h"
#include "model/step_quantities.h"

class NodeAverages {
 public:
  NodeAverages();
  NodeAverages(const NodeAverages&) = delete;
  NodeAverages& operator=(const NodeAverages&) = delete;

  // Zeros for nodes 1..node_count in all five arrays. A run calls it once
  // before its first step too, so that the arrays take their memory while
  // that step is still being read.
  void Clear(int32_t node_count);
  // Under AddressSanitizer the arrays start unreadable; entries 0..node_count
  // become readable here (and stay so). Clear calls it; so may a test that
  // fills the arrays by hand.
  void ShowEntries(int32_t node_count);
  // Turns the sums of nodes 1..node_count into means over their counts;
  // nodes with no count keep zeros. `with_d` scales NodeWorkA, NodeWorkB too.
  void DivideByCounts(int32_t node_count, bool with_d);

 private:
  BigArray<int32_t> count_;
  BigArray<double> vx_, vy_, work_a_, work_b_;
  int32_t shown_count_ = -1;

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
