// LockFile: exclusive locks that one process holds on parts of a lock file
// until it ends, honoured by every rxpost on the machine whether built for
// POSIX or for Windows. A run claims each fixed-name file it writes (AVS.tmp,
// the time-history tables) as one byte of the folder's lock file, at a
// position given by the name, so that two runs in one folder never write the
// same fixed-name file at once. The system drops the locks when the process
// ends, however it ends; the lock file itself stays, empty.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class LockFile {
 public:
  // Opens (creating) the lock file at `path`; throws RunError when it cannot.
  explicit LockFile(const std::string& path);
  ~LockFile();
  LockFile(const LockFile&) = delete;
  LockFile& operator=(const LockFile&) = delete;

  // Takes the lock for `name` without waiting; false when another process
  // holds it. Throws RunError when the system refuses to lock at all.
  bool TryClaim(std::string_view name);

 private:
  std::string path_;
  intptr_t handle_;  // a descriptor, or a Windows handle
};
