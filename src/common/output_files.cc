#include "common/output_files.h"

#include <optional>

#include "common/run_error.h"

namespace {

// The file `path` names now (links followed); nothing when there is none.
std::optional<platform::FileStatus> StatusOf(const std::string& path) {
  platform::FileStatus status;
  if (!platform::StatusOfPath(path, &status)) return std::nullopt;
  return status;
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
  // An input path may name a file now that did not exist when it was registered.
  for (const std::string& input : input_paths_) {
    auto status = StatusOf(input);
    if (status && status->id == id) {
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
  if (auto status = StatusOf(path)) RefuseKnownFile(path, status->id);
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
  const std::optional<platform::FileStatus> before = StatusOf(path);
  if (before) RefuseKnownFile(path, before->id);
  // Opened without truncation, checked again on what was opened, then emptied.
  const platform::FileHandle file = platform::OpenToWrite(path, false);
  if (file == platform::kNoFile) throw ErrorAbout(path, CannotCreate());
  platform::FileStatus status;
  try {
    if (!platform::StatusOf(file, &status)) throw ErrorAbout(path, CannotCreate());
    RefuseKnownFile(path, status.id);
    if (!write_over && status.kind == platform::FileKind::kRegular && !platform::CutAt(file, 0))
      throw ErrorAbout(path, CannotCreate());
  } catch (const RunError&) {
    platform::Close(file);
    if (!before) platform::Remove(path);  // created here, for nothing
    throw;
  }
  const bool regular = status.kind == platform::FileKind::kRegular;
  outputs_.push_back({path, status.id});
  auto output = std::make_unique<TextOutput>(path, file, true);
  if (write_over && regular) output->CutAtEndWhenDone();
  output->TallyBytesInto(&bytes_written_);
  ++files_created_;
  return output;
}
