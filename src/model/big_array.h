// BigArray: a zero-filled array of fixed capacity for the model, taken from
// the system as fresh pages that are committed only when first touched, so a
// small model costs little memory while the largest one still fits. Once the
// count in use is known, AdviseLargePages asks for large pages over it, which
// makes the first touch of a big model's entries far cheaper.
#pragma once

#include <cstddef>
#include <cstdint>

// Untyped pages; BigArray gives them a type.
void* MapPages(size_t bytes);
void UnmapPages(void* pages, size_t bytes);
// A hint over entries 1..count of an array of `entry_size`-byte entries.
void AdviseLargePages(void* array, size_t entry_size, int64_t count);

template <typename T>
class BigArray {
 public:
  explicit BigArray(int64_t entries)
      : bytes_(static_cast<size_t>(entries) * sizeof(T)),
        data_(static_cast<T*>(MapPages(bytes_))) {}
  ~BigArray() { UnmapPages(data_, bytes_); }
  BigArray(const BigArray&) = delete;
  BigArray& operator=(const BigArray&) = delete;

  T* data() const { return data_; }
  void AdviseLargePages(int64_t count) const { ::AdviseLargePages(data_, sizeof(T), count); }

 private:
  size_t bytes_;
  T* data_;
};
