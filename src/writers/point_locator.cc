#include "writers/point_locator.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "model/elem_columns.h"

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// The signed area of the triangle (a, b, c), in the one spelling that both
// the search and the indexing use.
double TriangleArea(const ModelStore& m, int32_t a, int32_t b, int32_t c) {
  const double xa = m.NodeX[a], ya = m.NodeY[a];
  const double xb = m.NodeX[b], yb = m.NodeY[b];
  const double xc = m.NodeX[c], yc = m.NodeY[c];
  return 0.5 * ((xb - xa) * (yc - ya) - (xc - xa) * (yb - ya));
}

bool TriangleHolds(const ModelStore& m, int32_t a, int32_t b, int32_t c, double px, double py,
                   PointPick& pick) {
  const double xa = m.NodeX[a], ya = m.NodeY[a];
  const double xb = m.NodeX[b], yb = m.NodeY[b];
  const double xc = m.NodeX[c], yc = m.NodeY[c];
  const double Sa = 0.5 * ((xb - px) * (yc - py) - (xc - px) * (yb - py));
  if (!(Sa >= 0)) return false;
  const double Sb = 0.5 * ((xc - px) * (ya - py) - (xa - px) * (yc - py));
  if (!(Sb >= 0)) return false;
  const double Sc = 0.5 * ((xa - px) * (yb - py) - (xb - px) * (ya - py));
  if (!(Sc >= 0)) return false;
  const double A = TriangleArea(m, a, b, c);
  if (A == 0) return false;  // a degenerate triangle holds no point
  const double r = 1 / A;
  pick = {{a, b, c}, {Sa * r, Sb * r, Sc * r}};
  return true;
}

bool HasSecondTriangle(int32_t n3, int32_t n4) { return n4 != n3 && n4 != 0; }

// Sets `pick` when a triangle of element e holds P.
bool ElemHolds(const ModelStore& m, const ElemColumns& elems, int32_t e, double px, double py,
               PointPick& pick) {
  const int32_t n1 = elems.Corner1[e], n3 = elems.Corner3[e], n4 = elems.Corner4[e];
  if (TriangleHolds(m, n1, elems.Corner2[e], n3, px, py, pick)) return true;
  return HasSecondTriangle(n3, n4) && TriangleHolds(m, n1, n3, n4, px, py, pick);
}

// Rounding and the grids.
//
// The signed areas are computed from differences and products, each rounded
// once, so a computed area differs from the exact one by at most
// kRoundingBound x (|product 1| + |product 2|) + 2 kUnderflowBound. When the
// test holds, every exact area is therefore at least -E, with
// E = 2 (kRoundingBound R^2 + kUnderflowBound) and R the largest distance
// (in x or y) from P to a corner. For a point at distance d (in x or y)
// outside the bounding box of a triangle of area A and box size s, the
// barycentric weights (exact areas over A) that are negative add up to at
// least d / s, while the test holding bounds them by 3E / (2|A|). So the test
// can hold only when |A| d <= 3 s (kRoundingBound (d + s)^2 +
// kUnderflowBound). Where the reverse holds for every d from the box margin
// to the farthest point searched through the grids (the left side minus the
// right is concave in d, so both ends suffice), no point outside the padded
// box passes, and the element may be found through the cells its padded box
// meets. (A clockwise triangle, A < 0, is bounded the same way.)
constexpr double kRoundingBound = 1e-15;    // 3 roundings of 2^-53 each, with room to spare
constexpr double kUnderflowBound = 1e-300;  // far above the smallest subnormal steps
constexpr double kMarginRatio = 1e-9;       // box margin, relative to the box size
constexpr double kReachRatio = 1e4;         // grid search reach, relative to the mesh size
constexpr double kLargestExtent = 1e100;    // larger meshes are searched plainly

bool RoundingCannotReach(double area, double size, double margin, double farthest) {
  auto slack = [&](double d) {
    return std::abs(area) * d -
           3 * size * (kRoundingBound * (d + size) * (d + size) + kUnderflowBound);
  };
  return slack(margin) > 0 && slack(farthest) > 0;
}

// Cell of a coordinate already scaled to cell units, within 0..count-1.
int32_t CellIndex(double scaled, int32_t count) {
  if (!(scaled > 0)) return 0;
  if (scaled >= count) return count - 1;
  return static_cast<int32_t>(scaled);
}

}  // namespace

PointPick LocatePointPlainly(const ModelStore& model, double px, double py) {
  const ElemColumns elems(model);
  PointPick pick;
  for (int32_t e = 1; e <= model.NUMEL; ++e) {
    if (ElemHolds(model, elems, e, px, py, pick)) return pick;
  }
  return {};
}

double InterpolateHead(const ModelStore& model, const PointPick& pick) {
  if (pick.nodes[0] == 0) return 0;
  const double* head = model.NodeHead;
  const auto& [a, b, c] = pick.nodes;
  const auto& [w1, w2, w3] = pick.weights;
  return (head[a] * w1 + head[b] * w2) + head[c] * w3;
}

PointLocator::PointLocator(const ModelStore& model) : model_(model) { IndexMesh(); }

void PointLocator::IndexMesh() {
  double x0 = kInfinity, x1 = -kInfinity, y0 = kInfinity, y1 = -kInfinity;
  for (int32_t n = 1; n <= model_.NUMNP; ++n) {
    const double x = model_.NodeX[n], y = model_.NodeY[n];
    if (!std::isfinite(x) || !std::isfinite(y)) continue;
    x0 = std::min(x0, x), x1 = std::max(x1, x);
    y0 = std::min(y0, y), y1 = std::max(y1, y);
  }
  const double extent = std::max(x1 - x0, y1 - y0);
  if (model_.NUMEL <= 0 || !(extent > 0 && extent <= kLargestExtent)) return;  // all plain

  const double reach = kReachRatio * extent;
  low_x_ = x0 - reach, high_x_ = x1 + reach, low_y_ = y0 - reach, high_y_ = y1 + reach;
  farthest_ = 1.001 * (2 * reach + extent);
  origin_x_ = x0, origin_y_ = y0;
  // Level 0 has about one cell per element.
  const double elem_count = model_.NUMEL;
  cell_size_ = std::max(std::sqrt((x1 - x0) * (y1 - y0) / elem_count), extent / (4 * elem_count));
  for (int k = 0;; ++k) {
    const double size = std::ldexp(cell_size_, k);
    Level level;
    level.inverse_size = 1 / size;
    level.columns = static_cast<int32_t>((x1 - x0) * level.inverse_size) + 1;
    level.rows = static_cast<int32_t>((y1 - y0) * level.inverse_size) + 1;
    levels_.push_back(std::move(level));
    if (size >= extent) break;
  }
  std::vector<ElemPlace> places(static_cast<size_t>(model_.NUMEL) + 1);
  for (int32_t e = 1; e <= model_.NUMEL; ++e) places[e] = PlaceElem(e);
  FillLevels(places);
}

PointLocator::ElemPlace PointLocator::PlaceElem(int32_t e) const {
  const ElemColumns elems(model_);
  const int32_t n1 = elems.Corner1[e], n2 = elems.Corner2[e], n3 = elems.Corner3[e],
                n4 = elems.Corner4[e];
  const bool two = HasSecondTriangle(n3, n4);
  const double areas[2] = {TriangleArea(model_, n1, n2, n3),
                           two ? TriangleArea(model_, n1, n3, n4) : 0};
  ElemPlace place;
  if (areas[0] == 0 && areas[1] == 0) return place;  // holds no point
  place.kind = ElemPlace::kAlways;
  double bx0 = kInfinity, bx1 = -kInfinity, by0 = kInfinity, by1 = -kInfinity;
  for (int32_t n : {n1, n2, n3, two ? n4 : n3}) {
    const double x = model_.NodeX[n], y = model_.NodeY[n];
    if (!std::isfinite(x) || !std::isfinite(y)) return place;
    bx0 = std::min(bx0, x), bx1 = std::max(bx1, x);
    by0 = std::min(by0, y), by1 = std::max(by1, y);
  }
  const double size = std::max(bx1 - bx0, by1 - by0);
  const double margin = kMarginRatio * size;
  for (double area : areas) {
    if (area != 0 && !RoundingCannotReach(area, size, margin, farthest_)) return place;
  }
  // The padded box, rounded outwards.
  bx0 = std::nextafter(bx0 - margin, -kInfinity), bx1 = std::nextafter(bx1 + margin, kInfinity);
  by0 = std::nextafter(by0 - margin, -kInfinity), by1 = std::nextafter(by1 + margin, kInfinity);
  for (size_t k = 0; k < levels_.size(); ++k) {
    const Level& level = levels_[k];
    const int32_t c0 = CellIndex((bx0 - origin_x_) * level.inverse_size, level.columns);
    const int32_t c1 = CellIndex((bx1 - origin_x_) * level.inverse_size, level.columns);
    const int32_t r0 = CellIndex((by0 - origin_y_) * level.inverse_size, level.rows);
    const int32_t r1 = CellIndex((by1 - origin_y_) * level.inverse_size, level.rows);
    if (c1 - c0 > 1 || r1 - r0 > 1) continue;
    place.kind = ElemPlace::kGrid;
    place.level = static_cast<uint8_t>(k);
    place.column = c0, place.row = r0;
    place.two_columns = c1 > c0, place.two_rows = r1 > r0;
    return place;
  }
  throw std::logic_error("the top grid level has more than 2 x 2 cells");
}

void PointLocator::FillLevels(const std::vector<ElemPlace>& places) {
  for (Level& level : levels_) {
    level.starts.assign(static_cast<size_t>(level.columns) * level.rows + 1, 0);
  }
  // Calls `visit(level, cell)` for every cell that element e meets.
  auto for_each_cell = [&](int32_t e, auto visit) {
    const ElemPlace& p = places[e];
    Level& level = levels_[p.level];
    for (int32_t r = p.row; r <= p.row + p.two_rows; ++r) {
      for (int32_t c = p.column; c <= p.column + p.two_columns; ++c) {
        visit(level, static_cast<size_t>(r) * level.columns + c);
      }
    }
  };
  for (int32_t e = 1; e <= model_.NUMEL; ++e) {
    if (places[e].kind == ElemPlace::kAlways) always_.push_back(e);
    if (places[e].kind != ElemPlace::kGrid) continue;
    for_each_cell(e, [](Level& level, size_t cell) { ++level.starts[cell + 1]; });
  }
  std::vector<std::vector<int32_t>> next(levels_.size());
  for (size_t k = 0; k < levels_.size(); ++k) {
    std::vector<int32_t>& starts = levels_[k].starts;
    for (size_t c = 1; c < starts.size(); ++c) starts[c] += starts[c - 1];
    levels_[k].elems.resize(starts.back());
    next[k].assign(starts.begin(), starts.end() - 1);
  }
  for (int32_t e = 1; e <= model_.NUMEL; ++e) {
    if (places[e].kind != ElemPlace::kGrid) continue;
    std::vector<int32_t>& cursor = next[places[e].level];
    for_each_cell(e, [&](Level& level, size_t cell) { level.elems[cursor[cell]++] = e; });
  }
}

int32_t PointLocator::FirstHolding(const int32_t* begin, const int32_t* end, int32_t before,
                                   double px, double py, PointPick& pick) const {
  const ElemColumns elems(model_);
  for (const int32_t* e = begin; e != end && *e < before; ++e) {
    if (ElemHolds(model_, elems, *e, px, py, pick)) return *e;
  }
  return before;
}

PointPick PointLocator::Locate(double px, double py) const {
  if (!(px >= low_x_ && px <= high_x_ && py >= low_y_ && py <= high_y_)) {
    return LocatePointPlainly(model_, px, py);
  }
  constexpr int32_t kNone = std::numeric_limits<int32_t>::max();
  int32_t best = kNone;
  PointPick pick;
  for (const Level& level : levels_) {
    const size_t cell =
        static_cast<size_t>(CellIndex((py - origin_y_) * level.inverse_size, level.rows)) *
            level.columns +
        CellIndex((px - origin_x_) * level.inverse_size, level.columns);
    const int32_t* elems = level.elems.data();
    best = FirstHolding(elems + level.starts[cell], elems + level.starts[cell + 1], best, px, py,
                        pick);
  }
  best = FirstHolding(always_.data(), always_.data() + always_.size(), best, px, py, pick);
  return best == kNone ? PointPick{} : pick;
}
