// Where a point of the model plane lies in the mesh, for linear
// interpolation of node values there.
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
// LocatePointPlainly tests every element in order. PointLocator finds the
// very same triangle through grids of element bounding boxes.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "model/model_store.h"

struct PointPick {
  std::array<int32_t, 3> nodes{};  // all 0 when the point lies in no triangle
  std::array<double, 3> weights{};
};

PointPick LocatePointPlainly(const ModelStore& model, double px, double py);

// h = (NodeHead(a) w1 + NodeHead(b) w2) + NodeHead(c) w3, summed in this
// order; 0 for a point in no triangle.
double InterpolateHead(const ModelStore& model, const PointPick& pick);

class PointLocator {
 public:
  // Indexes the mesh of `model`, which must outlive the locator and keep its
  // mesh unchanged.
  explicit PointLocator(const ModelStore& model);
  PointPick Locate(double px, double py) const;

 private:
  // One grid: cells of one size, each listing (in ascending order) the
  // elements whose padded bounding box meets it and spans at most 2 x 2
  // cells of this size.
  struct Level {
    double inverse_size = 0;  // 1 / cell size
    int32_t columns = 0, rows = 0;
    std::vector<int32_t> starts;  // cell c lists elems[starts[c]..starts[c+1])
    std::vector<int32_t> elems;
  };
  // Where an element goes: a level and its lowest cell there, spanning one or
  // two columns and rows; or the list of elements always tested; or nowhere
  // (no triangle of it can hold a point).
  struct ElemPlace {
    enum Kind : uint8_t { kNowhere, kAlways, kGrid } kind = kNowhere;
    uint8_t level = 0;
    bool two_columns = false, two_rows = false;
    int32_t column = 0, row = 0;
  };

  void IndexMesh();
  ElemPlace PlaceElem(int32_t e) const;
  void FillLevels(const std::vector<ElemPlace>& places);
  // The first element of `elems` (ascending) below `before` that holds P.
  int32_t FirstHolding(const int32_t* begin, const int32_t* end, int32_t before, double px,
                       double py, PointPick& pick) const;

  const ModelStore& model_;
  // Points outside [low, high] in x and y are searched plainly.
  double low_x_ = 0, low_y_ = 0, high_x_ = -1, high_y_ = -1;
  // The largest distance between such a point and an element.
  double farthest_ = 0;
  // The grids' common origin; cell size of level k is cell_size_ * 2^k.
  double origin_x_ = 0, origin_y_ = 0, cell_size_ = 0;
  std::vector<Level> levels_;
  // Elements tested for every point: those whose rounding the grids cannot
  // account for (slivers, non-finite corners).
  std::vector<int32_t> always_;
};
