// OutputKind: one entry of the table of output kinds (output_kinds.cc), and
// KindRun, what a kind does at the three moments of a transfer run:
//  - Prepare: after the main output is opened, before the step question;
//  - Step: for each selected step (for every step when `every_step`);
//  - Finish: after the pass over the steps.
// A kind keeps its own state (counters, work arrays, extra files) in its run.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

#include "common/output_files.h"
#include "common/text_output.h"
#include "model/model_store.h"
#include "writers/writer_options.h"

// What a kind is started with.
struct KindContext {
  const WriterOptions& options;
  TextOutput& main_output;
  OutputFiles& files;  // for the kind's own further files
};

class KindRun {
 public:
  virtual ~KindRun() = default;
  virtual void Prepare(const ModelStore&) {}
  virtual void Step(const ModelStore&) {}
  virtual void Finish(const ModelStore&) {}
};

struct OutputKind {
  int32_t menu_answer;
  bool asks_head_style = false;      // for RX-KORIN results: the restart head style
  bool no_head_lines = false;        // restart data without head lines
  bool every_step = false;           // Step for every step, whatever the step request
  bool blank_line_first = false;     // one blank line on the console before Prepare
  std::string_view reads_file = {};  // a fixed-name input the kind reads, if any
  // Fixed-name files the kind writes besides the main output; a run owns
  // them for its whole length.
  std::span<const std::string_view> fixed_outputs = {};
  std::unique_ptr<KindRun> (*start)(const KindContext& context) = nullptr;
};

// The kind of a menu answer; null when the answer names no kind.
const OutputKind* FindOutputKind(int32_t menu_answer);
