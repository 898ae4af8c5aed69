// BigArray: a zero-filled array of fixed capacity for the model, taken from
// the system as fresh pages that are committed only when first touched, so a
// small model costs little memory while the largest one still fits. They are
// ordinary pages: large ones made the first touch cheaper on some machines
// but several times dearer on virtual machines that hand free memory back
// to their host, where the system must then fetch every large page anew.
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
void CommitPageRange(void* begin, size_t bytes);
// Poisons (hides) or unpoisons (shows) bytes for AddressSanitizer.
void HideBytes(const void* begin, size_t bytes);
void ShowBytes(const void* begin, size_t bytes);
// Of the entries from `array` on, 0..old_end-1 were visible: makes
// 0..new_end-1 visible instead, and returns new_end.
int64_t MoveShownEnd(const void* array, size_t entry_size, int64_t old_end, int64_t new_end);

template <typename T>
class BigArray {
 public:
  explicit BigArray(int64_t entries)
      : entries_(entries),
        bytes_(static_cast<size_t>(entries) * sizeof(T)),
        data_(static_cast<T*>(MapPages(bytes_))) {
    HideBytes(data_, bytes_);
  }
  ~BigArray() {
    ShowBytes(data_, bytes_);
    UnmapPages(data_, bytes_);
  }
  BigArray(const BigArray&) = delete;
  BigArray& operator=(const BigArray&) = delete;

  T* data() const { return data_; }
  // Gives entries 0..count their memory now (see platform::CommitPages).
  void CommitEntries(int64_t count) const {
    CommitPageRange(data_,
                    static_cast<size_t>(std::clamp<int64_t>(count + 1, 0, entries_)) * sizeof(T));
  }
  // Entries 0..count visible to AddressSanitizer, the others hidden. Only the
  // entries between the old and the new count change, so this is cheap when
  // the count barely moves.
  void ShowEntries(int64_t count) {
    shown_ = MoveShownEnd(data_, sizeof(T), shown_, std::clamp<int64_t>(count + 1, 0, entries_));
  }

 private:
  int64_t entries_;
  size_t bytes_;
  T* data_;
  int64_t shown_ = 0;  // entries 0..shown_-1 are visible
};
