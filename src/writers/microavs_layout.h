// The layout of a MicroAVS step block, shared by the step writer (which
// writes the blocks to the temporary file) and the assembly (which copies
// them into the UCD file, each line padded or cut to the width of its kind):
// the step line; the fixed lines before the node lines (component counts, the
// node components' sizes and labels); a line per node; the fixed lines before
// the element lines (sizes and labels); a line per element.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "model/model_store.h"
#include "model/simulator.h"

// A fixed line of a block and the width of its copy.
struct MicroAvsFixedLine {
  std::string_view text;
  int width;
};

struct MicroAvsBlockLayout {
  std::span<const MicroAvsFixedLine> node_head;
  int node_line_width;
  std::span<const MicroAvsFixedLine> cell_head;
  int elem_line_width;

  // Lines of one block of a model: the step line, the fixed lines, the node
  // and element lines.
  int64_t LineCount(const ModelStore& model) const {
    return 1 + static_cast<int64_t>(node_head.size()) + model.NUMNP +
           static_cast<int64_t>(cell_head.size()) + model.NUMEL;
  }
};

inline constexpr int kMicroAvsStepLineWidth = 26;
inline constexpr int kMicroAvsKorinNodeLineWidth = 85;
inline constexpr int kMicroAvsKorinElemLineWidth = 48;
inline constexpr int kMicroAvsDelmNodeLineWidth = 100;
inline constexpr int kMicroAvsDelmElemLineWidth = 87;

inline constexpr MicroAvsFixedLine kMicroAvsKorinNodeHead[] = {
    {"5   3", 5},        {"5   1   1   1   1   1", 25}, {"Pressure,", 9}, {"Total Head,", 11},
    {"Velocity X,", 13}, {"Velocity Y,", 13},           {"Velocity,", 13}};
inline constexpr MicroAvsFixedLine kMicroAvsKorinCellHead[] = {
    {"3   1   1   1", 13}, {"Velocity X,", 13}, {"Velocity Y,", 13}, {"Velocity,", 13}};
inline constexpr MicroAvsFixedLine kMicroAvsDelmNodeHead[] = {
    {"7   6", 5},          {"7   1   1   1   1   1   1   1", 29},
    {"Total Head,", 11},   {"D*Velocity X,", 13},
    {"D*Velocity Y,", 13}, {"D*Velocity,", 13},
    {"Velocity X,", 13},   {"Velocity Y,", 13},
    {"Velocity,", 13}};
inline constexpr MicroAvsFixedLine kMicroAvsDelmCellHead[] = {{"6   1   1   1   1   1   1", 25},
                                                              {"D*Velocity X,", 13},
                                                              {"D*Velocity Y,", 13},
                                                              {"D*Velocity,", 13},
                                                              {"Velocity X,", 13},
                                                              {"Velocity Y,", 13},
                                                              {"Velocity,", 13}};

inline constexpr MicroAvsBlockLayout kMicroAvsKorinBlock{
    kMicroAvsKorinNodeHead, kMicroAvsKorinNodeLineWidth, kMicroAvsKorinCellHead,
    kMicroAvsKorinElemLineWidth};
inline constexpr MicroAvsBlockLayout kMicroAvsDelmBlock{
    kMicroAvsDelmNodeHead, kMicroAvsDelmNodeLineWidth, kMicroAvsDelmCellHead,
    kMicroAvsDelmElemLineWidth};

inline const MicroAvsBlockLayout& MicroAvsBlockOf(Simulator simulator) {
  return simulator == Simulator::kDelm ? kMicroAvsDelmBlock : kMicroAvsKorinBlock;
}
