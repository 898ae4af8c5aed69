// The FEMAP kind (menu answer 3): one neutral file holding the model and its
// element group, written before the step question, then one output set per
// selected step, numbered 1, 2, 3 ... in the order they are written.
#pragma once

#include <memory>

#include "writers/output_kind.h"

std::unique_ptr<KindRun> StartFemapKind(const KindContext& context);
