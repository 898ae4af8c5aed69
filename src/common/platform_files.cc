#include "common/platform_files.h"

#include <fcntl.h>
#include <sys/stat.h>

#ifdef _WIN32

#include <io.h>

// Windows has no permission bits to carry over: the new file is writable.
int CreateNewFile(const std::string& path, std::optional<unsigned>) {
  return ::_open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                 _S_IREAD | _S_IWRITE);
}

#else

int CreateNewFile(const std::string& path, std::optional<unsigned> mode) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd >= 0 && mode) (void)!::fchmod(fd, static_cast<mode_t>(*mode));
  return fd;
}

#endif
