// WriteMicroAvsStep: one time step as one data block of a MicroAVS UCD file
// (a step line, the node data: heads and element velocities averaged at the
// nodes, then the cell data: the element velocities), appended to the
// temporary file of the MicroAVS kind. The kind itself (menu answer 4) is
// started by StartMicroAvsKind in microavs_assembly.h.
#pragma once

#include <cstdint>

#include "common/text_output.h"
#include "model/model_store.h"
#include "model/node_averages.h"
#include "model/simulator.h"

// Adds 1 to avs_step_count, the number of blocks written so far in the run,
// and appends the block of the current step to `out` under that number,
// averaging into `averages`. Every value but the step time is rounded to a
// 4-byte real before it is written. RX-KORIN results give pressure and total
// head, VX, VY, V at the nodes and VX, VY, V at the cells; RX-DELM results give
// the stored values (D times velocity, labelled "D*") and the velocities.
void WriteMicroAvsStep(TextOutput& out, const ModelStore& model, Simulator simulator,
                       NodeAverages& averages, int32_t& avs_step_count);
