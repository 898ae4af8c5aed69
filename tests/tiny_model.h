// TinyModel: a small model in a ModelStore, filled by hand, for the tests
// that need a mesh without a result file; and SplitLines, for reading
// written text back line by line.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/model_store.h"

// Arrays are indexed from 1; ElemD is 1 unless given.
struct TinyModel {
  TinyModel(int32_t nodes, int32_t elems);

  void SetNode(int32_t n, double x, double y, double head);
  // Columns: corners 1 to 4, then the attribute (active above 0).
  void SetElem(int32_t e, const std::array<int32_t, 5>& columns, double vx, double vy,
               double d = 1);

  std::unique_ptr<ModelStore> store = std::make_unique<ModelStore>();
  ModelStore& model = *store;
};

// The lines of `text`, without their line ends.
std::vector<std::string> SplitLines(const std::string& text);
