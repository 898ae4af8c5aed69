// Notes: one line on standard error when an answer or a file does something
// the user may not expect (a name cut short, a question asked again, nothing
// written). Standard output and the output files never carry them.
#pragma once

#include <iostream>
#include <string_view>

inline void WriteNote(std::string_view text) { std::cerr << "rxpost: note: " << text << '\n'; }
