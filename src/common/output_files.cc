#include "common/output_files.h"

#include <filesystem>
#include <optional>

#include "common/run_error.h"

namespace {

// The file `path` names now (links followed); nothing when there is none.
std::optional<platform::FileStatus> StatusOf(const std::string& path) {
  platform::FileStatus status;
  if (!platform::StatusOfPath(path, &status)) return std::nullopt;
  return status;
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

std::string CannotCreate() {
  return "cannot create file: " + platform::ErrorText(platform::LastError());
}

}  // namespace

void OutputFiles::RegisterInput(const std::string& path) {
  RefuseNulInName(path);
  input_paths_.push_back(path);
  if (auto status = StatusOf(path)) inputs_.push_back({path, status->id});
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
  const std::optional<platform::FileStatus> first = StatusOf(a), second = StatusOf(b);
  if (first && second) return first->id == second->id;
  return !first && !second && FullPath(a) == FullPath(b);
}

std::unique_ptr<TextOutput> OutputFiles::Create(const std::string& path) {
  RefuseNulInName(path);
  const std::optional<platform::FileStatus> before = StatusOf(path);
  if (before && before->kind != platform::FileKind::kRegular) return OpenDirect(path);
  unsigned mode = 0;
  if (before) {
    RefuseKnownFile(path, before->id);
    mode = before->mode;
  }
  RefuseKnownName(path);
  // A link stays a link: the file it leads to is the one replaced.
  const std::string target = platform::IsLink(path) ? FullPath(path) : path;
  auto pending = PendingOutput::Staged(target, path, mode);
  const platform::FileHandle file = pending->file();
  new_outputs_.push_back(path);
  auto output = std::make_unique<TextOutput>(path, file, true);
  output->SetPending(std::move(pending));
  output->TallyBytesInto(&bytes_written_);
  ++files_created_;
  return output;
}

void OutputFiles::RefuseKnown(const std::string& path) const {
  RefuseNulInName(path);
  if (auto status = StatusOf(path)) RefuseKnownFile(path, status->id);
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
  auto output = std::make_unique<TextOutput>(path, pending->file(), true);
  output->SetPending(std::move(pending));
  output->TallyBytesInto(&bytes_written_);
  return output;
}

// A device or a pipe: written as it is, from its start.
std::unique_ptr<TextOutput> OutputFiles::OpenDirect(const std::string& path) {
  const platform::FileHandle file = platform::OpenToWrite(path, false);
  if (file == platform::kNoFile) throw ErrorAbout(path, CannotCreate());
  platform::FileStatus status;
  try {
    if (!platform::StatusOf(file, &status)) throw ErrorAbout(path, CannotCreate());
    RefuseKnownFile(path, status.id);
    RefuseKnownName(path);
  } catch (const RunError&) {
    platform::Close(file);
    throw;
  }
  outputs_.push_back({path, status.id});
  auto output = std::make_unique<TextOutput>(path, file, true);
  output->SetPending(PendingOutput::Direct(path));
  output->TallyBytesInto(&bytes_written_);
  ++files_created_;
  return output;
}
