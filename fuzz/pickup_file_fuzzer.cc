// Arbitrary bytes as PICKUP.INP: the reader either gives lists that keep
// their promises (counts within the lists, numbers within the model) or
// throws RunError. Anything else (a crash, another exception, a broken
// promise) is a finding.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "common/run_error.h"
#include "writers/pickup_file.h"

namespace {

constexpr int32_t kNodes = 600, kElems = 500;

void Check(bool promise) {
  if (!promise) std::abort();
}

void CheckList(int32_t count, const std::vector<int32_t>& list, int32_t highest) {
  if (count <= 0) return;
  Check(count <= kMaxPickEntries && list.size() >= static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) Check(list[i] >= 1 && list[i] <= highest);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  try {
    const PickupLists p = ParsePickupText(text, kNodes, kElems);
    CheckList(p.pick_head_count, p.pick_head_nodes, kNodes);
    CheckList(p.pick_pres_count, p.pick_pres_nodes, kNodes);
    CheckList(p.pick_flow_count, p.pick_flow_nodes, kNodes);
    CheckList(p.pick_vel_count, p.pick_vel_elems, kElems);
    Check(p.pick_head_count >= 0 && p.interp_count <= kMaxPickEntries);
    Check(p.interp_x.size() == static_cast<size_t>(std::max(p.interp_count, 0)));
    Check(p.interp_y.size() == p.interp_x.size());
  } catch (const RunError&) {
  }
  return 0;
}
