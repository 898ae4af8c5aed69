// WriteFemapModel and WriteFemapGroup: the parts of a FEMAP neutral file that
// do not change from step to step. The model writer gives the header (block
// 100), the one material (401), the properties (402), the nodes (403) and the
// elements (404); the group writer gives one element group (408) listing the
// active elements. The block ids and markers are in femap_blocks.h.
#pragma once

#include <cstdint>

#include "common/text_output.h"
#include "model/model_store.h"

// Appends blocks 100, 401, 402, 403 and 404 to `out`. Properties run from 1
// to the largest element attribute (at least 1) whatever attributes occur;
// an element is a quadrilateral unless it is a triangle (ElemColumns), which
// is written on its first three corners.
void WriteFemapModel(TextOutput& out, const ModelStore& model);

// Raises `group_counter` and appends block 408, a group of that number
// holding every element with an attribute above 0, in element order.
void WriteFemapGroup(TextOutput& out, const ModelStore& model, int32_t& group_counter);
