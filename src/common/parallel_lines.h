// FormatLinesInOrder: formats a long run of lines (the node lines of a step,
// say) on the formatting threads, in chunks, and appends the chunks to the
// output in order, so that the bytes are exactly those one thread would
// write. With one formatting thread, or few lines, it formats straight into
// the output. The formatting threads are started on first use and serve
// every later call until the program ends; the caller's thread writes.
//
//   FormatLinesInOrder(out, 1, NUMNP, [&](TextOutput& chunk, int32_t first, int32_t last) {
//     for (int32_t n = first; n <= last; ++n) WriteNodeLine(chunk, n);
//   });
#pragma once

#include <cstdint>
#include <functional>

#include "common/text_output.h"
#include "common/worker_pool.h"

// Writes the lines of items first..last to `chunk`; called for consecutive
// ranges, possibly on several threads at once, so it must only read shared
// data.
using LineFormatter = std::function<void(TextOutput& chunk, int32_t first, int32_t last)>;

// Four chunk buffers of about a megabyte each belong to each formatting
// thread.
void FormatLinesInOrder(TextOutput& out, int32_t first, int32_t last, const LineFormatter& format,
                        int threads = FormattingThreads());
