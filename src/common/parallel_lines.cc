#include "common/parallel_lines.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "common/worker_pool.h"

namespace {

// Items a chunk holds: about a megabyte of text for the usual lines.
constexpr int32_t kChunkItems = 8192;

// A chunk's place: while `ready_chunk` is not the chunk it was given, the
// slot is being filled.
struct Slot {
  std::unique_ptr<TextOutput> text = TextOutput::InMemory();
  int64_t ready_chunk = -1;
};

// The slots of the formatting threads, kept between calls (which come from
// one thread at a time) so that their buffers are allocated once a run.
std::vector<Slot>& SlotsFor(size_t count) {
  static std::vector<Slot> slots;
  if (slots.size() != count) slots = std::vector<Slot>(count);
  for (Slot& slot : slots) {
    slot.text->Clear();  // after a failed call
    slot.ready_chunk = -1;
  }
  return slots;
}

// The formatting threads take chunks in order; chunk k goes to slot k % slots.
// A thread waits until the writer has emptied its slot, so at most `slots`
// chunks are held at once.
class ChunkPipeline {
 public:
  ChunkPipeline(WorkerPool& pool, int32_t first, int32_t last, const LineFormatter& format)
      : pool_(pool),
        first_(first),
        last_(last),
        chunks_((static_cast<int64_t>(last) - first + kChunkItems) / kChunkItems),
        format_(format),
        slots_(SlotsFor(2 * static_cast<size_t>(pool.size()))) {
    pool_.Start([this] { Work(); });
  }

  ~ChunkPipeline() {
    {
      std::lock_guard lock(mutex_);
      stop_ = true;
    }
    changed_.notify_all();
    pool_.Finish();
  }

  // Appends every chunk to `out` as it becomes ready, in order.
  void WriteAll(TextOutput& out) {
    for (int64_t k = 0; k < chunks_; ++k) {
      Slot& slot = slots_[k % slots_.size()];
      {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return slot.ready_chunk == k || failure_; });
        if (failure_) std::rethrow_exception(failure_);
      }
      out.AppendBlock(slot.text->Contents());
      slot.text->Clear();
      {
        std::lock_guard lock(mutex_);
        emptied_ = k + 1;
      }
      changed_.notify_all();
    }
  }

 private:
  void Work() {
    for (;;) {
      int64_t k;
      {
        std::unique_lock lock(mutex_);
        k = next_chunk_++;
        if (k >= chunks_) return;
        // Chunk k may use its slot once chunk k - slots has been written.
        changed_.wait(lock,
                      [&] { return stop_ || emptied_ + static_cast<int64_t>(slots_.size()) > k; });
        if (stop_) return;
      }
      Format(k);
    }
  }

  void Format(int64_t k) {
    Slot& slot = slots_[k % slots_.size()];
    const int32_t begin = static_cast<int32_t>(first_ + k * kChunkItems);
    const int32_t end = static_cast<int32_t>(std::min<int64_t>(last_, begin + kChunkItems - 1));
    std::exception_ptr failure;
    try {
      format_(*slot.text, begin, end);
    } catch (...) {
      failure = std::current_exception();
    }
    {
      std::lock_guard lock(mutex_);
      if (failure && !failure_) failure_ = failure;
      slot.ready_chunk = k;
    }
    changed_.notify_all();
  }

  WorkerPool& pool_;
  const int32_t first_, last_;
  const int64_t chunks_;
  const LineFormatter& format_;
  std::vector<Slot>& slots_;
  std::mutex mutex_;
  std::condition_variable changed_;
  int64_t next_chunk_ = 0;
  int64_t emptied_ = 0;  // chunks written to the output so far
  bool stop_ = false;
  std::exception_ptr failure_;
};

}  // namespace

void FormatLinesInOrder(TextOutput& out, int32_t first, int32_t last, const LineFormatter& format,
                        int threads) {
  if (last < first) return;
  if (threads < 2 || static_cast<int64_t>(last) - first < kChunkItems) {
    format(out, first, last);
    return;
  }
  ChunkPipeline pipeline(PoolOf(threads), first, last, format);
  pipeline.WriteAll(out);
}
