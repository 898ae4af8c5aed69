// Node averages of element velocities, shared by the writers that need node
// values (TECPLOT, mkVIEW, MicroAVS), and the view of the element table those
// writers read: its five columns as separate pointers, active elements
// (attribute above 0) and their corners (3 for a triangle, 4 otherwise). Also
// the velocity magnitude those writers show.
#pragma once

#include <cmath>
#include <cstdint>

// Length of the vector (x, y) as sqrt(x*x + y*y); not hypot, whose result can
// differ in the last bit and so in the written digits.
inline double Magnitude(double x, double y) { return std::sqrt(x * x + y * y); }

// The column-major element table seen as five columns indexed by element
// number. A triangle stores its third corner again in column 4, or 0 there.
struct ElemColumns {
  ElemColumns(const int32_t* ElemNodes, int32_t MaxDim)
      : Corner1(ElemNodes),
        Corner2(ElemNodes + static_cast<int64_t>(MaxDim)),
        Corner3(ElemNodes + 2 * static_cast<int64_t>(MaxDim)),
        Corner4(ElemNodes + 3 * static_cast<int64_t>(MaxDim)),
        Attribute(ElemNodes + 4 * static_cast<int64_t>(MaxDim)) {}

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
int32_t CountActiveElems(const int32_t* ElemNodes, int32_t NUMEL, int32_t MaxDim);

// Clears the five work arrays for nodes 1..NUMNP, then gives each node the
// mean of ElemVX, ElemVY over the active elements at its distinct corners
// (NodeVX, NodeVY) and, for ProgramFlag 1, the mean of ElemVX/ElemD and
// ElemVY/ElemD (NodeWorkA, NodeWorkB); NodeElemCount holds the number of
// elements counted. Nodes of no active element keep zeros. Every corner of an
// active element must lie in 1..NUMNP and, for ProgramFlag 1, its ElemD must
// not be zero.
void AverageElemVelocities(int32_t* NodeElemCount, double* NodeVX, double* NodeVY,
                           double* NodeWorkA, double* NodeWorkB, const int32_t* ElemNodes,
                           const double* ElemVX, const double* ElemVY, const double* ElemD,
                           int32_t NUMNP, int32_t NUMEL, int32_t MaxDim, int32_t ProgramFlag);
