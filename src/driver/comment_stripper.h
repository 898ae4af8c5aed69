// The data-file conversion mode: copies an analysis data file to
// "ANALYSIS.DAT" without its comment lines (a "#" in column 1, or the
// Shift-JIS full-width number sign as its first two bytes) and without the
// trailing blanks of the other lines, which are kept at least 5 columns long.
// Lines are cut at 200 columns (with a note on standard error); other bytes
// pass through untouched.
//
// The input must be a readable regular file, and not "ANALYSIS.DAT" itself,
// before "ANALYSIS.DAT" is opened; lines are read in bounded memory.
#pragma once

#include <streambuf>
#include <string>
#include <string_view>

#include "common/text_output.h"
#include "driver/console.h"

inline constexpr std::string_view kStrippedFileName = "ANALYSIS.DAT";

// Asks for the input file's name and copies it; ends at the input's end.
void RunCommentStripping(Console& console);

// Copies every line of `input` to `output` as described above; `console`
// gets the "NMCLM" report of each line blank from column 5 on. `input_name`
// names the input in notes.
void StripComments(std::streambuf& input, const std::string& input_name, TextOutput& output,
                   TextOutput& console);
