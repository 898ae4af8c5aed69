#include "driver/model_store.h"

#include <cstdlib>
#include <new>

namespace {

// Zero-filled and committed lazily: calloc of a block this size maps fresh
// pages that cost nothing until they are touched.
template <typename T>
T* AllocateArray(int64_t entries) {
  void* block = std::calloc(static_cast<size_t>(entries), sizeof(T));
  if (block == nullptr) throw std::bad_alloc();
  return static_cast<T*>(block);
}

}  // namespace

ModelStore::ModelStore()
    : NodeX(AllocateArray<double>(MaxDim + 1)),
      NodeY(AllocateArray<double>(MaxDim + 1)),
      NodeExtraA(AllocateArray<double>(MaxDim + 1)),
      NodeExtraB(AllocateArray<double>(MaxDim + 1)),
      NodeExtraCode(AllocateArray<int32_t>(MaxDim + 1)),
      ElemNodes(AllocateArray<int32_t>(5 * static_cast<int64_t>(MaxDim) + 1)),
      ElemExtra(AllocateArray<double>(MaxDim + 1)),
      NodeCode(AllocateArray<int32_t>(MaxDim + 1)),
      NodeHead(AllocateArray<double>(MaxDim + 1)),
      NodeFlow(AllocateArray<double>(MaxDim + 1)),
      ElemVX(AllocateArray<double>(MaxDim + 1)),
      ElemVY(AllocateArray<double>(MaxDim + 1)),
      ElemD(AllocateArray<double>(MaxDim + 1)),
      NodeElemCount(AllocateArray<int32_t>(MaxDim + 1)),
      NodeVX(AllocateArray<double>(MaxDim + 1)),
      NodeVY(AllocateArray<double>(MaxDim + 1)),
      NodeWorkA(AllocateArray<double>(MaxDim + 1)),
      NodeWorkB(AllocateArray<double>(MaxDim + 1)) {}

ModelStore::~ModelStore() {
  for (void* p : {static_cast<void*>(NodeX), static_cast<void*>(NodeY),
                  static_cast<void*>(NodeExtraA), static_cast<void*>(NodeExtraB),
                  static_cast<void*>(NodeExtraCode), static_cast<void*>(ElemNodes),
                  static_cast<void*>(ElemExtra), static_cast<void*>(NodeCode),
                  static_cast<void*>(NodeHead), static_cast<void*>(NodeFlow),
                  static_cast<void*>(ElemVX), static_cast<void*>(ElemVY),
                  static_cast<void*>(ElemD), static_cast<void*>(NodeElemCount),
                  static_cast<void*>(NodeVX), static_cast<void*>(NodeVY),
                  static_cast<void*>(NodeWorkA), static_cast<void*>(NodeWorkB)}) {
    std::free(p);
  }
}
