#include "common/platform_lock.h"

#include <cerrno>
#include <cstring>

#include "common/run_error.h"

namespace {

// The byte of the lock file that stands for `name` (FNV-1a): the same in
// every build, and two names sharing a byte only make two runs wait for each
// other needlessly.
uint32_t ByteOf(std::string_view name) {
  uint32_t hash = 2166136261u;
  for (char c : name) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
  return hash & 0x3fffffffu;
}

}  // namespace

#ifdef _WIN32

#include <windows.h>

LockFile::LockFile(const std::string& path) : path_(path) {
  HANDLE handle = ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    throw ErrorAbout(
        path, "cannot open the lock file (Windows error " + std::to_string(::GetLastError()) + ")");
  }
  handle_ = reinterpret_cast<intptr_t>(handle);
}

LockFile::~LockFile() { ::CloseHandle(reinterpret_cast<HANDLE>(handle_)); }

bool LockFile::TryClaim(std::string_view name) {
  OVERLAPPED where = {};
  where.Offset = ByteOf(name);
  if (::LockFileEx(reinterpret_cast<HANDLE>(handle_),
                   LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &where)) {
    return true;
  }
  if (::GetLastError() == ERROR_LOCK_VIOLATION) return false;
  throw ErrorAbout(
      path_, "cannot lock the lock file (Windows error " + std::to_string(::GetLastError()) + ")");
}

#else

#include <fcntl.h>
#include <unistd.h>

LockFile::LockFile(const std::string& path) : path_(path) {
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0)
    throw ErrorAbout(path, std::string("cannot open the lock file: ") + std::strerror(errno));
  handle_ = fd;
}

LockFile::~LockFile() { ::close(static_cast<int>(handle_)); }

bool LockFile::TryClaim(std::string_view name) {
  struct flock lock = {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  lock.l_start = ByteOf(name);
  lock.l_len = 1;
  if (::fcntl(static_cast<int>(handle_), F_SETLK, &lock) == 0) return true;
  if (errno == EACCES || errno == EAGAIN) return false;
  throw ErrorAbout(path_, std::string("cannot lock the lock file: ") + std::strerror(errno));
}

#endif
