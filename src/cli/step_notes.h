// The note of `rxpost info` and `rxpost vtk` on a result file that ends inside
// a step, which is what a file looks like while a simulation writes it.
#pragma once

#include <string>

#include "reader/result_file.h"

// One note on standard error when `file` ends inside a step; none otherwise.
void NoteIncompleteStep(const std::string& result_path, const ResultFile& file);
