#include "common/parallel_lines.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <functional>
#include <limits>
#include <memory>
#include <mutex>
#include <vector>

#include "common/watched_counter.h"
#include "common/worker_pool.h"

namespace {

// Items a chunk holds: about a megabyte of text for the usual lines.
constexpr int32_t kChunkItems = 8192;
// Chunks each formatting thread may hold: enough that neither the writer nor
// the threads wait for the other side at every chunk.
constexpr size_t kSlotsPerThread = 4;

// A chunk's place: while `ready_chunk` is not the chunk it was given, the
// slot is being filled.
struct Slot {
  std::unique_ptr<TextOutput> text = TextOutput::InMemory();
  WatchedCounter ready_chunk{-1};
};

// The slots of the formatting threads, kept between calls (which come from
// one thread at a time) so that their buffers are allocated once a run.
std::vector<Slot>& SlotsFor(size_t count) {
  static std::vector<Slot> slots;
  if (slots.size() != count) slots = std::vector<Slot>(count);
  for (Slot& slot : slots) {
    slot.text->Clear();  // after a failed call
    slot.ready_chunk.Reset(-1);
  }
  return slots;
}

// The formatting threads take chunks in order; chunk k goes to slot k % slots.
// A thread waits until the writer has emptied its slot, so at most `slots`
// chunks are held at once. Each side waits on the one counter the other moves
// (WatchedCounter), so that a handing over wakes only a thread that waits for
// it, and none while both sides keep up.
class ChunkPipeline {
 public:
  ChunkPipeline(WorkerPool& pool, int32_t first, int32_t last, const LineFormatter& format)
      : pool_(pool),
        first_(first),
        last_(last),
        chunks_((static_cast<int64_t>(last) - first + kChunkItems) / kChunkItems),
        format_(format),
        slots_(SlotsFor(kSlotsPerThread * static_cast<size_t>(pool.size()))) {
    pool_.Start([this] { Work(); });
  }

  // Also after a failure: the threads waiting for a slot are let go.
  ~ChunkPipeline() {
    emptied_.Set(kStop);
    pool_.Finish();
  }

  // Appends every chunk to `out` as it becomes ready, in order.
  void WriteAll(TextOutput& out) {
    for (int64_t k = 0; k < chunks_; ++k) {
      Slot& slot = slots_[k % slots_.size()];
      slot.ready_chunk.WaitUntil([k](int64_t ready) { return ready == k; });
      if (failed_) {
        std::lock_guard lock(failure_mutex_);
        std::rethrow_exception(failure_);
      }
      out.AppendBlock(slot.text->Contents());
      slot.text->Clear();
      emptied_.Set(k + 1);
    }
  }

 private:
  // Set as the chunks written when the writer stops early: every thread
  // then finds its slot free, and returns.
  static constexpr int64_t kStop = std::numeric_limits<int64_t>::max() / 2;

  void Work() {
    const auto slots = static_cast<int64_t>(slots_.size());
    for (int64_t k = next_chunk_++; k < chunks_; k = next_chunk_++) {
      // Chunk k may use its slot once chunk k - slots has been written.
      const int64_t emptied =
          emptied_.WaitUntil([k, slots](int64_t emptied) { return emptied + slots > k; });
      if (emptied >= kStop) return;
      Format(k);
    }
  }

  void Format(int64_t k) {
    Slot& slot = slots_[k % slots_.size()];
    const int32_t begin = static_cast<int32_t>(first_ + k * kChunkItems);
    const int32_t end = static_cast<int32_t>(std::min<int64_t>(last_, begin + kChunkItems - 1));
    try {
      format_(*slot.text, begin, end);
    } catch (...) {
      std::lock_guard lock(failure_mutex_);
      if (!failure_) failure_ = std::current_exception();
      failed_ = true;
    }
    slot.ready_chunk.Set(k);
  }

  WorkerPool& pool_;
  const int32_t first_, last_;
  const int64_t chunks_;
  const LineFormatter& format_;
  std::vector<Slot>& slots_;
  std::atomic<int64_t> next_chunk_ = 0;
  WatchedCounter emptied_;  // chunks written to the output so far, or kStop
  std::atomic<bool> failed_ = false;
  std::mutex failure_mutex_;
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
