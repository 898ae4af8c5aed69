// The tidy table of `rxpost history`: one CSV row per step and place, under
// one heading line, for nodes, elements and points of the plane:
//
//   step,time,kind,id,x,y,total_head,pressure_head,discharge,velocity_x,velocity_y,velocity
//
// step is the step's own number, kind is node, element or point, id the node
// or element number or the point's number (counted from 1 in the order
// given), x and y the node, the element's centre or the point. A cell that
// does not apply to the place stays empty: pressure head is RX-KORIN's only,
// discharge is the nodes', the velocity the elements' (RX-DELM: the layer
// flow times the reciprocal of D), and a point outside the mesh has no heads.
// Numbers are the shortest text that reads back as the same double.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "common/text_output.h"
#include "model/model_store.h"
#include "model/simulator.h"
#include "writers/point_locator.h"

enum class PlaceKind { kNode, kElement, kPoint };

struct HistoryPlace {
  PlaceKind kind;
  int32_t id;
  double x, y;
  PointPick pick;  // points only: the triangle holding it (nodes all 0 outside the mesh)

  bool IsOutsideMesh() const { return kind == PlaceKind::kPoint && pick.nodes[0] == 0; }
};

// Places for nodes and elements (numbers within the model) and for points,
// which are located as the INTERP kind locates them.
std::vector<HistoryPlace> NodePlaces(const ModelStore& model, std::span<const int32_t> nodes);
std::vector<HistoryPlace> ElemPlaces(const ModelStore& model, std::span<const int32_t> elems);
std::vector<HistoryPlace> PointPlaces(const ModelStore& model, std::span<const double> x,
                                      std::span<const double> y);

// The values of one place in the current step; not-a-number where a value
// does not apply.
struct HistoryValues {
  double total_head, pressure_head, discharge, velocity_x, velocity_y, velocity;
};

HistoryValues ValuesAt(const ModelStore& model, Simulator simulator, const HistoryPlace& place);

void WriteHistoryHeading(TextOutput& out);
// One row for `place` in the current step of `model`.
void WriteHistoryRow(TextOutput& out, const ModelStore& model, const HistoryPlace& place,
                     const HistoryValues& values);
