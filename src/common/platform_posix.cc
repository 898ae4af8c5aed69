// The platform layer on POSIX systems (Linux).
#include <fcntl.h>
#include <iconv.h>
#include <langinfo.h>
#include <sched.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "common/platform.h"

namespace platform {

namespace {

int Descriptor(FileHandle file) { return static_cast<int>(file); }

FileKind KindOf(mode_t mode) {
  if (S_ISREG(mode)) return FileKind::kRegular;
  if (S_ISDIR(mode)) return FileKind::kDirectory;
  if (S_ISCHR(mode) || S_ISBLK(mode)) return FileKind::kDevice;
  if (S_ISFIFO(mode)) return FileKind::kPipe;
  return FileKind::kOther;
}

void Fill(const struct stat& from, FileStatus* status) {
  status->id = {static_cast<uint64_t>(from.st_dev), static_cast<uint64_t>(from.st_ino)};
  status->kind = KindOf(from.st_mode);
  status->size = static_cast<int64_t>(from.st_size);
  status->mode = static_cast<unsigned>(from.st_mode & 07777);
}

// Repeats a call that a signal interrupted.
template <typename Call>
int64_t Retrying(Call call) {
  for (;;) {
    const ssize_t done = call();
    if (done >= 0 || errno != EINTR) return static_cast<int64_t>(done);
  }
}

// Code page 932 to UTF-8 through the C library's converter. A byte that is
// no code page 932 text goes out as it is.
class Utf8Terminal : public ConsoleText {
 public:
  Utf8Terminal(int fd, iconv_t converter) : fd_(fd), converter_(converter) {}
  ~Utf8Terminal() override { iconv_close(converter_); }

  bool Write(const char* data, size_t size) override {
    pending_.append(data, size);
    std::string shown;
    char* in = pending_.data();
    size_t in_left = pending_.size();
    while (in_left > 0) {
      char out[4096];
      char* out_at = out;
      size_t out_left = sizeof out;
      const size_t done = iconv(converter_, &in, &in_left, &out_at, &out_left);
      shown.append(out, static_cast<size_t>(out_at - out));
      if (done != static_cast<size_t>(-1) || errno == E2BIG) continue;
      if (errno == EINVAL) break;  // a lead byte waiting for its second byte
      shown.push_back(*in++);      // EILSEQ
      --in_left;
    }
    pending_.erase(0, pending_.size() - in_left);
    return WriteAll(shown);
  }

 private:
  bool WriteAll(std::string_view text) {
    while (!text.empty()) {
      const int64_t done = Retrying([&] { return ::write(fd_, text.data(), text.size()); });
      if (done <= 0) return false;
      text.remove_prefix(static_cast<size_t>(done));
    }
    return true;
  }

  int fd_;
  iconv_t converter_;
  std::string pending_;
};

}  // namespace

int LastError() { return errno; }
std::string ErrorText(int error) { return std::strerror(error); }
bool IsMissingFile(int error) { return error == ENOENT; }

FileHandle OpenToRead(const std::string& path) {
  return ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
}

FileHandle OpenToWrite(const std::string& path, bool empty) {
  return ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | (empty ? O_TRUNC : 0), 0666);
}

FileHandle CreateNew(const std::string& path, unsigned mode) {
  // Open for reading too: a file may copy its own earlier bytes to its end.
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd >= 0 && mode != 0) (void)!::fchmod(fd, static_cast<mode_t>(mode));
  return fd;
}

void Close(FileHandle file) { ::close(Descriptor(file)); }
bool Remove(const std::string& path) { return Remove(path.c_str()); }
bool Remove(const char* path) { return ::unlink(path) == 0; }
bool Rename(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}

int64_t Read(FileHandle file, char* buffer, size_t size) {
  return Retrying([&] { return ::read(Descriptor(file), buffer, size); });
}

int64_t ReadAt(FileHandle file, char* buffer, size_t size, int64_t offset) {
  return Retrying([&] { return ::pread(Descriptor(file), buffer, size, offset); });
}

int64_t Write(FileHandle file, const char* data, size_t size) {
  return Retrying([&] { return ::write(Descriptor(file), data, size); });
}

bool CutAt(FileHandle file, int64_t length) {
  return ::ftruncate(Descriptor(file), static_cast<off_t>(length)) == 0;
}

bool SetAsideBlocks(FileHandle file, int64_t offset, int64_t bytes) {
#ifdef __linux__
  return ::fallocate(Descriptor(file), 0, static_cast<off_t>(offset), static_cast<off_t>(bytes)) ==
         0;
#else
  (void)file, (void)offset, (void)bytes;
  return false;
#endif
}

bool SkipAhead(FileHandle file, int64_t bytes) {
  return ::lseek(Descriptor(file), static_cast<off_t>(bytes), SEEK_CUR) >= 0;
}

namespace {

// Copies by the system as much of the bytes as it will; the bytes copied, or
// -1 after a failure other than the system refusing to copy (or the source
// ending early, which reading finds too).
int64_t CopyBySystem(int file, int64_t from, int64_t to, int64_t size) {
  int64_t copied = 0;
#ifdef __linux__
  while (copied < size) {
    loff_t source = static_cast<loff_t>(from + copied), target = static_cast<loff_t>(to + copied);
    const ssize_t got =
        ::copy_file_range(file, &source, file, &target, static_cast<size_t>(size - copied), 0);
    if (got > 0) {
      copied += got;
    } else if (got == 0 || errno == ENOSYS || errno == EXDEV || errno == EOPNOTSUPP ||
               errno == EINVAL) {
      break;
    } else if (errno != EINTR) {
      return -1;
    }
  }
#else
  (void)file, (void)from, (void)to, (void)size;
#endif
  return copied;
}

// Copies through a buffer of this process.
bool CopyByReading(FileHandle file, int64_t from, int64_t to, int64_t size) {
  constexpr int64_t kPart = 1 << 20;
  const std::unique_ptr<char[]> buffer(new char[kPart]);
  for (int64_t done = 0; done < size;) {
    const int64_t got =
        ReadAt(file, buffer.get(), static_cast<size_t>(std::min(kPart, size - done)), from + done);
    if (got <= 0) {
      if (got == 0) errno = EIO;  // the source ended early: not bytes this process wrote
      return false;
    }
    for (int64_t put = 0; put < got;) {
      const ssize_t written = ::pwrite(Descriptor(file), buffer.get() + put,
                                       static_cast<size_t>(got - put), to + done + put);
      if (written < 0 && errno == EINTR) continue;
      if (written <= 0) return false;
      put += written;
    }
    done += got;
  }
  return true;
}

}  // namespace

bool CopyInsideFile(FileHandle file, int64_t from, int64_t to, int64_t size) {
  const int64_t copied = CopyBySystem(Descriptor(file), from, to, size);
  if (copied < 0) return false;
  return CopyByReading(file, from + copied, to + copied, size - copied);
}

void ForgetCachedContents(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return;
  (void)::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
  ::close(fd);
}

std::string TemporaryFolder() {
  const char* folder = std::getenv("TMPDIR");
  return folder != nullptr && *folder != '\0' ? folder : "/tmp";
}

std::string NewTemporaryFile(const std::string& prefix) {
  std::string path = TemporaryFolder() + "/" + prefix + "XXXXXX";
  const int fd = ::mkstemp(path.data());
  if (fd < 0) return "";
  ::close(fd);
  return path;
}

bool IsLink(const std::string& path) {
  struct stat status;
  return ::lstat(path.c_str(), &status) == 0 && S_ISLNK(status.st_mode);
}

int ProcessId() { return static_cast<int>(::getpid()); }

bool StatusOf(FileHandle file, FileStatus* status) {
  struct stat found;
  if (::fstat(Descriptor(file), &found) != 0) return false;
  Fill(found, status);
  return true;
}

bool StatusOfPath(const std::string& path, FileStatus* status) {
  struct stat found;
  if (::stat(path.c_str(), &found) != 0) return false;
  Fill(found, status);
  return true;
}

FileHandle StandardOutput() { return STDOUT_FILENO; }
FileHandle StandardError() { return STDERR_FILENO; }
void UseExactStandardInput() {}
bool IsTerminal(FileHandle file) { return ::isatty(Descriptor(file)) == 1; }
bool UseAsTerminal(FileHandle file) { return IsTerminal(file); }

// Only a terminal whose locale's character set is UTF-8 gets converted text.
std::unique_ptr<ConsoleText> ConsoleTextFor(FileHandle file) {
  if (!IsTerminal(file)) return nullptr;
  if (std::setlocale(LC_CTYPE, "") == nullptr) return nullptr;
  const std::string charset = nl_langinfo(CODESET);
  if (charset != "UTF-8") return nullptr;
  const iconv_t converter = iconv_open("UTF-8", "CP932");
  if (converter == reinterpret_cast<iconv_t>(-1)) return nullptr;
  return std::make_unique<Utf8Terminal>(Descriptor(file), converter);
}

int UsableProcessors() {
  cpu_set_t set;
  if (sched_getaffinity(0, sizeof set, &set) != 0) return 1;
  return CPU_COUNT(&set);
}

void* ReservePages(size_t bytes) {
  void* pages = mmap(nullptr, bytes, PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  if (pages == MAP_FAILED) throw std::bad_alloc();
  return pages;
}

void ReleasePages(void* pages, size_t bytes) { munmap(pages, bytes); }

void CommitPages(void* begin, size_t bytes) {
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
  constexpr uintptr_t kPage = 4096;
  const uintptr_t first = reinterpret_cast<uintptr_t>(begin) & ~(kPage - 1);
  const uintptr_t end = reinterpret_cast<uintptr_t>(begin) + bytes;
  (void)madvise(reinterpret_cast<void*>(first), end - first, MADV_POPULATE_WRITE);
#else
  (void)begin, (void)bytes;
#endif
}

}  // namespace platform
