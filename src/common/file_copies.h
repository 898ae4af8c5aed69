// FileCopies: bytes written earlier to a file, copied into gaps left for them
// further on (platform::SkipAhead, platform::CopyInsideFile), in the order
// asked, on a thread of their own while the writer goes on past the gaps. The
// writer waits for them only when it finishes the file.
//
//   copies.Add(from, position, size);  // the gap: [position, position + size)
//   ...                                // more bytes written after the gap
//   if (const int error = copies.Wait()) ...
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>

#include "common/platform.h"

class FileCopies {
 public:
  explicit FileCopies(platform::FileHandle file) : file_(file) {}
  // Waits for the copy under way; the copies not yet begun are dropped.
  ~FileCopies();
  FileCopies(const FileCopies&) = delete;
  FileCopies& operator=(const FileCopies&) = delete;

  // Copies bytes [from, from + size) of the file to [to, to + size).
  void Add(int64_t from, int64_t to, int64_t size);
  // Waits until every copy asked for is made. Returns 0, or the system's
  // error code of the first copy that failed (the later ones, also those
  // asked for after it, are then dropped).
  int Wait();

 private:
  struct Copy {
    int64_t from, to, size;
  };
  // Makes the copies until none is left; runs on the side thread.
  void Serve();

  const platform::FileHandle file_;
  std::mutex mutex_;
  std::condition_variable done_;
  std::deque<Copy> waiting_;
  bool serving_ = false;  // a side thread is at work on `waiting_`
  int error_ = 0;
  std::thread thread_;
};
