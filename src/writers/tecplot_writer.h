// WriteTecplotZone: one time step as one zone of a TECPLOT ASCII data file in
// finite-element point form: three header lines, a line of node values per
// node (element velocities averaged at the nodes) and a line of corner nodes
// per active element; and the TECPLOT kind (menu answer 2), one zone per
// selected step.
#pragma once

#include <cstdint>
#include <memory>

#include "common/text_output.h"
#include "model/model_store.h"
#include "model/node_averages.h"
#include "model/simulator.h"
#include "writers/output_kind.h"

// Appends the zone of the current step to `out`, averaging into `averages`.
// RX-KORIN results give X, Y, P, H, VX, VY, V; RX-DELM results X, Y, H,
// VX, VY, V and the values divided by D.
void WriteTecplotZone(TextOutput& out, const ModelStore& model, Simulator simulator,
                      NodeAverages& averages);

std::unique_ptr<KindRun> StartTecplotKind(const KindContext& context);
