// RunError: the one way a run ends early because of something the user can
// mend (a missing file, a bad record, a reply that is not a number, a full
// disk). The message names the file or the question and what was wrong; the
// program prints it as one line on standard error and exits with status 2.
#pragma once

#include <stdexcept>
#include <string>

#include "common/shown_text.h"

struct RunError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// "NAME: WHAT", the shape of every RunError message; unprintable bytes of the
// name are escaped.
inline RunError ErrorAbout(const std::string& name, const std::string& what) {
  return RunError(EscapedText(name) + ": " + what);
}
