// StartAveragingStepRun: the run of a kind that writes each selected step to
// the main output with one writer function that averages element values at
// the nodes into a workspace the run keeps for all its steps (TECPLOT,
// mkVIEW).
#pragma once

#include <cstdint>
#include <memory>

#include "common/text_output.h"
#include "model/model_store.h"
#include "model/node_averages.h"
#include "model/simulator.h"
#include "writers/output_kind.h"

using AveragingStepWriter = void (*)(TextOutput& out, const ModelStore& model, Simulator simulator,
                                     NodeAverages& averages);

std::unique_ptr<KindRun> StartAveragingStepRun(const KindContext& context,
                                               AveragingStepWriter write_step);
