// WriteVtuStep: the current step of the model as one VTK XML unstructured-grid
// file (.vtu) that ParaView and VTK read: the mesh (points at (x, y, 0),
// quadrilateral and triangle cells, inactive elements included and marked)
// with the step's node and element values. Every array is raw binary in the
// file's appended-data section, so that a big model is written at the speed
// of the disk.
//
// Point data: "total head", "pressure head" (RX-KORIN), "discharge",
// "velocity" (the element velocities averaged at the nodes as in the TECPLOT
// output) and "step number". Cell data: "attribute", "active" (1 or 0),
// "velocity" and, for RX-DELM, "layer flow" (the element values as stored,
// velocity times D) and "D". RX-KORIN stores velocities, so its cell
// "velocity" is the element values as stored.
#pragma once

#include <cstdint>

#include "common/text_output.h"
#include "model/model_store.h"
#include "model/node_averages.h"
#include "model/simulator.h"

// Writes the whole file to `out`, averaging into `averages`.
void WriteVtuStep(TextOutput& out, const ModelStore& model, Simulator simulator,
                  NodeAverages& averages);
