#include "common/worker_pool.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <exception>
#include <memory>

#include "common/platform.h"

namespace {

int ThreadsFromEnvironment() {
  const char* text = std::getenv("RXPOST_THREADS");
  if (text == nullptr) return 0;
  const int threads = std::atoi(text);
  return threads > 0 ? threads : 0;
}

}  // namespace

int FormattingThreads() {
  static const int threads = [] {
    const int chosen = ThreadsFromEnvironment();
    return std::clamp(chosen > 0 ? chosen : platform::UsableProcessors(), 1, kMaxFormattingThreads);
  }();
  return threads;
}

WorkerPool::WorkerPool(int threads) {
  for (int t = 0; t < threads; ++t) threads_.emplace_back([this] { Serve(); });
}

WorkerPool::~WorkerPool() {
  {
    std::lock_guard lock(mutex_);
    closing_ = true;
  }
  changed_.notify_all();
  for (std::thread& thread : threads_) thread.join();
}

void WorkerPool::Start(std::function<void()> job) {
  {
    std::lock_guard lock(mutex_);
    job_ = std::move(job);
    busy_ = size();
    ++generation_;
  }
  changed_.notify_all();
}

void WorkerPool::Finish() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return busy_ == 0; });
  job_ = nullptr;
}

void WorkerPool::Serve() {
  uint64_t done = 0;
  for (;;) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return closing_ || generation_ != done; });
    if (closing_) return;
    done = generation_;
    lock.unlock();
    job_();
    lock.lock();
    if (--busy_ == 0) changed_.notify_all();
  }
}

WorkerPool& PoolOf(int threads) {
  static std::mutex mutex;
  static std::unique_ptr<WorkerPool> pool;
  std::lock_guard lock(mutex);
  if (!pool || pool->size() != threads) {
    pool.reset();
    pool = std::make_unique<WorkerPool>(threads);
  }
  return *pool;
}

int64_t RangeCount(int32_t first, int32_t last, int32_t range_items) {
  if (last < first) return 0;
  return (static_cast<int64_t>(last) - first + range_items) / range_items;
}

void ForEachRange(int32_t first, int32_t last, int32_t range_items, const RangeTask& task,
                  int threads) {
  const int64_t ranges = RangeCount(first, last, range_items);
  std::atomic<int64_t> next{0};
  std::exception_ptr failure;
  std::mutex failure_mutex;
  const auto work = [&] {
    for (int64_t k = next++; k < ranges; k = next++) {
      const int64_t begin = first + k * int64_t{range_items};
      const int64_t end = std::min<int64_t>(last, begin + range_items - 1);
      try {
        task(k, static_cast<int32_t>(begin), static_cast<int32_t>(end));
      } catch (...) {
        std::lock_guard lock(failure_mutex);
        if (!failure) failure = std::current_exception();
      }
    }
  };
  if (threads < 2 || ranges < 2) {
    work();
  } else {
    WorkerPool& pool = PoolOf(threads);
    pool.Start(work);
    work();
    pool.Finish();
  }
  if (failure) std::rethrow_exception(failure);
}
