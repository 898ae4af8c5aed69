#include "common/output_files.h"

#include <sys/stat.h>

#include "common/run_error.h"

void OutputFiles::RegisterInput(const std::string& path) {
  struct stat status {};
  // An input that does not exist yet fails when it is opened; nothing to guard.
  if (::stat(path.c_str(), &status) != 0) return;
  inputs_.push_back({path, status.st_dev, status.st_ino});
}

void OutputFiles::RefuseInput(const std::string& path) const {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return;
  for (const Input& input : inputs_) {
    if (input.device == status.st_dev && input.inode == status.st_ino) {
      throw ErrorAbout(path, "is the input file " + input.path +
                                 " (the same file on disk); choose another output name");
    }
  }
}

std::unique_ptr<TextOutput> OutputFiles::Tallied(std::unique_ptr<TextOutput> output) {
  output->TallyBytesInto(&bytes_written_);
  ++files_created_;
  return output;
}

std::unique_ptr<TextOutput> OutputFiles::Create(const std::string& path) {
  RefuseInput(path);
  return Tallied(TextOutput::Create(path));
}

std::unique_ptr<TextOutput> OutputFiles::CreateOver(const std::string& path) {
  RefuseInput(path);
  return Tallied(TextOutput::CreateOver(path));
}
