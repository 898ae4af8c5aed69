#include "common/file_copies.h"

#include "common/side_thread.h"

FileCopies::~FileCopies() {
  {
    std::lock_guard lock(mutex_);
    waiting_.clear();
  }
  Wait();
}

void FileCopies::Add(int64_t from, int64_t to, int64_t size) {
  {
    std::lock_guard lock(mutex_);
    if (error_ != 0) return;  // the file is not to be finished
    waiting_.push_back({from, to, size});
    if (serving_) return;
    serving_ = true;
  }
  JoinSideThread(thread_);  // a thread that has just found nothing left to copy
  thread_ = StartSideThread([this] { Serve(); });
}

int FileCopies::Wait() {
  {
    std::unique_lock lock(mutex_);
    done_.wait(lock, [this] { return !serving_; });
  }
  JoinSideThread(thread_);
  return error_;
}

void FileCopies::Serve() {
  std::unique_lock lock(mutex_);
  while (!waiting_.empty()) {
    const Copy copy = waiting_.front();
    lock.unlock();
    const bool copied = platform::CopyInsideFile(file_, copy.from, copy.to, copy.size);
    const int error = copied ? 0 : platform::LastError();
    lock.lock();
    if (!waiting_.empty()) waiting_.pop_front();
    if (!copied) {
      if (error_ == 0) error_ = error;
      waiting_.clear();
    }
  }
  serving_ = false;
  done_.notify_all();
}
