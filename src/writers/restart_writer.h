// WriteRestartStep: one block of restart data for a simulator run, the nodal
// state of one step (an optional " LA,TIME" head line, then one line a node);
// and the restart kind (menu answers 1 and -1), one block per selected step.
#pragma once

#include <memory>

#include "common/text_output.h"
#include "model/model_store.h"
#include "writers/output_kind.h"
#include "writers/writer_options.h"

// Appends the block of the current step to `out`. For RX-KORIN results:
// node, code, X, Y, head, flow; the head is the pressure head for head_style 0
// and the total head for head_style 1. For RX-DELM results: node, code, extra
// code, X, Y, head, flow and the two extra reals. no_head_flag 1 leaves out the head line.
void WriteRestartStep(TextOutput& out, const ModelStore& model, const WriterOptions& options);

std::unique_ptr<KindRun> StartRestartKind(const KindContext& context);
