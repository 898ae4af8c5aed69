// The INTERP kind (menu answer 6): follows picked nodes, elements and points
// through every step of the result file, whatever the step request.
//  - Prepare: reads PICKUP.INP, creates and heads the time-history tables,
//    writes the main file's heading (when there are points) and locates each
//    point in the mesh once.
//  - Step: one row per point to the main output file (StepTime, x, y, then
//    y + h and h for RX-KORIN results, or h and a closing comma for RX-DELM
//    results, h being the interpolated NodeHead), then one row per table.
#pragma once

#include <memory>

#include "writers/output_kind.h"

std::unique_ptr<KindRun> StartInterpKind(const KindContext& context);
