// The FEMAP neutral file expected from a run over every step of a made model
// (sets numbered from 1), worked out with plain loops independently of the
// program, and its comparison with a written file: fixed-column lines byte
// for byte, free-form lines field by field (split at commas, items at blanks;
// single-precision reals equal as 4-byte reals and written with at most 9
// digits, double-precision ones equal as 8-byte reals).
#pragma once

#include <string>

#include "result_file_maker.h"

void ExpectFemapFileOf(const MadeModel& model, const std::string& written);
