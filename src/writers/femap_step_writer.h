// WriteFemapStep: one time step as one output set of a FEMAP neutral file:
// the set (block 450) and its fourteen result vectors (block 451): head and
// flow at the nodes, three velocity vectors at the nodes from the stored
// element values and three from those values divided by ElemD, and the same
// two families of three at the elements. The stored values are titled with a
// "D*" prefix.
#pragma once

#include <cstdint>

#include "common/text_output.h"
#include "model/model_store.h"
#include "model/node_averages.h"

// Averages the element values at the nodes into `averages` (every element,
// whatever its attribute, at each of its non-zero corners, so a fourth
// corner that repeats the third counts twice: AverageAtEveryNonZeroCorner),
// then raises `set_counter` and appends the output set of that number.
// Each vector heads its values with its smallest, largest and largest
// absolute value and the numbers of the entities holding the first two (the
// lowest number on ties; zeros and numbers 1 and 1 when it has no entities).
void WriteFemapStep(TextOutput& out, const ModelStore& model, NodeAverages& averages,
                    int32_t& set_counter);
