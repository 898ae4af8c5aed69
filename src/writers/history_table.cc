#include "writers/history_table.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string_view>

#include "model/elem_columns.h"
#include "model/step_quantities.h"

namespace {

constexpr double kNone = std::numeric_limits<double>::quiet_NaN();

constexpr std::string_view KindName(PlaceKind kind) {
  switch (kind) {
    case PlaceKind::kNode:
      return "node";
    case PlaceKind::kElement:
      return "element";
    case PlaceKind::kPoint:
      break;
  }
  return "point";
}

// A comma, then the value's shortest text; only the comma for not-a-number.
void AppendCell(TextOutput& out, double value) {
  out.Append(',');
  if (std::isnan(value)) return;
  char* room = out.Reserve(32);
  out.Commit(std::to_chars(room, room + 32, value).ptr);
}

}  // namespace

std::vector<HistoryPlace> NodePlaces(const ModelStore& model, std::span<const int32_t> nodes) {
  std::vector<HistoryPlace> places;
  for (int32_t n : nodes)
    places.push_back({PlaceKind::kNode, n, model.NodeX[n], model.NodeY[n], {}});
  return places;
}

std::vector<HistoryPlace> ElemPlaces(const ModelStore& model, std::span<const int32_t> elems) {
  const ElemColumns columns(model);
  std::vector<HistoryPlace> places;
  for (int32_t e : elems) {
    const int32_t count = columns.IsTriangle(e) ? 3 : 4;
    const int32_t corners[4] = {columns.Corner1[e], columns.Corner2[e], columns.Corner3[e],
                                columns.Corner4[e]};
    double x = 0, y = 0;
    for (int32_t k = 0; k < count; ++k) x += model.NodeX[corners[k]], y += model.NodeY[corners[k]];
    places.push_back({PlaceKind::kElement, e, x / count, y / count, {}});
  }
  return places;
}

std::vector<HistoryPlace> PointPlaces(const ModelStore& model, std::span<const double> x,
                                      std::span<const double> y) {
  const std::vector<PointPick> picks = LocatePoints(model, x, y);
  std::vector<HistoryPlace> places;
  for (size_t k = 0; k < picks.size(); ++k)
    places.push_back({PlaceKind::kPoint, static_cast<int32_t>(k + 1), x[k], y[k], picks[k]});
  return places;
}

HistoryValues ValuesAt(const ModelStore& model, Simulator simulator, const HistoryPlace& place) {
  HistoryValues values{kNone, kNone, kNone, kNone, kNone, kNone};
  const bool korin = simulator == Simulator::kKorin;
  switch (place.kind) {
    case PlaceKind::kNode:
      values.total_head = TotalHead(model, simulator, place.id);
      if (korin) values.pressure_head = model.NodeHead[place.id];
      values.discharge = model.NodeFlow[place.id];
      break;
    case PlaceKind::kElement: {
      const PlaneVector v = ElemVelocity(model, simulator, place.id);
      values.velocity_x = v.x, values.velocity_y = v.y, values.velocity = Magnitude(v);
      break;
    }
    case PlaceKind::kPoint:
      if (place.IsOutsideMesh()) break;
      const double h = InterpolateHead(model, place.pick);
      values.total_head = korin ? KorinTotalHeadAt(place.y, h) : h;
      if (korin) values.pressure_head = h;
      break;
  }
  return values;
}

void WriteHistoryHeading(TextOutput& out) {
  out.Append(
      "step,time,kind,id,x,y,total_head,pressure_head,discharge,velocity_x,velocity_y,"
      "velocity");
  out.EndLine();
}

void WriteHistoryRow(TextOutput& out, const ModelStore& model, const HistoryPlace& place,
                     const HistoryValues& values) {
  char* room = out.Reserve(64);
  room = std::to_chars(room, room + 16, model.StepNo).ptr;
  out.Commit(room);
  AppendCell(out, model.StepTime);
  out.Append(',');
  out.Append(KindName(place.kind));
  out.Append(',');
  room = out.Reserve(16);
  out.Commit(std::to_chars(room, room + 16, place.id).ptr);
  for (double cell : {place.x, place.y, values.total_head, values.pressure_head, values.discharge,
                      values.velocity_x, values.velocity_y, values.velocity}) {
    AppendCell(out, cell);
  }
  out.EndLine();
}
