#include "common/output_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>

#include "common/run_error.h"

namespace {

// The file `path` names now (links followed); nothing when there is none.
std::optional<struct stat> StatusOf(const std::string& path) {
  struct stat status;
  if (::stat(path.c_str(), &status) != 0) return std::nullopt;
  return status;
}

void RefuseNulInName(const std::string& path) {
  if (path.find('\0') != std::string::npos) throw ErrorAbout(path, "the name holds a NUL byte");
}

std::string CannotCreate(int error) {
  return std::string("cannot create file: ") + std::strerror(error);
}

}  // namespace

void OutputFiles::RegisterInput(const std::string& path) {
  RefuseNulInName(path);
  input_paths_.push_back(path);
  if (auto status = StatusOf(path)) inputs_.push_back({path, {status->st_dev, status->st_ino}});
}

void OutputFiles::RefuseKnownFile(const std::string& path, const FileId& id) const {
  for (const Known& input : inputs_) {
    if (input.id == id) {
      throw ErrorAbout(path, "is the file \"" + EscapedText(input.path) +
                                 "\" that this run reads; it is left untouched");
    }
  }
  // An input path may name a file now that did not exist when it was registered.
  for (const std::string& input : input_paths_) {
    auto status = StatusOf(input);
    if (status && FileId{status->st_dev, status->st_ino} == id) {
      throw ErrorAbout(path, "is the file \"" + EscapedText(input) +
                                 "\" that this run reads; it is left untouched");
    }
  }
  for (const Known& output : outputs_) {
    if (output.id == id) {
      throw ErrorAbout(
          path, "is the file \"" + EscapedText(output.path) + "\" that this run already writes");
    }
  }
}

void OutputFiles::RefuseKnown(const std::string& path) const {
  RefuseNulInName(path);
  if (auto status = StatusOf(path)) RefuseKnownFile(path, {status->st_dev, status->st_ino});
}

void OutputFiles::Forget(const std::string& path) {
  std::erase_if(outputs_, [&path](const Known& output) { return output.path == path; });
}

std::unique_ptr<TextOutput> OutputFiles::Create(const std::string& path) {
  return Open(path, false);
}

std::unique_ptr<TextOutput> OutputFiles::CreateOver(const std::string& path) {
  return Open(path, true);
}

std::unique_ptr<TextOutput> OutputFiles::CreateToRename(const std::string& path) {
  auto output = Open(path, false);
  // Its name soon names another file (or none), so it is no output to refuse.
  outputs_.pop_back();
  --files_created_;
  return output;
}

std::unique_ptr<TextOutput> OutputFiles::Open(const std::string& path, bool write_over) {
  RefuseNulInName(path);
  // Checked before opening, so that a read-only input is named as such too.
  const std::optional<struct stat> before = StatusOf(path);
  if (before) RefuseKnownFile(path, {before->st_dev, before->st_ino});
  // Opened without truncation, checked again on what was opened, then emptied.
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) throw ErrorAbout(path, CannotCreate(errno));
  struct stat status;
  try {
    if (::fstat(fd, &status) != 0) throw ErrorAbout(path, CannotCreate(errno));
    RefuseKnownFile(path, {status.st_dev, status.st_ino});
    if (!write_over && S_ISREG(status.st_mode) && ::ftruncate(fd, 0) != 0)
      throw ErrorAbout(path, CannotCreate(errno));
  } catch (const RunError&) {
    ::close(fd);
    if (!before) ::unlink(path.c_str());  // created here, for nothing
    throw;
  }
  outputs_.push_back({path, {status.st_dev, status.st_ino}});
  auto output = std::make_unique<TextOutput>(path, fd, true);
  if (write_over && S_ISREG(status.st_mode)) output->CutAtEndWhenDone();
  output->TallyBytesInto(&bytes_written_);
  ++files_created_;
  return output;
}
