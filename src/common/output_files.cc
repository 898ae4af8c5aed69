#include "common/output_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>

#include "common/run_error.h"

namespace {

// The file `path` names now (links followed); nothing when there is none.
std::optional<struct stat> StatusOf(const std::string& path) {
  struct stat status;
  if (::stat(path.c_str(), &status) != 0) return std::nullopt;
  return status;
}

bool IsLink(const std::string& path) {
  struct stat status;
  return ::lstat(path.c_str(), &status) == 0 && S_ISLNK(status.st_mode);
}

// `path` in full, with its links resolved, also one that leads to a file yet
// to be made.
std::string FullPath(const std::string& path) {
  namespace fs = std::filesystem;
  fs::path full = path;
  std::error_code error;
  for (int hops = 0; hops < 40 && fs::is_symlink(fs::symlink_status(full, error)); ++hops) {
    full = full.parent_path() / fs::read_symlink(full, error);
  }
  full = fs::weakly_canonical(full, error);
  return error ? path : full.string();
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
  for (const Known& output : outputs_) {
    if (output.id == id) {
      throw ErrorAbout(
          path, "is the file \"" + EscapedText(output.path) + "\" that this run already writes");
    }
  }
}

void OutputFiles::RefuseKnownName(const std::string& path) const {
  for (const std::string& input : input_paths_) {
    if (SameFile(input, path)) {
      throw ErrorAbout(path, "is the file \"" + EscapedText(input) +
                                 "\" that this run reads; it is left untouched");
    }
  }
  for (const std::string& output : new_outputs_) {
    if (SameFile(output, path)) {
      throw ErrorAbout(path,
                       "is the file \"" + EscapedText(output) + "\" that this run already writes");
    }
  }
}

bool OutputFiles::SameFile(const std::string& a, const std::string& b) {
  const std::optional<struct stat> first = StatusOf(a), second = StatusOf(b);
  if (first && second) return first->st_dev == second->st_dev && first->st_ino == second->st_ino;
  return !first && !second && FullPath(a) == FullPath(b);
}

std::unique_ptr<TextOutput> OutputFiles::Create(const std::string& path) {
  RefuseNulInName(path);
  const std::optional<struct stat> before = StatusOf(path);
  if (before && !S_ISREG(before->st_mode)) return OpenDirect(path);
  std::optional<unsigned> mode;
  if (before) {
    RefuseKnownFile(path, {before->st_dev, before->st_ino});
    mode = before->st_mode & 07777;
  }
  RefuseKnownName(path);
  // A link stays a link: the file it leads to is the one replaced.
  const std::string target = IsLink(path) ? FullPath(path) : path;
  auto pending = PendingOutput::Staged(target, path, mode);
  const int fd = pending->fd();
  new_outputs_.push_back(path);
  auto output = std::make_unique<TextOutput>(path, fd, true);
  output->SetPending(std::move(pending));
  output->TallyBytesInto(&bytes_written_);
  ++files_created_;
  return output;
}

void OutputFiles::RefuseKnown(const std::string& path) const {
  RefuseNulInName(path);
  if (auto status = StatusOf(path)) RefuseKnownFile(path, {status->st_dev, status->st_ino});
  RefuseKnownName(path);
}

void OutputFiles::Forget(const std::string& path) {
  std::erase_if(outputs_, [&path](const Known& output) { return output.path == path; });
  std::erase(new_outputs_, path);
}

std::unique_ptr<TextOutput> OutputFiles::CreateToRename(const std::string& path) {
  RefuseNulInName(path);
  RefuseKnown(path);
  auto pending = PendingOutput::Scratch(path);
  auto output = std::make_unique<TextOutput>(path, pending->fd(), true);
  output->SetPending(std::move(pending));
  output->TallyBytesInto(&bytes_written_);
  return output;
}

// A device or a pipe: written as it is, from its start.
std::unique_ptr<TextOutput> OutputFiles::OpenDirect(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) throw ErrorAbout(path, CannotCreate(errno));
  struct stat status;
  try {
    if (::fstat(fd, &status) != 0) throw ErrorAbout(path, CannotCreate(errno));
    RefuseKnownFile(path, {status.st_dev, status.st_ino});
    RefuseKnownName(path);
  } catch (const RunError&) {
    ::close(fd);
    throw;
  }
  outputs_.push_back({path, {status.st_dev, status.st_ino}});
  auto output = std::make_unique<TextOutput>(path, fd, true);
  output->SetPending(PendingOutput::Direct(path));
  output->TallyBytesInto(&bytes_written_);
  ++files_created_;
  return output;
}
