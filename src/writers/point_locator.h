// Where points of the model plane lie in the mesh, for linear interpolation
// of node values there.
//
// Each element is split into the triangles (n1, n2, n3) and, when n4 differs
// from n3 and is not 0, (n1, n3, n4); the element attribute plays no part.
// A triangle (a, b, c) holds the point P when the signed areas Sa of (P, b,
// c), Sb of (P, c, a) and Sc of (P, a, b) are all >= 0, so edges and corners
// count as inside and only counter-clockwise triangles hold points; a
// triangle whose area A is 0 holds none. The first holding triangle, in
// element order, gives the nodes (a, b, c) and the weights (Sa/A, Sb/A,
// Sc/A), each a product with r = 1/A. A point that no triangle holds keeps
// zeros.
//
// LocatePointPlainly tests every element in order for one point.
// LocatePoints finds the very same triangles for many points in one pass
// over the elements, testing each element only against the points near it.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "model/model_store.h"

struct PointPick {
  std::array<int32_t, 3> nodes{};  // all 0 when the point lies in no triangle
  std::array<double, 3> weights{};
};

PointPick LocatePointPlainly(const ModelStore& model, double px, double py);

// The pick of each point (px[k], py[k]), as LocatePointPlainly gives it.
std::vector<PointPick> LocatePoints(const ModelStore& model, std::span<const double> px,
                                    std::span<const double> py);

// h = (NodeHead(a) w1 + NodeHead(b) w2) + NodeHead(c) w3, summed in this
// order; 0 for a point in no triangle.
double InterpolateHead(const ModelStore& model, const PointPick& pick);
