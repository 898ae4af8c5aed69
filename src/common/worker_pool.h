// The formatting threads: a small pool started on first use that serves the
// whole run (FormatLinesInOrder's chunks, ForEachRange's ranges). The
// calling thread hands a job to every thread at once and waits until each
// has returned from it.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// How many threads format: RXPOST_THREADS when it is set to a positive
// number, else the processors this process may run on; at most
// kMaxFormattingThreads.
inline constexpr int kMaxFormattingThreads = 64;
int FormattingThreads();

// Threads started once, on first use, that live until the program ends. A
// job is handed to every one of them at once (Start) and Finish waits until
// each has returned from it; a job catches its own exceptions.
class WorkerPool {
 public:
  explicit WorkerPool(int threads);
  ~WorkerPool();
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

  int size() const { return static_cast<int>(threads_.size()); }
  void Start(std::function<void()> job);
  void Finish();

 private:
  void Serve();

  std::vector<std::thread> threads_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::function<void()> job_;
  uint64_t generation_ = 0;
  int busy_ = 0;
  bool closing_ = false;
};

// The pool of `threads` threads; one for the whole run (the count is the
// same on every call).
WorkerPool& PoolOf(int threads);

// Runs task(range, begin, end) for the consecutive ranges of `range_items`
// items (the last one shorter) that make up first..last, numbered from 0, on
// the formatting threads and the caller's, and returns when all are done;
// the first exception a task throws is thrown here. A task must only read
// shared data, apart from what belongs to its range.
using RangeTask = std::function<void(int64_t range, int32_t begin, int32_t end)>;
void ForEachRange(int32_t first, int32_t last, int32_t range_items, const RangeTask& task,
                  int threads = FormattingThreads());
// How many ranges ForEachRange makes of first..last.
int64_t RangeCount(int32_t first, int32_t last, int32_t range_items);
