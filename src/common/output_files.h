// OutputFiles: every file a run writes is created here, so that one place
// knows what the run reads and writes. Inputs are registered as they are
// chosen; Create refuses a file that is one of them (the same device and
// inode, so a link or another spelling of the path counts too). It also
// tallies the files it created and the bytes written to them.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/text_output.h"

class OutputFiles {
 public:
  // `path` is (or will be) read by this run; no output may be this file.
  void RegisterInput(const std::string& path);
  // Creates (or truncates) the file at `path` for writing; throws RunError
  // naming the file when it cannot, or when it is a registered input. The
  // returned output must not outlive this OutputFiles (it tallies into it).
  std::unique_ptr<TextOutput> Create(const std::string& path);
  // The same for a file written over in place (TextOutput::CreateOver).
  std::unique_ptr<TextOutput> CreateOver(const std::string& path);

  int64_t FilesCreated() const { return files_created_; }
  // Bytes handed to the system so far by every file created here.
  uint64_t BytesWritten() const { return bytes_written_; }

 private:
  // Throws when `path` is a registered input.
  void RefuseInput(const std::string& path) const;
  std::unique_ptr<TextOutput> Tallied(std::unique_ptr<TextOutput> output);

  struct Input {
    std::string path;
    dev_t device;
    ino_t inode;
  };
  std::vector<Input> inputs_;
  int64_t files_created_ = 0;
  uint64_t bytes_written_ = 0;
};
