// OutputFiles: every file a run writes is created here, so that one place
// knows what the run reads and writes. Inputs are registered as they are
// chosen; Create refuses a file that is one of them, or that an earlier output
// of the run already is, before anything in it is truncated. Files are
// compared by device and inode, so a link or another spelling of a path is
// the same file.
#pragma once

#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

#include "common/text_output.h"

class OutputFiles {
 public:
  // `path` is (or will be) read by this run; no output may be this file.
  void RegisterInput(const std::string& path);
  // Creates (or truncates) the file at `path` for writing; throws RunError
  // naming the file when it cannot, or when it is a file the run reads or
  // already writes.
  std::unique_ptr<TextOutput> Create(const std::string& path);

 private:
  struct FileId {
    dev_t device;
    ino_t inode;
    bool operator==(const FileId&) const = default;
  };
  struct Known {
    std::string path;
    FileId id;
  };

  // Throws when `id` (the file about to be written at `path`) is an input or
  // an earlier output.
  void RefuseKnownFile(const std::string& path, const FileId& id) const;

  std::vector<std::string> input_paths_;
  std::vector<Known> inputs_;  // as found when registered
  std::vector<Known> outputs_;
};
