#include "writers/point_locator.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "model/elem_columns.h"

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// The signed area of the triangle (a, b, c), in the one spelling that the
// test and the pass over the elements share.
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

// Sets `pick` when a triangle of element e holds P.
bool ElemHolds(const ModelStore& m, const ElemColumns& elems, int32_t e, double px, double py,
               PointPick& pick) {
  const int32_t n1 = elems.Corner1[e], n3 = elems.Corner3[e];
  if (TriangleHolds(m, n1, elems.Corner2[e], n3, px, py, pick)) return true;
  return !elems.IsTriangle(e) && TriangleHolds(m, n1, n3, elems.Corner4[e], px, py, pick);
}

// Rounding and the pass over the elements.
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
// to the farthest point of the searched region (the left side minus the
// right is concave in d, so both ends suffice), no point of the region
// outside the padded box passes, and the element needs testing only against
// the points inside that box. (A clockwise triangle, A < 0, is bounded the
// same way.) Points outside the region are searched plainly.
constexpr double kRoundingBound = 1e-15;    // 3 roundings of 2^-53 each, with room to spare
constexpr double kUnderflowBound = 1e-300;  // far above the smallest subnormal steps
constexpr double kMarginRatio = 1e-9;       // box margin, relative to the box size
constexpr double kReachRatio = 1e4;  // reach of the region around the mesh, relative to its size
constexpr double kLargestExtent = 1e100;  // larger meshes are searched plainly

// `area` is the absolute area of a triangle whose bounding box has the size
// `size`.
bool RoundingCannotReach(double area, double size, double margin, double farthest) {
  auto slack = [&](double d) {
    return area * d - 3 * size * (kRoundingBound * (d + size) * (d + size) + kUnderflowBound);
  };
  return slack(margin) > 0 && slack(farthest) > 0;
}

struct Box {
  double x0 = kInfinity, y0 = kInfinity, x1 = -kInfinity, y1 = -kInfinity;

  void Add(double x, double y) {
    x0 = std::min(x0, x), x1 = std::max(x1, x);
    y0 = std::min(y0, y), y1 = std::max(y1, y);
  }
  void Widen(double by) { x0 -= by, x1 += by, y0 -= by, y1 += by; }
  double Size() const { return std::max(x1 - x0, y1 - y0); }
  bool Holds(double x, double y) const { return x >= x0 && x <= x1 && y >= y0 && y <= y1; }
  bool Meets(const Box& other) const {
    return x0 <= other.x1 && other.x0 <= x1 && y0 <= other.y1 && other.y0 <= y1;
  }
};

// Cell of a coordinate already scaled to cell units, within 0..count-1.
int32_t CellIndex(double scaled, int32_t count) {
  if (!(scaled > 0)) return 0;
  if (scaled >= count) return count - 1;
  return static_cast<int32_t>(scaled);
}

// One pass over the elements in order; each element is tested against the
// points not yet located that lie in its padded box, found through a grid of
// cells over the points (each cell lists its points in ascending order).
class PointSearch {
 public:
  PointSearch(const ModelStore& model, std::span<const double> px, std::span<const double> py)
      : model_(model), elems_(model), px_(px), py_(py), picks_(px.size()), located_(px.size()) {}

  std::vector<PointPick> Run() {
    if (!SetUpRegion()) {
      for (size_t k = 0; k < px_.size(); ++k)
        picks_[k] = LocatePointPlainly(model_, px_[k], py_[k]);
      return std::move(picks_);
    }
    SortIntoCells();
    for (int32_t e = 1; e <= model_.NUMEL && remaining_ > 0; ++e) VisitElem(e);
    return std::move(picks_);
  }

 private:
  // The region around the mesh; false when the mesh is flat or too large.
  bool SetUpRegion() {
    Box mesh;
    for (int32_t n = 1; n <= model_.NUMNP; ++n) {
      if (std::isfinite(model_.NodeX[n]) && std::isfinite(model_.NodeY[n])) {
        mesh.Add(model_.NodeX[n], model_.NodeY[n]);
      }
    }
    const double extent = mesh.Size();
    if (!(extent > 0 && extent <= kLargestExtent)) return false;
    region_ = mesh;
    region_.Widen(kReachRatio * extent);
    farthest_ = 1.001 * region_.Size();
    return true;
  }

  // Points of the region into cells; the others are located plainly now.
  void SortIntoCells() {
    for (size_t k = 0; k < px_.size(); ++k) {
      if (!region_.Holds(px_[k], py_[k])) {
        picks_[k] = LocatePointPlainly(model_, px_[k], py_[k]);
        continue;
      }
      near_.push_back(static_cast<int32_t>(k));
      points_box_.Add(px_[k], py_[k]);
    }
    remaining_ = near_.size();
    if (near_.empty()) return;
    const double width = points_box_.x1 - points_box_.x0, height = points_box_.y1 - points_box_.y0;
    const double count = static_cast<double>(near_.size());
    double size = std::max(std::sqrt(width * height / count), points_box_.Size() / (4 * count));
    inverse_size_ = size > 0 ? 1 / size : 1;
    columns_ = static_cast<int32_t>(width * inverse_size_) + 1;
    rows_ = static_cast<int32_t>(height * inverse_size_) + 1;
    starts_.assign(static_cast<size_t>(columns_) * rows_ + 1, 0);
    for (int32_t k : near_) ++starts_[CellOf(px_[k], py_[k]) + 1];
    for (size_t c = 1; c < starts_.size(); ++c) starts_[c] += starts_[c - 1];
    members_.resize(near_.size());
    std::vector<int32_t> next(starts_.begin(), starts_.end() - 1);
    for (int32_t k : near_) members_[next[CellOf(px_[k], py_[k])]++] = k;
  }

  int32_t Column(double x) const {
    return CellIndex((x - points_box_.x0) * inverse_size_, columns_);
  }
  int32_t Row(double y) const { return CellIndex((y - points_box_.y0) * inverse_size_, rows_); }
  size_t CellOf(double x, double y) const {
    return static_cast<size_t>(Row(y)) * columns_ + Column(x);
  }

  void VisitElem(int32_t e) {
    const int32_t n1 = elems_.Corner1[e], n2 = elems_.Corner2[e], n3 = elems_.Corner3[e];
    const int32_t n4 = elems_.IsTriangle(e) ? n3 : elems_.Corner4[e];
    const double areas[2] = {TriangleArea(model_, n1, n2, n3),
                             n4 != n3 ? TriangleArea(model_, n1, n3, n4) : 0};
    if (areas[0] == 0 && areas[1] == 0) return;  // holds no point
    Box box;
    for (int32_t n : {n1, n2, n3, n4}) box.Add(model_.NodeX[n], model_.NodeY[n]);
    const double size = box.Size(), margin = kMarginRatio * size;
    // A point beyond the rounded padded box lies at least margin / 4 outside
    // the box: margin / 2 when the rounding of a bound is below margin / 2,
    // or else a step of the coordinates' spacing, which is then even larger.
    // (The smaller triangle decides: the bound grows with the area.)
    const double a0 = std::abs(areas[0]), a1 = std::abs(areas[1]);
    const double smaller = a0 == 0 ? a1 : (a1 == 0 ? a0 : std::min(a0, a1));
    if (!std::isfinite(size) || !RoundingCannotReach(smaller, size, margin / 4, farthest_)) {
      for (int32_t k : near_) Test(e, k);
      return;
    }
    box.Widen(margin);
    if (!box.Meets(points_box_)) return;
    const int32_t c0 = Column(box.x0), c1 = Column(box.x1), r1 = Row(box.y1);
    for (int32_t r = Row(box.y0); r <= r1; ++r) {
      const int32_t* cell_starts = &starts_[static_cast<size_t>(r) * columns_];
      for (int32_t m = cell_starts[c0]; m < cell_starts[c1 + 1]; ++m) {
        const int32_t k = members_[m];
        if (box.Holds(px_[k], py_[k])) Test(e, k);
      }
    }
  }

  void Test(int32_t e, int32_t k) {
    if (located_[k] || !ElemHolds(model_, elems_, e, px_[k], py_[k], picks_[k])) return;
    located_[k] = 1;
    --remaining_;
  }

  const ModelStore& model_;
  const ElemColumns elems_;
  std::span<const double> px_, py_;
  std::vector<PointPick> picks_;
  std::vector<char> located_;
  Box region_;                 // points outside it are searched plainly
  double farthest_ = 0;        // the largest distance between two places of the region
  std::vector<int32_t> near_;  // the points of the region, ascending
  size_t remaining_ = 0;       // of those, the points not yet located
  Box points_box_;
  double inverse_size_ = 1;  // of a cell
  int32_t columns_ = 0, rows_ = 0;
  std::vector<int32_t> starts_;  // cell c lists members_[starts_[c]..starts_[c + 1])
  std::vector<int32_t> members_;
};

}  // namespace

PointPick LocatePointPlainly(const ModelStore& model, double px, double py) {
  const ElemColumns elems(model);
  PointPick pick;
  for (int32_t e = 1; e <= model.NUMEL; ++e) {
    if (ElemHolds(model, elems, e, px, py, pick)) return pick;
  }
  return {};
}

std::vector<PointPick> LocatePoints(const ModelStore& model, std::span<const double> px,
                                    std::span<const double> py) {
  return PointSearch(model, px, py).Run();
}

double InterpolateHead(const ModelStore& model, const PointPick& pick) {
  if (pick.nodes[0] == 0) return 0;
  const double* head = model.NodeHead;
  const auto& [a, b, c] = pick.nodes;
  const auto& [w1, w2, w3] = pick.weights;
  return (head[a] * w1 + head[b] * w2) + head[c] * w3;
}
