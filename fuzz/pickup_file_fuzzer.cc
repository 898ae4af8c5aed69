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
    CheckList(p.PickHeadCount, p.PickHeadNodes, kNodes);
    CheckList(p.PickPresCount, p.PickPresNodes, kNodes);
    CheckList(p.PickFlowCount, p.PickFlowNodes, kNodes);
    CheckList(p.PickVelCount, p.PickVelElems, kElems);
    Check(p.PickHeadCount >= 0 && p.InterpCount <= kMaxPickEntries);
    Check(p.InterpX.size() == static_cast<size_t>(std::max(p.InterpCount, 0)));
    Check(p.InterpY.size() == p.InterpX.size());
  } catch (const RunError&) {
  }
  return 0;
}
