#include "writers/average_elem_velocities.h"

#include <algorithm>

namespace {

// The five work arrays, indexed by node number.
struct NodeSums {
  int32_t* Count;
  double* VX;
  double* VY;
  double* WorkA;
  double* WorkB;
};

void ClearNodeSums(const NodeSums& sums, int32_t NUMNP) {
  if (NUMNP < 1) return;
  std::fill_n(sums.Count + 1, NUMNP, 0);
  std::fill_n(sums.VX + 1, NUMNP, 0.0);
  std::fill_n(sums.VY + 1, NUMNP, 0.0);
  std::fill_n(sums.WorkA + 1, NUMNP, 0.0);
  std::fill_n(sums.WorkB + 1, NUMNP, 0.0);
}

// One element's values, added at each of its corners.
struct ElemValues {
  double VX, VY;
  double DividedVX, DividedVY;
};

template <bool kWithD>
inline void AddAtNode(const NodeSums& sums, int32_t n, const ElemValues& values) {
  ++sums.Count[n];
  sums.VX[n] += values.VX;
  sums.VY[n] += values.VY;
  if constexpr (kWithD) {
    sums.WorkA[n] += values.DividedVX;
    sums.WorkB[n] += values.DividedVY;
  }
}

// Sums, in element order, the values of every active element at its distinct
// corners; kWithD adds the values divided by ElemD as well.
template <bool kWithD>
void AddElemValues(const NodeSums& sums, const ElemColumns& elems, const double* ElemVX,
                   const double* ElemVY, const double* ElemD, int32_t NUMEL) {
  for (int32_t e = 1; e <= NUMEL; ++e) {
    if (!elems.IsActive(e)) continue;
    ElemValues values{ElemVX[e], ElemVY[e], 0.0, 0.0};
    if constexpr (kWithD) {
      const double reciprocal = 1.0 / ElemD[e];
      values.DividedVX = values.VX * reciprocal;
      values.DividedVY = values.VY * reciprocal;
    }
    AddAtNode<kWithD>(sums, elems.Corner1[e], values);
    AddAtNode<kWithD>(sums, elems.Corner2[e], values);
    AddAtNode<kWithD>(sums, elems.Corner3[e], values);
    if (!elems.IsTriangle(e)) AddAtNode<kWithD>(sums, elems.Corner4[e], values);
  }
}

// Turns the sums into means. Without D the divided sums are zero and stay so.
void ScaleNodeSums(const NodeSums& sums, int32_t NUMNP, bool with_d) {
  for (int32_t n = 1; n <= NUMNP; ++n) {
    if (sums.Count[n] <= 0) continue;
    const double reciprocal = 1.0 / sums.Count[n];
    sums.VX[n] *= reciprocal;
    sums.VY[n] *= reciprocal;
    if (with_d) {
      sums.WorkA[n] *= reciprocal;
      sums.WorkB[n] *= reciprocal;
    }
  }
}

}  // namespace

int32_t CountActiveElems(const int32_t* ElemNodes, int32_t NUMEL, int32_t MaxDim) {
  const ElemColumns elems(ElemNodes, MaxDim);
  int32_t count = 0;
  for (int32_t e = 1; e <= NUMEL; ++e) count += elems.IsActive(e) ? 1 : 0;
  return count;
}

void AverageElemVelocities(int32_t* NodeElemCount, double* NodeVX, double* NodeVY,
                           double* NodeWorkA, double* NodeWorkB, const int32_t* ElemNodes,
                           const double* ElemVX, const double* ElemVY, const double* ElemD,
                           int32_t NUMNP, int32_t NUMEL, int32_t MaxDim, int32_t ProgramFlag) {
  const NodeSums sums{NodeElemCount, NodeVX, NodeVY, NodeWorkA, NodeWorkB};
  const ElemColumns elems(ElemNodes, MaxDim);
  const bool with_d = ProgramFlag == 1;
  ClearNodeSums(sums, NUMNP);
  if (with_d) {
    AddElemValues<true>(sums, elems, ElemVX, ElemVY, ElemD, NUMEL);
  } else {
    AddElemValues<false>(sums, elems, ElemVX, ElemVY, ElemD, NUMEL);
  }
  ScaleNodeSums(sums, NUMNP, with_d);
}
