// WriteMkViewStep: one time step as one block of the mkVIEW text format: a
// head (time, title, zone line, node variable names), a line per node with
// coordinates and nodal results (element velocities averaged at the nodes),
// the element variable names and a line per active element with its corners,
// property, centre and velocity; and the mkVIEW kind (menu answer 5), one
// block per selected step.
#pragma once

#include <cstdint>
#include <memory>

#include "common/text_output.h"
#include "model/model_store.h"
#include "model/node_averages.h"
#include "model/simulator.h"
#include "writers/output_kind.h"

// Appends the block of the current step to `out`, averaging into `averages`.
// For RX-DELM results the stored element values are D times velocity: they are
// written under "VX*D", "VY*D", "V*D" and the values divided by D under "VX",
// "VY", "V".
void WriteMkViewStep(TextOutput& out, const ModelStore& model, Simulator simulator,
                     NodeAverages& averages);

std::unique_ptr<KindRun> StartMkViewKind(const KindContext& context);
