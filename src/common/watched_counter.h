// WatchedCounter: a number that one thread moves on and other threads wait
// for (the chunk last made, the chunks written so far). A waiting thread
// first looks again a few times, giving way to other threads, and only then
// sleeps; moving the number wakes sleepers only when there are any, so that
// a handing over costs no system call while both sides keep up.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

class WatchedCounter {
 public:
  explicit WatchedCounter(int64_t value = 0) : value_(value) {}

  int64_t Get() const { return value_.load(); }
  // Sets the number (without waking anybody: the caller's own use, when no
  // thread waits).
  void Reset(int64_t value) { value_.store(value); }
  // Sets the number and wakes the threads that wait.
  void Set(int64_t value) {
    value_.store(value);
    if (sleepers_.load() == 0) return;
    std::lock_guard lock(mutex_);
    changed_.notify_all();
  }
  // Waits until done(number) holds; returns that number.
  template <typename Done>
  int64_t WaitUntil(Done done) {
    for (int look = 0; look < kLooks; ++look) {
      if (const int64_t value = value_.load(); done(value)) return value;
      std::this_thread::yield();
    }
    ++sleepers_;  // before the number is read under the lock: Set sees it or we see Set's number
    std::unique_lock lock(mutex_);
    int64_t value;
    changed_.wait(lock, [&] { return done(value = value_.load()); });
    --sleepers_;
    return value;
  }

 private:
  static constexpr int kLooks = 16;
  std::atomic<int64_t> value_;
  std::atomic<int> sleepers_{0};
  std::mutex mutex_;
  std::condition_variable changed_;
};
