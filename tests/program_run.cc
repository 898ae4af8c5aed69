#include "program_run.h"

#include <fcntl.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <stdexcept>

#include "test_files.h"

namespace {

void RedirectOrDie(const std::string& path, int flags, int target) {
  int fd = open(path.c_str(), flags, 0644);
  if (fd < 0 || dup2(fd, target) < 0) _exit(127);
  close(fd);
}

// Everything the program writes to the terminal, until it closes it.
std::string ReadTerminal(int terminal) {
  std::string text;
  char buffer[4096];
  for (ssize_t size; (size = read(terminal, buffer, sizeof buffer)) > 0;) text.append(buffer, size);
  return text;
}

// Which stream is a pseudo-terminal, and the locale of the run (none: as
// inherited).
struct RunSetup {
  bool terminal_stderr = false;
  bool terminal_stdout = false;
  std::string locale;
};

ProgramRun Run(const std::string& dir, const std::string& answers,
               const std::vector<std::string>& args, const RunSetup& setup) {
  const bool terminal_stderr = setup.terminal_stderr;
  const bool on_terminal = setup.terminal_stderr || setup.terminal_stdout;
  const std::string in_path = dir + "/.answers", out_path = dir + "/.stdout",
                    err_path = dir + "/.stderr";
  WriteWholeFile(in_path, answers);
  int terminal = -1, terminal_end = -1;
  if (on_terminal && openpty(&terminal, &terminal_end, nullptr, nullptr, nullptr) != 0) {
    throw std::runtime_error("openpty failed");
  }
  if (setup.terminal_stdout) {
    struct termios raw;  // no LF to CR LF: the bytes as written
    if (tcgetattr(terminal_end, &raw) != 0) throw std::runtime_error("tcgetattr failed");
    cfmakeraw(&raw);
    if (tcsetattr(terminal_end, TCSANOW, &raw) != 0) throw std::runtime_error("tcsetattr failed");
  }
  std::vector<char*> argv{const_cast<char*>("rxpost")};
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  pid_t child = fork();
  if (child < 0) throw std::runtime_error("fork failed");
  if (child == 0) {
    if (chdir(dir.c_str()) != 0) _exit(127);
    RedirectOrDie(in_path, O_RDONLY, STDIN_FILENO);
    RedirectOrDie(out_path, O_WRONLY | O_CREAT | O_TRUNC, STDOUT_FILENO);
    RedirectOrDie(err_path, O_WRONLY | O_CREAT | O_TRUNC, STDERR_FILENO);
    if (on_terminal) {
      const int target = terminal_stderr ? STDERR_FILENO : STDOUT_FILENO;
      if (dup2(terminal_end, target) < 0) _exit(127);
      close(terminal_end);
      close(terminal);
    }
    if (!setup.locale.empty() && setenv("LC_ALL", setup.locale.c_str(), 1) != 0) _exit(127);
    alarm(60);  // a run that hangs is killed and reported as a crash
    execv(RXPOST_BINARY, argv.data());
    _exit(127);
  }
  std::string terminal_text;
  if (on_terminal) {
    close(terminal_end);
    terminal_text = ReadTerminal(terminal);
    close(terminal);
  }
  int status = 0;
  waitpid(child, &status, 0);
  int exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  if (setup.terminal_stdout) return {exit_status, terminal_text, ReadWholeFile(err_path)};
  return {exit_status, ReadWholeFile(out_path),
          terminal_stderr ? terminal_text : ReadWholeFile(err_path)};
}

}  // namespace

ProgramRun RunRxpost(const std::string& dir, const std::string& answers, bool terminal_stderr) {
  return Run(dir, answers, {},
             {.terminal_stderr = terminal_stderr, .terminal_stdout = false, .locale = ""});
}

ProgramRun RunRxpostOnTerminal(const std::string& dir, const std::string& answers,
                               const std::string& locale) {
  return Run(dir, answers, {},
             {.terminal_stderr = false, .terminal_stdout = true, .locale = locale});
}

ProgramRun RunRxpostCommand(const std::string& dir, const std::vector<std::string>& args,
                            bool terminal_stderr) {
  return Run(dir, "", args,
             {.terminal_stderr = terminal_stderr, .terminal_stdout = false, .locale = ""});
}
