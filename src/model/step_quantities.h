// What the stored values of the current step mean, named once for both
// simulators. RX-KORIN stores the pressure head at each node (the node's y is
// its elevation) and each element's velocity; RX-DELM stores the total head
// and, per element, the flow on its layer: velocity times the element's D.
//
// Output bytes depend on the exact arithmetic, so each form is written here
// once: a velocity from a layer flow is the flow times the reciprocal of D
// (RX-DELM's outputs and averages), except where a format divides by D (the
// time-history tables, FEMAP's velocity parts).
#pragma once

#include <cmath>
#include <cstdint>

#include "model/model_store.h"
#include "model/simulator.h"

struct PlaneVector {
  double x, y;
};

// RX-KORIN's total head: the stored pressure head plus the elevation.
inline double KorinTotalHead(const ModelStore& m, int32_t n) { return m.NodeHead[n] + m.NodeY[n]; }

// RX-KORIN's total head at a point of elevation `y` whose pressure head is
// `pressure_head` (an interpolated one, say).
inline double KorinTotalHeadAt(double y, double pressure_head) { return y + pressure_head; }

// RX-KORIN's restart head: the pressure head plus `elevation_share` times the
// elevation (the head style as a real: 0 pressure head, 1 total head).
inline double KorinRestartHead(const ModelStore& m, int32_t n, double elevation_share) {
  return m.NodeHead[n] + elevation_share * m.NodeY[n];
}

inline double TotalHead(const ModelStore& m, Simulator simulator, int32_t n) {
  return simulator == Simulator::kKorin ? KorinTotalHead(m, n) : m.NodeHead[n];
}

// The reciprocal of the element's D, by which RX-DELM's layer flows are multiplied.
inline double ReciprocalD(const ModelStore& m, int32_t e) { return 1.0 / m.ElemD[e]; }

// The stored element values: RX-KORIN's velocity, RX-DELM's layer flow.
inline PlaneVector StoredElemVector(const ModelStore& m, int32_t e) {
  return {m.ElemVX[e], m.ElemVY[e]};
}

// RX-DELM's velocity: the layer flow times the reciprocal of D.
inline PlaneVector DelmElemVelocity(const ModelStore& m, int32_t e) {
  const double reciprocal = ReciprocalD(m, e);
  return {m.ElemVX[e] * reciprocal, m.ElemVY[e] * reciprocal};
}

// RX-DELM's speed as the element lines give it: the layer flow's magnitude
// times the reciprocal of D.
inline double DelmElemSpeed(const ModelStore& m, int32_t e);

inline PlaneVector ElemVelocity(const ModelStore& m, Simulator simulator, int32_t e) {
  return simulator == Simulator::kDelm ? DelmElemVelocity(m, e) : StoredElemVector(m, e);
}

// RX-DELM's velocity where a format divides the layer flow by D.
inline PlaneVector DelmElemVelocityQuotient(const ModelStore& m, int32_t e) {
  return {m.ElemVX[e] / m.ElemD[e], m.ElemVY[e] / m.ElemD[e]};
}

// Length of the vector (x, y) as sqrt(x*x + y*y); not hypot, whose result can
// differ in the last bit and so in the written digits.
inline double Magnitude(double x, double y) { return std::sqrt(x * x + y * y); }
inline double Magnitude(PlaneVector v) { return Magnitude(v.x, v.y); }

inline double DelmElemSpeed(const ModelStore& m, int32_t e) {
  return Magnitude(StoredElemVector(m, e)) * ReciprocalD(m, e);
}
