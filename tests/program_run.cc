#include "program_run.h"

#include <fcntl.h>
#include <pty.h>
#include <sys/wait.h>
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

pid_t Start(const std::string& dir, const std::string& answers,
            const std::vector<std::string>& args, bool terminal_stderr, int& terminal) {
  const std::string in_path = dir + "/.answers", out_path = dir + "/.stdout",
                    err_path = dir + "/.stderr";
  WriteWholeFile(in_path, answers);
  int terminal_end = -1;
  if (terminal_stderr && openpty(&terminal, &terminal_end, nullptr, nullptr, nullptr) != 0) {
    throw std::runtime_error("openpty failed");
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
    if (terminal_stderr) {
      if (dup2(terminal_end, STDERR_FILENO) < 0) _exit(127);
      close(terminal_end);
      close(terminal);
    } else {
      RedirectOrDie(err_path, O_WRONLY | O_CREAT | O_TRUNC, STDERR_FILENO);
    }
    alarm(60);  // a run that hangs is killed and reported as a crash
    execv(RXPOST_BINARY, argv.data());
    _exit(127);
  }
  if (terminal_stderr) close(terminal_end);
  return child;
}

ProgramRun Finish(const std::string& dir, pid_t child, int terminal) {
  std::string terminal_text;
  if (terminal >= 0) {
    terminal_text = ReadTerminal(terminal);
    close(terminal);
  }
  int status = 0;
  waitpid(child, &status, 0);
  int exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return {exit_status, ReadWholeFile(dir + "/.stdout"),
          terminal >= 0 ? terminal_text : ReadWholeFile(dir + "/.stderr")};
}

ProgramRun Run(const std::string& dir, const std::string& answers,
               const std::vector<std::string>& args, bool terminal_stderr) {
  int terminal = -1;
  const pid_t child = Start(dir, answers, args, terminal_stderr, terminal);
  return Finish(dir, child, terminal);
}

}  // namespace

ProgramRun RunRxpost(const std::string& dir, const std::string& answers, bool terminal_stderr) {
  return Run(dir, answers, {}, terminal_stderr);
}

StartedRun StartRxpostCommand(const std::string& dir, const std::vector<std::string>& args) {
  int terminal = -1;
  return {Start(dir, "", args, false, terminal), dir};
}

ProgramRun WaitForRun(const StartedRun& run) { return Finish(run.dir, run.pid, -1); }

ProgramRun RunRxpostCommand(const std::string& dir, const std::vector<std::string>& args,
                            bool terminal_stderr) {
  return Run(dir, "", args, terminal_stderr);
}
