// The map of one step: every element filled with the colour of its values,
// node values interpolated linearly over the triangles of each element, with
// a colour bar, the title above and the step below.
#include <plplot/plplot.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "charts/charts.h"
#include "charts/plot_page.h"
#include "common/run_error.h"
#include "model/elem_columns.h"

namespace {

// The picture is kWidth pixels wide; its height follows the mesh's shape.
constexpr int kWidth = 1000, kLeastHeight = 400, kMostHeight = 1100;
constexpr double kMapLeft = 0.08, kMapRight = 0.80;  // of the width
constexpr int kMarginTop = 80, kMarginBottom = 120;  // pixels around the map
// A triangle wider than this many pixels is drawn as smaller triangles, each
// coloured at its centre, so that colours change smoothly across it.
constexpr double kFlatPixels = 3;
constexpr int kMostDivisions = 64;

struct Extent {
  double x0 = INFINITY, x1 = -INFINITY, y0 = INFINITY, y1 = -INFINITY;
};

// The extent of the nodes with finite coordinates (a flat one widened);
// throws RunError naming `image` when its size is too large for a number.
Extent MeshExtent(const ModelStore& m, const TextOutput& image) {
  Extent extent;
  for (int32_t n = 1; n <= m.NUMNP; ++n) {
    if (!std::isfinite(m.NodeX[n]) || !std::isfinite(m.NodeY[n])) continue;
    extent.x0 = std::min(extent.x0, m.NodeX[n]), extent.x1 = std::max(extent.x1, m.NodeX[n]);
    extent.y0 = std::min(extent.y0, m.NodeY[n]), extent.y1 = std::max(extent.y1, m.NodeY[n]);
  }
  if (!(extent.x0 < extent.x1))
    extent.x0 = (extent.x0 <= extent.x1 ? extent.x0 : 0) - 1, extent.x1 = extent.x0 + 2;
  if (!(extent.y0 < extent.y1))
    extent.y0 = (extent.y0 <= extent.y1 ? extent.y0 : 0) - 1, extent.y1 = extent.y0 + 2;
  if (!std::isfinite(extent.x1 - extent.x0) || !std::isfinite(extent.y1 - extent.y0)) {
    throw ErrorAbout(image.name(), "the mesh's coordinates span more than a picture can show");
  }
  return extent;
}

struct ElemCorners {
  int32_t n[4];
  int count;  // 3 for a triangle
};

class MapPainter {
 public:
  explicit MapPainter(const MeshMap& map) : map_(map), m_(*map.model), elems_(m_) { FindRange(); }

  double low() const { return low_; }
  double high() const { return high_; }

  // `pixels` is the size of one unit of the plane in pixels.
  void Paint(double pixels) {
    pixels_ = pixels;
    for (int32_t e = 1; e <= m_.NUMEL; ++e) PaintElem(e);
    if (map_.edges) DrawEdges();
  }

 private:
  // The colour range: the finite values of the active elements (of their
  // nodes, for node values).
  void FindRange() {
    double low = INFINITY, high = -INFINITY;
    auto add = [&](double v) {
      if (std::isfinite(v)) low = std::min(low, v), high = std::max(high, v);
    };
    for (int32_t e = 1; e <= m_.NUMEL; ++e) {
      if (!elems_.IsActive(e)) continue;
      if (map_.per_element) {
        add(map_.values[e]);
        continue;
      }
      const ElemCorners corners = Corners(e);
      for (int k = 0; k < corners.count; ++k) add(map_.values[corners.n[k]]);
    }
    if (!(low <= high)) low = 0, high = 1;
    low_ = low, high_ = high;
  }

  ElemCorners Corners(int32_t e) const {
    return {{elems_.Corner1[e], elems_.Corner2[e], elems_.Corner3[e], elems_.Corner4[e]},
            elems_.IsTriangle(e) ? 3 : 4};
  }

  // Corners with coordinates that are not finite leave an element out.
  bool IsDrawable(const ElemCorners& corners) const {
    for (int k = 0; k < corners.count; ++k) {
      if (!std::isfinite(m_.NodeX[corners.n[k]] + m_.NodeY[corners.n[k]])) return false;
    }
    return true;
  }

  void SetColour(double value) {
    if (!std::isfinite(value)) return plcol0(kInactive);
    const double share = high_ > low_ ? (value - low_) / (high_ - low_) : 0.5;
    plcol1(std::clamp(share, 0.0, 1.0));
  }

  void FillCorners(const ElemCorners& corners) {
    PLFLT x[4], y[4];
    for (int k = 0; k < corners.count; ++k)
      x[k] = m_.NodeX[corners.n[k]], y[k] = m_.NodeY[corners.n[k]];
    plfill(corners.count, x, y);
  }

  void PaintElem(int32_t e) {
    const ElemCorners corners = Corners(e);
    if (!IsDrawable(corners)) return;
    if (!elems_.IsActive(e) || map_.per_element) {
      if (elems_.IsActive(e)) {
        SetColour(map_.values[e]);
      } else {
        plcol0(kInactive);
      }
      return FillCorners(corners);
    }
    if (SizeInPixels(corners) <= kFlatPixels) {
      // Too small to show a change of colour: one fill, at the mean value.
      double sum = 0;
      for (int k = 0; k < corners.count; ++k) sum += map_.values[corners.n[k]];
      SetColour(sum / corners.count);
      return FillCorners(corners);
    }
    PaintTriangle(corners.n[0], corners.n[1], corners.n[2]);
    if (corners.count == 4) PaintTriangle(corners.n[0], corners.n[2], corners.n[3]);
  }

  double SizeInPixels(const ElemCorners& corners) const {
    double x0 = INFINITY, x1 = -INFINITY, y0 = INFINITY, y1 = -INFINITY;
    for (int k = 0; k < corners.count; ++k) {
      const double x = m_.NodeX[corners.n[k]], y = m_.NodeY[corners.n[k]];
      x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
    }
    return std::max(x1 - x0, y1 - y0) * pixels_;
  }

  void PaintTriangle(int32_t a, int32_t b, int32_t c) {
    const PLFLT x[3] = {m_.NodeX[a], m_.NodeX[b], m_.NodeX[c]};
    const PLFLT y[3] = {m_.NodeY[a], m_.NodeY[b], m_.NodeY[c]};
    const double v[3] = {map_.values[a], map_.values[b], map_.values[c]};
    const double width = std::max({x[0], x[1], x[2]}) - std::min({x[0], x[1], x[2]});
    const double height = std::max({y[0], y[1], y[2]}) - std::min({y[0], y[1], y[2]});
    const double size = std::max(width, height) * pixels_;
    // The flat triangle also fills the hairline cracks where neighbours
    // divide a shared edge differently.
    SetColour((v[0] + v[1] + v[2]) / 3);
    plfill(3, x, y);
    if (!(size > kFlatPixels) || !std::isfinite(v[0] + v[1] + v[2])) return;
    const int k = static_cast<int>(std::min<double>(std::ceil(size / kFlatPixels), kMostDivisions));
    // The point (i, j) of the subdivision: a + i/k (b - a) + j/k (c - a).
    auto at = [&](const double* p, int i, int j) {
      return p[0] + (p[1] - p[0]) * i / k + (p[2] - p[0]) * j / k;
    };
    auto fill = [&](int i0, int j0, int i1, int j1, int i2, int j2) {
      const PLFLT sx[3] = {at(x, i0, j0), at(x, i1, j1), at(x, i2, j2)};
      const PLFLT sy[3] = {at(y, i0, j0), at(y, i1, j1), at(y, i2, j2)};
      SetColour((at(v, i0, j0) + at(v, i1, j1) + at(v, i2, j2)) / 3);
      plfill(3, sx, sy);
    };
    for (int i = 0; i < k; ++i) {
      for (int j = 0; i + j < k; ++j) {
        fill(i, j, i + 1, j, i, j + 1);
        if (i + j + 1 < k) fill(i + 1, j, i + 1, j + 1, i, j + 1);
      }
    }
  }

  void DrawEdges() {
    plcol0(kEdge);  // one pixel wide: thinner unsmoothed lines break up
    for (int32_t e = 1; e <= m_.NUMEL; ++e) {
      const ElemCorners corners = Corners(e);
      if (!IsDrawable(corners)) continue;
      PLFLT x[5], y[5];
      for (int k = 0; k <= corners.count; ++k) {
        const int32_t n = corners.n[k % corners.count];
        x[k] = m_.NodeX[n], y[k] = m_.NodeY[n];
      }
      plline(corners.count + 1, x, y);
    }
  }

  const MeshMap& map_;
  const ModelStore& m_;
  const ElemColumns elems_;
  double low_ = 0, high_ = 1;
  double pixels_ = 1;
};

void DrawColourBar(const MeshMap& map, double low, double high) {
  const char* labels[] = {map.quantity.c_str()};
  PLINT label_options[] = {PL_COLORBAR_LABEL_TOP};
  const char* axis_options[] = {"bcvtm"};
  PLFLT ticks[] = {0};
  PLINT sub_ticks[] = {0};
  PLINT value_counts[] = {2};
  const PLFLT range[] = {low, high};
  const PLFLT* values[] = {range};
  PLFLT width = 0, height = 0;
  plcolorbar(&width, &height, PL_COLORBAR_GRADIENT, PL_POSITION_RIGHT | PL_POSITION_OUTSIDE, 0.04,
             0, 0.04, 0.8, kBackground, kInk, 0, 0, 0, 0, 0, 1, label_options, labels, 1,
             axis_options, ticks, sub_ticks, value_counts, values);
}

}  // namespace

void DrawMeshMap(const MeshMap& map, TextOutput& image) {
  const Extent extent = MeshExtent(*map.model, image);
  const double shape = (extent.y1 - extent.y0) / (extent.x1 - extent.x0);
  const double map_height = (kMapRight - kMapLeft) * kWidth * shape;
  const int height = static_cast<int>(std::clamp(map_height + kMarginTop + kMarginBottom,
                                                 double{kLeastHeight}, double{kMostHeight}));
  PlotPage page(image, kWidth, height, false);
  plschr(0, 0.7);
  plsyax(12, 0);  // the colour bar's labels as plain numbers
  plvpas(kMapLeft, kMapRight, double{kMarginBottom} / height, 1 - double{kMarginTop} / height,
         shape);
  plwind(extent.x0, extent.x1, extent.y0, extent.y1);
  PLFLT left, right, bottom, top;
  plgvpd(&left, &right, &bottom, &top);
  MapPainter painter(map);
  painter.Paint((right - left) * kWidth / (extent.x1 - extent.x0));
  plcol0(kInk);
  plbox("bcnst", 0, 0, "bcnstv", 0, 0);
  plmtex("b", 3.0, 0.5, 0.5, "x");
  plmtex("l", 5.0, 0.5, 0.5, "y");
  plschr(0, 0.9);
  plmtex("t", 1.6, 0.5, 0.5, map.title.c_str());
  plschr(0, 0.7);
  plmtex("b", 5.0, 0.5, 0.5, map.caption.c_str());
  DrawColourBar(map, painter.low(), painter.high());
  page.Finish();
}
