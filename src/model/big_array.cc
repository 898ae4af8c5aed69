#include "model/big_array.h"

#include "common/platform.h"

#if defined(__SANITIZE_ADDRESS__)
#define RXPOST_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define RXPOST_ASAN 1
#endif
#endif
#ifdef RXPOST_ASAN
#include <sanitizer/asan_interface.h>
#endif

namespace {

constexpr uintptr_t kLargePage = 2 << 20;
// Below this many bytes in use an array keeps ordinary pages.
constexpr int64_t kLargePageThreshold = 4 << 20;

uintptr_t RoundDown(uintptr_t at) { return at & ~(kLargePage - 1); }
uintptr_t RoundUp(uintptr_t at) { return RoundDown(at + kLargePage - 1); }

}  // namespace

// Fresh zero pages from the system, starting on a large-page boundary and
// filling whole large pages; nothing takes memory until it is touched.
void* MapPages(size_t bytes) { return platform::ReservePages(RoundUp(bytes), kLargePage); }

void UnmapPages(void* pages, size_t bytes) { platform::ReleasePages(pages, RoundUp(bytes)); }

// Every array starts and ends on a large-page boundary, so rounding outwards
// stays inside it.
void AdviseLargePages(void* array, size_t entry_size, int64_t count) {
  int64_t bytes = count * static_cast<int64_t>(entry_size);
  if (bytes < kLargePageThreshold) return;
  uintptr_t first = reinterpret_cast<uintptr_t>(array) + entry_size;
  uintptr_t begin = RoundDown(first);
  uintptr_t end = RoundUp(first + static_cast<uintptr_t>(bytes));
  // A hint only: where the system declines, ordinary pages serve as well.
  platform::AdviseLargePages(reinterpret_cast<void*>(begin), end - begin);
}

int64_t MoveShownEnd(const void* array, size_t entry_size, int64_t old_end, int64_t new_end) {
  const char* bytes = static_cast<const char*>(array);
  const auto at = [&](int64_t entry) { return bytes + entry * static_cast<int64_t>(entry_size); };
  const auto span = [&](int64_t from, int64_t to) {
    return static_cast<size_t>(at(to) - at(from));
  };
  if (new_end > old_end) ShowBytes(at(old_end), span(old_end, new_end));
  if (new_end < old_end) HideBytes(at(new_end), span(new_end, old_end));
  return new_end;
}

#ifdef RXPOST_ASAN
void HideBytes(const void* begin, size_t bytes) { ASAN_POISON_MEMORY_REGION(begin, bytes); }
void ShowBytes(const void* begin, size_t bytes) { ASAN_UNPOISON_MEMORY_REGION(begin, bytes); }
#else
void HideBytes(const void*, size_t) {}
void ShowBytes(const void*, size_t) {}
#endif
