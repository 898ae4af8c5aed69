// FollowGrowth: `rxpost vtk --follow` once the steps present are written:
// waits for the result file to grow (without spinning, see
// common/platform_file_watch.h), reads only the new bytes, and puts each new
// complete step into the collection, replacing the .pvd. It returns at a stop
// request (Ctrl-C, SIGTERM) or after `idle_seconds` without a new step, and
// throws RunError when the file shrinks, is replaced, or its title, mesh or
// steps already read change (a new run began); the collection in place always
// lists exactly the complete step files.
#pragma once

#include <string>

#include "cli/vtk_command.h"
#include "cli/vtk_steps.h"
#include "common/progress_line.h"
#include "model/model_store.h"
#include "reader/result_file.h"
#include "writers/pvd_collection.h"

// Returns the note to give when it ends for --idle, else "".
std::string FollowGrowth(const VtkOptions& options, ResultFile& file, ModelStore& model,
                         VtkSteps& steps, PvdCollection& collection, ProgressLine& progress);
