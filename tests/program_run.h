// Runs the rxpost program as a user would: in a folder of its own, with the
// answers of the dialogue on standard input, capturing what it prints.
#pragma once

#include <string>

struct ProgramRun {
  int exit_status;  // -1 when the program did not exit normally (a crash or hang)
  std::string out;
  std::string err;
};

ProgramRun RunRxpost(const std::string& dir, const std::string& answers);
