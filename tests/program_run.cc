#include "program_run.h"

#include <fcntl.h>
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

}  // namespace

ProgramRun RunRxpost(const std::string& dir, const std::string& answers) {
  const std::string in_path = dir + "/.answers", out_path = dir + "/.stdout",
                    err_path = dir + "/.stderr";
  WriteWholeFile(in_path, answers);
  pid_t child = fork();
  if (child < 0) throw std::runtime_error("fork failed");
  if (child == 0) {
    if (chdir(dir.c_str()) != 0) _exit(127);
    RedirectOrDie(in_path, O_RDONLY, STDIN_FILENO);
    RedirectOrDie(out_path, O_WRONLY | O_CREAT | O_TRUNC, STDOUT_FILENO);
    RedirectOrDie(err_path, O_WRONLY | O_CREAT | O_TRUNC, STDERR_FILENO);
    alarm(60);  // a run that hangs is killed and reported as a crash
    execl(RXPOST_BINARY, "rxpost", static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  waitpid(child, &status, 0);
  int exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return {exit_status, ReadWholeFile(out_path), ReadWholeFile(err_path)};
}
