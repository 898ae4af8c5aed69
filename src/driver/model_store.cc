#include "driver/model_store.h"

#include <sys/mman.h>

#include <cstdint>
#include <new>

namespace {

constexpr uintptr_t kLargePage = 2 << 20;
// Below this many bytes in use an array keeps ordinary pages.
constexpr int64_t kLargePageThreshold = 4 << 20;

uintptr_t RoundDown(uintptr_t at) { return at & ~(kLargePage - 1); }
uintptr_t RoundUp(uintptr_t at) { return RoundDown(at + kLargePage - 1); }

// Fresh zero pages from the system, starting on a large-page boundary and
// filling whole large pages; nothing is committed until it is touched.
template <typename T>
T* MapArray(int64_t entries) {
  size_t bytes = RoundUp(static_cast<uintptr_t>(entries) * sizeof(T));
  void* block = mmap(nullptr, bytes + kLargePage, PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  if (block == MAP_FAILED) throw std::bad_alloc();
  uintptr_t base = reinterpret_cast<uintptr_t>(block);
  uintptr_t aligned = RoundUp(base);
  // Give back the unaligned head and tail.
  if (aligned > base) munmap(block, aligned - base);
  munmap(reinterpret_cast<void*>(aligned + bytes), base + kLargePage - aligned);
  return reinterpret_cast<T*>(aligned);
}

template <typename T>
void UnmapArray(T* array, int64_t entries) {
  munmap(array, RoundUp(static_cast<uintptr_t>(entries) * sizeof(T)));
}

// Large pages over the whole large pages that entries 1..count of `array`
// touch. Every array starts and ends on a large-page boundary, so rounding
// outwards stays inside it.
template <typename T>
void AdviseLargePages(T* array, int32_t count) {
  int64_t bytes = static_cast<int64_t>(count) * static_cast<int64_t>(sizeof(T));
  if (bytes < kLargePageThreshold) return;
  uintptr_t begin = RoundDown(reinterpret_cast<uintptr_t>(array + 1));
  uintptr_t end = RoundUp(reinterpret_cast<uintptr_t>(array + 1) + static_cast<uintptr_t>(bytes));
  // A hint only: where the system declines, ordinary pages serve as well.
  madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

constexpr int64_t kArrayEntries = MaxDim + 1;
constexpr int64_t kElemNodesEntries = 5 * static_cast<int64_t>(MaxDim) + 1;

}  // namespace

ModelStore::ModelStore()
    : NodeX(MapArray<double>(kArrayEntries)),
      NodeY(MapArray<double>(kArrayEntries)),
      NodeExtraA(MapArray<double>(kArrayEntries)),
      NodeExtraB(MapArray<double>(kArrayEntries)),
      NodeExtraCode(MapArray<int32_t>(kArrayEntries)),
      ElemNodes(MapArray<int32_t>(kElemNodesEntries)),
      ElemExtra(MapArray<double>(kArrayEntries)),
      NodeCode(MapArray<int32_t>(kArrayEntries)),
      NodeHead(MapArray<double>(kArrayEntries)),
      NodeFlow(MapArray<double>(kArrayEntries)),
      ElemVX(MapArray<double>(kArrayEntries)),
      ElemVY(MapArray<double>(kArrayEntries)),
      ElemD(MapArray<double>(kArrayEntries)),
      NodeElemCount(MapArray<int32_t>(kArrayEntries)),
      NodeVX(MapArray<double>(kArrayEntries)),
      NodeVY(MapArray<double>(kArrayEntries)),
      NodeWorkA(MapArray<double>(kArrayEntries)),
      NodeWorkB(MapArray<double>(kArrayEntries)) {}

ModelStore::~ModelStore() {
  for (double* array : {NodeX, NodeY, NodeExtraA, NodeExtraB, ElemExtra, NodeHead, NodeFlow, ElemVX,
                        ElemVY, ElemD, NodeVX, NodeVY, NodeWorkA, NodeWorkB}) {
    UnmapArray(array, kArrayEntries);
  }
  for (int32_t* array : {NodeExtraCode, NodeCode, NodeElemCount}) {
    UnmapArray(array, kArrayEntries);
  }
  UnmapArray(ElemNodes, kElemNodesEntries);
}

void ModelStore::PrepareNodeArrays(int32_t node_count) {
  for (double* array : {NodeX, NodeY, NodeExtraA, NodeExtraB, NodeHead, NodeFlow, NodeVX, NodeVY,
                        NodeWorkA, NodeWorkB}) {
    AdviseLargePages(array, node_count);
  }
  for (int32_t* array : {NodeExtraCode, NodeCode, NodeElemCount}) {
    AdviseLargePages(array, node_count);
  }
}

void ModelStore::PrepareElemArrays(int32_t elem_count) {
  for (double* array : {ElemExtra, ElemVX, ElemVY, ElemD}) AdviseLargePages(array, elem_count);
  for (int column = 0; column < 5; ++column) {
    AdviseLargePages(ElemNodes + static_cast<int64_t>(column) * MaxDim, elem_count);
  }
}
