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

void* MapPages(size_t bytes) { return platform::ReservePages(bytes); }

void UnmapPages(void* pages, size_t bytes) { platform::ReleasePages(pages, bytes); }

void CommitPageRange(void* begin, size_t bytes) { platform::CommitPages(begin, bytes); }

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
