// BigArray: a zero-filled array of fixed capacity for the model, taken from
// the system as fresh pages that are committed only when first touched, so a
// small model costs little memory while the largest one still fits. Once the
// count in use is known, AdviseLargePages asks for large pages over it, which
// makes the first touch of a big model's entries far cheaper.
//
// Under AddressSanitizer the entries a model does not use are poisoned, so a
// read past NUMNP or NUMEL is reported like a read past an allocation: an
// array starts hidden, and ShowEntries makes the entries in use visible. In
// other builds the calls cost nothing.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

// Untyped pages; BigArray gives them a type.
void* MapPages(size_t bytes);
void UnmapPages(void* pages, size_t bytes);
// A hint over entries 1..count of an array of `entry_size`-byte entries.
void AdviseLargePages(void* array, size_t entry_size, int64_t count);
// Poisons (hides) or unpoisons (shows) bytes for AddressSanitizer.
void HideBytes(const void* begin, size_t bytes);
void ShowBytes(const void* begin, size_t bytes);

template <typename T>
class BigArray {
 public:
  explicit BigArray(int64_t entries)
      : bytes_(static_cast<size_t>(entries) * sizeof(T)),
        data_(static_cast<T*>(MapPages(bytes_))) {
    HideAll();
  }
  ~BigArray() {
    ShowBytes(data_, bytes_);
    UnmapPages(data_, bytes_);
  }
  BigArray(const BigArray&) = delete;
  BigArray& operator=(const BigArray&) = delete;

  T* data() const { return data_; }
  void AdviseLargePages(int64_t count) const { ::AdviseLargePages(data_, sizeof(T), count); }
  // Every entry hidden from AddressSanitizer (unreadable).
  void HideAll() const { HideBytes(data_, bytes_); }
  // Entries 0..count visible to AddressSanitizer, the others hidden.
  void ShowEntries(int64_t count) const {
    HideAll();
    ShowRange(0, count + 1);
  }
  // Entries first..first+count-1 (within the array) visible as well.
  void ShowRange(int64_t first, int64_t count) const {
    const int64_t entries = static_cast<int64_t>(bytes_ / sizeof(T));
    first = std::clamp<int64_t>(first, 0, entries);
    count = std::clamp<int64_t>(count, 0, entries - first);
    ShowBytes(data_ + first, static_cast<size_t>(count) * sizeof(T));
  }

 private:
  size_t bytes_;
  T* data_;
};
