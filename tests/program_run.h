// Runs the rxpost program as a user would: in a folder of its own, with the
// answers of the dialogue on standard input (or with command-line arguments),
// capturing what it prints.
#pragma once

#include <sys/types.h>

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

// A run whose answers come as the test goes on (standard input is a pipe),
// caught waiting at a question; output and error go to files named by `label`.
struct LiveRun {
  pid_t pid = -1;
  int answers = -1;  // the write end of its standard input
  std::string out_path, err_path;

  // Waits until standard output holds `text`; false after 30 s.
  bool WaitForOutput(const std::string& text) const;
  // Closes standard input and waits for the end: the raw wait status.
  int Wait();
};

// With `close_stderr`, the run starts with standard error closed; with
// `max_file_bytes`, no file it writes may grow past that size.
LiveRun StartRxpost(const std::string& dir, const std::string& label,
                    const std::string& first_answers, const std::vector<std::string>& args = {},
                    bool close_stderr = false, long max_file_bytes = 0);
