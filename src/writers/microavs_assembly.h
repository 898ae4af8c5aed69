// AssembleMicroAvsFile: the MicroAVS UCD file in its multi-step form with a
// fixed mesh, put together after the pass over the steps: a head (comment
// line, number of steps, "data"), the step line of the first block, the mesh
// (nodes and cells), then every step block of the temporary file, copied line
// by line at fixed widths. And the MicroAVS kind (menu answer 4), which writes
// the step blocks to "AVS.tmp" during the pass and assembles the main output
// file from it after the pass; "AVS.tmp" is left in the working directory.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "common/text_output.h"
#include "model/model_store.h"
#include "model/simulator.h"
#include "writers/output_kind.h"

// Writes the whole UCD file to `out`; the blocks are read from the file named
// temp_file_name, which holds avs_step_count blocks of the simulator's layout
// (see WriteMicroAvsStep). Each copied line is padded with blanks (or cut) to
// the width of its kind of line. With no block, only the head is written and
// the temporary file is not read. Throws RunError naming the temporary file
// when it cannot be read or ends before its last block does.
void AssembleMicroAvsFile(TextOutput& out, const ModelStore& model, Simulator simulator,
                          int32_t avs_step_count, const std::string& temp_file_name);

// The temporary file of the MicroAVS kind, in the working directory.
inline constexpr std::string_view kAvsTempFile = "AVS.tmp";

std::unique_ptr<KindRun> StartMicroAvsKind(const KindContext& context);
