// The places that `rxpost history` follows, as the command line names them:
// --node and --element numbers, --point X,Y pairs, and the lists of a
// PICKUP.INP file (its head, pressure and discharge nodes as one list without
// repeats, its elements and its points).
#pragma once

#include <string>
#include <vector>

#include "model/model_store.h"
#include "writers/history_table.h"

struct PlaceRequest {
  std::vector<std::string> nodes, elements;  // one number each
  std::vector<std::string> points;           // "X,Y" each
  std::string pickup_path;                   // empty: none
};

// Throws RunError naming the option when an item is not a number (or an X,Y
// pair) or when nothing is asked for; done before the model is read.
void CheckPlaceRequest(const PlaceRequest& request);

// The places, in the order nodes, elements, points; throws RunError naming
// the option for a node or element number outside the model, or the file for
// a fault of PICKUP.INP.
std::vector<HistoryPlace> ChoosePlaces(const PlaceRequest& request, const ModelStore& model);
