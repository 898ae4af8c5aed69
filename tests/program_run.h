// Runs the rxpost program as a user would: in a folder of its own, with the
// answers of the dialogue on standard input (or with command-line arguments),
// capturing what it prints.
#pragma once

#include <string>
#include <vector>

struct ProgramRun {
  int exit_status;  // -1 when the program did not exit normally (a crash or hang)
  std::string out;
  std::string err;
};

// Standard error is a file, or a pseudo-terminal when `terminal_stderr`.
ProgramRun RunRxpost(const std::string& dir, const std::string& answers,
                     bool terminal_stderr = false);
// Standard output is a pseudo-terminal that passes the bytes as they are, in
// the locale `locale` (LC_ALL); standard error is a file.
ProgramRun RunRxpostOnTerminal(const std::string& dir, const std::string& answers,
                               const std::string& locale);
// `rxpost args...` started with no input, left running until WaitForRun.
struct StartedRun {
  int pid;
  std::string dir;
};
StartedRun StartRxpostCommand(const std::string& dir, const std::vector<std::string>& args);
ProgramRun WaitForRun(const StartedRun& run);
// `rxpost args...` with no input.
ProgramRun RunRxpostCommand(const std::string& dir, const std::vector<std::string>& args,
                            bool terminal_stderr = false);
