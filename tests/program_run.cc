#include "program_run.h"

#include <fcntl.h>
#include <pty.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <csignal>
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

// How a child's standard streams are set up: input from `in_fd` (else the
// file `in_path`), output to `out_path`, error closed or to `err_path`; then
// `terminal_end` (a pseudo-terminal), when set, on `terminal_target`; no file
// may grow past `max_file_bytes` (if set).
struct Streams {
  int in_fd = -1;
  std::string in_path, out_path, err_path;
  int terminal = -1, terminal_end = -1, terminal_target = -1;
  std::string locale;
  bool close_err = false;
  long max_file_bytes = 0;
};

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

[[noreturn]] void ExecInChild(const std::string& dir, std::vector<char*>& argv, const Streams& io) {
  if (chdir(dir.c_str()) != 0) _exit(127);
  if (io.in_fd >= 0 && dup2(io.in_fd, STDIN_FILENO) < 0) _exit(127);
  if (io.in_fd < 0) RedirectOrDie(io.in_path, O_RDONLY, STDIN_FILENO);
  RedirectOrDie(io.out_path, O_WRONLY | O_CREAT | O_TRUNC, STDOUT_FILENO);
  if (io.close_err) {
    close(STDERR_FILENO);
  } else {
    RedirectOrDie(io.err_path, O_WRONLY | O_CREAT | O_TRUNC, STDERR_FILENO);
  }
  if (io.terminal_end >= 0) {
    if (dup2(io.terminal_end, io.terminal_target) < 0) _exit(127);
    close(io.terminal_end);
    close(io.terminal);
  }
  if (!io.locale.empty() && setenv("LC_ALL", io.locale.c_str(), 1) != 0) _exit(127);
  if (io.max_file_bytes > 0) {
    const rlimit limit{static_cast<rlim_t>(io.max_file_bytes),
                       static_cast<rlim_t>(io.max_file_bytes)};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(127);
  }
  alarm(60);  // a run that hangs is killed and reported as a crash
  execv(RXPOST_BINARY, argv.data());
  _exit(127);
}

pid_t Spawn(const std::string& dir, const std::vector<std::string>& args, const Streams& io) {
  std::vector<char*> argv{const_cast<char*>("rxpost")};
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  signal(SIGPIPE, SIG_IGN);  // a run that ends early must not end the test
  pid_t child = fork();
  if (child < 0) throw std::runtime_error("fork failed");
  if (child == 0) ExecInChild(dir, argv, io);
  return child;
}

pid_t Start(const std::string& dir, const std::string& answers,
            const std::vector<std::string>& args, const RunSetup& setup, int& terminal) {
  Streams io;
  io.in_path = dir + "/.answers", io.out_path = dir + "/.stdout", io.err_path = dir + "/.stderr";
  WriteWholeFile(io.in_path, answers);
  if (setup.terminal != Terminal::kNone) {
    OpenTerminal(setup.terminal, terminal, io.terminal_end);
    io.terminal = terminal;
    io.terminal_target = setup.terminal == Terminal::kStderr ? STDERR_FILENO : STDOUT_FILENO;
  }
  io.locale = setup.locale;
  const pid_t child = Spawn(dir, args, io);
  if (io.terminal_end >= 0) close(io.terminal_end);
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

LiveRun StartRxpost(const std::string& dir, const std::string& label,
                    const std::string& first_answers, const std::vector<std::string>& args,
                    bool close_stderr, long max_file_bytes) {
  LiveRun run{.out_path = dir + "/." + label + "-out", .err_path = dir + "/." + label + "-err"};
  int pipe_ends[2];  // close-on-exec: the child keeps only its copy on standard input
  if (pipe2(pipe_ends, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  Streams io;
  io.in_fd = pipe_ends[0], io.out_path = run.out_path, io.err_path = run.err_path;
  io.close_err = close_stderr, io.max_file_bytes = max_file_bytes;
  run.pid = Spawn(dir, args, io);
  close(pipe_ends[0]);
  run.answers = pipe_ends[1];
  if (write(run.answers, first_answers.data(), first_answers.size()) !=
      static_cast<ssize_t>(first_answers.size())) {
    throw std::runtime_error("cannot give the answers");
  }
  return run;
}

bool LiveRun::WaitForOutput(const std::string& text) const {
  for (int tries = 0; tries < 3000; ++tries) {
    if (FileExists(out_path) && ReadWholeFile(out_path).find(text) != std::string::npos) {
      return true;
    }
    usleep(10000);
  }
  return false;
}

int LiveRun::Wait() {
  if (answers >= 0) close(answers);
  answers = -1;
  int status = 0;
  waitpid(pid, &status, 0);
  return status;
}
