#include "program_run.h"

#include <fcntl.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <stdexcept>

#include "test_files.h"

namespace {

// Which stream is a pseudo-terminal (none, standard error or standard
// output), and the locale of the run (empty: as inherited).
enum class Terminal { kNone, kStderr, kStdout };
struct RunSetup {
  Terminal terminal = Terminal::kNone;
  std::string locale;
};

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

// A pseudo-terminal; for standard output a raw one (no LF to CR LF: the
// bytes as written).
void OpenTerminal(Terminal kind, int& terminal, int& terminal_end) {
  if (openpty(&terminal, &terminal_end, nullptr, nullptr, nullptr) != 0) {
    throw std::runtime_error("openpty failed");
  }
  if (kind != Terminal::kStdout) return;
  struct termios raw;
  if (tcgetattr(terminal_end, &raw) != 0) throw std::runtime_error("tcgetattr failed");
  cfmakeraw(&raw);
  if (tcsetattr(terminal_end, TCSANOW, &raw) != 0) throw std::runtime_error("tcsetattr failed");
}

pid_t Start(const std::string& dir, const std::string& answers,
            const std::vector<std::string>& args, const RunSetup& setup, int& terminal) {
  const std::string in_path = dir + "/.answers", out_path = dir + "/.stdout",
                    err_path = dir + "/.stderr";
  WriteWholeFile(in_path, answers);
  int terminal_end = -1;
  if (setup.terminal != Terminal::kNone) OpenTerminal(setup.terminal, terminal, terminal_end);
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
    if (setup.terminal != Terminal::kNone) {
      const int target = setup.terminal == Terminal::kStderr ? STDERR_FILENO : STDOUT_FILENO;
      if (dup2(terminal_end, target) < 0) _exit(127);
      close(terminal_end);
      close(terminal);
    }
    if (!setup.locale.empty() && setenv("LC_ALL", setup.locale.c_str(), 1) != 0) _exit(127);
    alarm(60);  // a run that hangs is killed and reported as a crash
    execv(RXPOST_BINARY, argv.data());
    _exit(127);
  }
  if (terminal_end >= 0) close(terminal_end);
  return child;
}

ProgramRun Finish(const std::string& dir, pid_t child, int terminal, Terminal kind) {
  std::string terminal_text;
  if (terminal >= 0) {
    terminal_text = ReadTerminal(terminal);
    close(terminal);
  }
  int status = 0;
  waitpid(child, &status, 0);
  int exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return {exit_status, kind == Terminal::kStdout ? terminal_text : ReadWholeFile(dir + "/.stdout"),
          kind == Terminal::kStderr ? terminal_text : ReadWholeFile(dir + "/.stderr")};
}

ProgramRun Run(const std::string& dir, const std::string& answers,
               const std::vector<std::string>& args, const RunSetup& setup) {
  int terminal = -1;
  const pid_t child = Start(dir, answers, args, setup, terminal);
  return Finish(dir, child, terminal, setup.terminal);
}

RunSetup StderrOnTerminal(bool terminal_stderr) {
  return {terminal_stderr ? Terminal::kStderr : Terminal::kNone, ""};
}

}  // namespace

ProgramRun RunRxpost(const std::string& dir, const std::string& answers, bool terminal_stderr) {
  return Run(dir, answers, {}, StderrOnTerminal(terminal_stderr));
}

ProgramRun RunRxpostOnTerminal(const std::string& dir, const std::string& answers,
                               const std::string& locale) {
  return Run(dir, answers, {}, {Terminal::kStdout, locale});
}

StartedRun StartRxpostCommand(const std::string& dir, const std::vector<std::string>& args) {
  int terminal = -1;
  return {Start(dir, "", args, StderrOnTerminal(false), terminal), dir};
}

ProgramRun WaitForRun(const StartedRun& run) {
  return Finish(run.dir, run.pid, -1, Terminal::kNone);
}

ProgramRun RunRxpostCommand(const std::string& dir, const std::vector<std::string>& args,
                            bool terminal_stderr) {
  return Run(dir, "", args, StderrOnTerminal(terminal_stderr));
}
