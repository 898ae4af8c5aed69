// PickupLists and ReadPickupFile: the nodes, elements and points that the
// INTERP kind follows, as listed by the user in PICKUP.INP.
//
// The file is read free-form: values are separated by blanks or commas, a
// read that needs more values continues on the next line, and every read
// starts on a new line (what is left on a line after a read is ignored).
// The reads, in order: the five counts; |pick_head_count| head nodes (when not
// 0); pick_pres_count pressure nodes, pick_flow_count discharge nodes and
// pick_vel_count elements (each when above 0); then x and y of each of the
// interp_count points, one read per point.
//
// A negative pick_head_count n shares the head list: the count becomes |n|, a
// pressure or discharge count of 0 becomes |n| too, and the first |n| entries
// of the pressure and discharge lists are the head list's.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

inline constexpr std::string_view kPickupFileName = "PICKUP.INP";
// Most entries a list (or the points) may hold.
inline constexpr int32_t kMaxPickEntries = 2222;

struct PickupLists {
  int32_t pick_head_count = 0;  // nodes of the total-head table
  int32_t pick_pres_count = 0;  // nodes of the pressure-head table
  int32_t pick_flow_count = 0;  // nodes of the discharge-rate table
  int32_t pick_vel_count = 0;   // elements of the velocity tables
  int32_t interp_count = 0;     // points whose heads are interpolated
  // Each list holds at least as many entries as its count (when above 0).
  std::vector<int32_t> pick_head_nodes, pick_pres_nodes, pick_flow_nodes, pick_vel_elems;
  std::vector<double> interp_x, interp_y;
};

// Reads `path`. Node numbers must lie in 1..NUMNP, element numbers in
// 1..NUMEL, and no list may hold more than kMaxPickEntries entries. Every
// problem (no such file, a value that is not a number, the file ending before
// all counted values are read, a list too long, a number outside the model)
// throws RunError naming PICKUP.INP, the line and the list entry.
PickupLists ReadPickupFile(const std::string& path, int32_t NUMNP, int32_t NUMEL);
// The same from the file's text.
PickupLists ParsePickupText(std::string_view text, int32_t NUMNP, int32_t NUMEL);
