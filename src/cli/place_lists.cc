#include "cli/place_lists.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "common/notes.h"
#include "common/run_error.h"
#include "writers/pickup_file.h"

namespace {

template <typename Number>
bool ReadWhole(std::string_view text, Number& value) {
  const char* end = text.data() + text.size();
  auto [stop, error] = std::from_chars(text.data(), end, value);
  return error == std::errc() && stop == end && !text.empty();
}

int32_t NumberOf(const std::string& item, const char* option) {
  int32_t number = 0;
  if (!ReadWhole(item, number) || number <= 0) {
    throw ErrorAbout(option, "'" + EscapedText(item) + "' is not a number above 0");
  }
  return number;
}

struct PlanePoint {
  double x, y;
};

PlanePoint PointOf(const std::string& item) {
  const size_t comma = item.find(',');
  PlanePoint point{};
  if (comma == std::string::npos || !ReadWhole(std::string_view(item).substr(0, comma), point.x) ||
      !ReadWhole(std::string_view(item).substr(comma + 1), point.y)) {
    throw ErrorAbout("--point", "'" + EscapedText(item) + "' is not a point X,Y such as 12.5,3");
  }
  return point;
}

std::vector<int32_t> NumbersOf(const std::vector<std::string>& items, const char* option,
                               const char* what, int32_t count) {
  std::vector<int32_t> numbers;
  for (const std::string& item : items) {
    const int32_t number = NumberOf(item, option);
    if (number > count) {
      throw ErrorAbout(option, std::string(what) + " " + item + " is not in the model, whose " +
                                   what + "s are numbered 1 to " + std::to_string(count));
    }
    numbers.push_back(number);
  }
  return numbers;
}

void AddNew(std::vector<int32_t>& list, const std::vector<int32_t>& from, int32_t count) {
  for (int32_t k = 0; k < count; ++k) {
    if (std::find(list.begin(), list.end(), from[k]) == list.end()) list.push_back(from[k]);
  }
}

void NoteOutsidePoints(const std::vector<HistoryPlace>& places) {
  for (const HistoryPlace& place : places) {
    if (!place.IsOutsideMesh()) continue;
    char text[160];
    std::snprintf(text, sizeof text,
                  "point %d (%g, %g) lies in no element of the mesh; its heads are left empty",
                  place.id, place.x, place.y);
    WriteNote(text);
  }
}

}  // namespace

void CheckPlaceRequest(const PlaceRequest& request) {
  if (request.nodes.empty() && request.elements.empty() && request.points.empty() &&
      request.pickup_path.empty()) {
    throw RunError("history: name the places to follow: --node, --element, --point or --pickup");
  }
  for (const std::string& item : request.nodes) NumberOf(item, "--node");
  for (const std::string& item : request.elements) NumberOf(item, "--element");
  for (const std::string& item : request.points) PointOf(item);
}

std::vector<HistoryPlace> ChoosePlaces(const PlaceRequest& request, const ModelStore& model) {
  std::vector<int32_t> nodes = NumbersOf(request.nodes, "--node", "node", model.NUMNP);
  std::vector<int32_t> elems = NumbersOf(request.elements, "--element", "element", model.NUMEL);
  std::vector<double> x, y;
  for (const std::string& item : request.points) {
    const PlanePoint point = PointOf(item);
    x.push_back(point.x), y.push_back(point.y);
  }
  if (!request.pickup_path.empty()) {
    const PickupLists picks = ReadPickupFile(request.pickup_path, model.NUMNP, model.NUMEL);
    AddNew(nodes, picks.pick_head_nodes, picks.pick_head_count);
    AddNew(nodes, picks.pick_pres_nodes, picks.pick_pres_count);
    AddNew(nodes, picks.pick_flow_nodes, picks.pick_flow_count);
    AddNew(elems, picks.pick_vel_elems, picks.pick_vel_count);
    x.insert(x.end(), picks.interp_x.begin(), picks.interp_x.end());
    y.insert(y.end(), picks.interp_y.begin(), picks.interp_y.end());
  }
  std::vector<HistoryPlace> places = NodePlaces(model, nodes);
  for (const HistoryPlace& place : ElemPlaces(model, elems)) places.push_back(place);
  const std::vector<HistoryPlace> points = PointPlaces(model, x, y);
  NoteOutsidePoints(points);
  places.insert(places.end(), points.begin(), points.end());
  return places;
}
