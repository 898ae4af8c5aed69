// OutputFiles: every file a run writes is created here, so that one place
// knows what the run reads and writes. Inputs are registered as they are
// chosen; Create refuses a file that is one of them.
#pragma once

#include <memory>
#include <string>

#include "common/text_output.h"

class OutputFiles {
 public:
  // `path` is (or will be) read by this run; no output may be this file.
  void RegisterInput(const std::string& path);
  // Creates (or truncates) the file at `path` for writing; throws RunError
  // naming the file when it cannot.
  std::unique_ptr<TextOutput> Create(const std::string& path);
};
