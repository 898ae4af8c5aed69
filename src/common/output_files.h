// OutputFiles: every file a run writes is created here, so that one place
// knows what the run reads and writes. Inputs are registered as they are
// chosen; Create refuses a file that is one of them, or that an earlier output
// of the run already is. Files are compared by their identity
// (platform::FileId; a file yet to be made, by its full path), so a link or another spelling of a
// path is the same file. A regular file is written as a new file beside it that takes its place
// when finished (common/pending_output.h): until then the file is left as it was. It also tallies
// the files it created and the bytes written to them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/platform.h"
#include "common/text_output.h"

class OutputFiles {
 public:
  // `path` is (or will be) read by this run; no output may be this file.
  void RegisterInput(const std::string& path);
  // Begins the file at `path`, which its output's Finish puts in place;
  // throws RunError naming the file when it cannot, or when it is a file the
  // run reads or already writes. The returned output must not outlive this
  // OutputFiles (it tallies into it).
  std::unique_ptr<TextOutput> Create(const std::string& path);
  // Whether `a` and `b` name one file (existing or yet to be made).
  static bool SameFile(const std::string& a, const std::string& b);

  // For a file that the caller renames over another once written (and
  // finished): made at `path` itself, removed when dropped unfinished or on an
  // interrupt. It is not kept as an output of the run (nor counted in
  // FilesCreated), since its name soon names no file.
  std::unique_ptr<TextOutput> CreateToRename(const std::string& path);
  // Throws RunError, as Create would, when `path` names a file this run reads
  // or writes; creates nothing (for a file that is put in place by renaming).
  void RefuseKnown(const std::string& path) const;
  // The file at `path`, created here, is gone: it is no longer an output.
  void Forget(const std::string& path);

  int64_t FilesCreated() const { return files_created_; }
  // Bytes handed to the system so far by every file created here.
  uint64_t BytesWritten() const { return bytes_written_; }

 private:
  using FileId = platform::FileId;
  struct Known {
    std::string path;
    FileId id;
  };

  // Throws when `id` (the file about to be written at `path`) is an input as
  // registered or an output written directly.
  void RefuseKnownFile(const std::string& path, const FileId& id) const;
  // Throws when `path` names an input or an output begun earlier (a file
  // yet to be made, or one that was made since).
  void RefuseKnownName(const std::string& path) const;
  std::unique_ptr<TextOutput> OpenDirect(const std::string& path);

  std::vector<std::string> input_paths_;
  std::vector<Known> inputs_;  // as found when registered
  std::vector<Known> outputs_;
  std::vector<std::string> new_outputs_;  // written as new files beside them
  int64_t files_created_ = 0;
  uint64_t bytes_written_ = 0;
};
