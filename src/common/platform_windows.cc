// The platform layer on Windows: the narrow (ANSI code page) file API, 64-bit
// offsets, volume serial number and file index as a file's identity, and the
// console's wide-character output for the dialogue's Japanese texts.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <bit>
#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "common/platform.h"

namespace platform {

namespace {

constexpr int kCodePage = 932;
// The most one ReadFile or WriteFile call is given.
constexpr size_t kMaxCall = size_t{1} << 30;

HANDLE Handle(FileHandle file) { return reinterpret_cast<HANDLE>(file); }
FileHandle FromHandle(HANDLE handle) { return reinterpret_cast<FileHandle>(handle); }
DWORD CallSize(size_t size) { return static_cast<DWORD>(size < kMaxCall ? size : kMaxCall); }

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

bool IsDirectory(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Windows refuses to open a directory as a file with "access denied"; it is
// told apart, as POSIX systems do, by its own reason.
FileHandle Opened(HANDLE handle, const std::string& path) {
  if (handle != INVALID_HANDLE_VALUE) return FromHandle(handle);
  if (GetLastError() == ERROR_ACCESS_DENIED && IsDirectory(path)) SetLastError(ERROR_DIRECTORY);
  return kNoFile;
}

// Writes to the console as wide characters converted from code page 932,
// whatever code page the console is set to.
class WindowsConsole : public ConsoleText {
 public:
  explicit WindowsConsole(HANDLE console) : console_(console) {}

  bool Write(const char* data, size_t size) override {
    pending_.append(data, size);
    const size_t whole = WholeCharacters();
    if (whole == 0) return true;
    const int bytes = static_cast<int>(whole);
    const int wide_size = MultiByteToWideChar(kCodePage, 0, pending_.data(), bytes, nullptr, 0);
    std::vector<wchar_t> wide(static_cast<size_t>(wide_size));
    MultiByteToWideChar(kCodePage, 0, pending_.data(), bytes, wide.data(), wide_size);
    pending_.erase(0, whole);
    for (size_t at = 0; at < wide.size();) {
      DWORD written = 0;
      const DWORD part = static_cast<DWORD>(std::min<size_t>(wide.size() - at, 8192));
      if (!WriteConsoleW(console_, wide.data() + at, part, &written, nullptr) || written == 0)
        return false;
      at += written;
    }
    return true;
  }

 private:
  // The bytes of pending_ up to a lead byte that still waits for its partner.
  size_t WholeCharacters() const {
    size_t at = 0;
    while (at < pending_.size()) {
      const bool lead = IsDBCSLeadByteEx(kCodePage, static_cast<BYTE>(pending_[at]));
      if (lead && at + 1 == pending_.size()) break;
      at += lead ? 2 : 1;
    }
    return at;
  }

  HANDLE console_;
  std::string pending_;
};

}  // namespace

int LastError() { return static_cast<int>(GetLastError()); }

bool IsMissingFile(int error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
         error == ERROR_INVALID_DRIVE || error == ERROR_BAD_NETPATH;
}

// The common reasons in the words POSIX systems use, so that a message reads
// the same on both; the rarer ones in the system's own words.
std::string ErrorText(int error) {
  if (IsMissingFile(error)) return "No such file or directory";
  switch (error) {
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
      return "Permission denied";
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return "No space left on device";
    case ERROR_DIRECTORY:
      return "Is a directory";
    case ERROR_INVALID_NAME:
      return "Invalid argument";
    case ERROR_FILENAME_EXCED_RANGE:
      return "File name too long";
    default:
      break;
  }
  char text[512];
  DWORD size = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                              static_cast<DWORD>(error), 0, text, sizeof text, nullptr);
  while (size > 0 && (text[size - 1] == '\n' || text[size - 1] == '\r' || text[size - 1] == '.'))
    --size;
  if (size == 0) return "system error " + std::to_string(error);
  return std::string(text, size);
}

FileHandle OpenToRead(const std::string& path) {
  HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED &&
      IsDirectory(path)) {
    // Opened all the same, so that the caller finds a directory, as on POSIX.
    handle = CreateFileA(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  }
  return Opened(handle, path);
}

FileHandle OpenToWrite(const std::string& path, bool empty) {
  HANDLE handle = CreateFileA(path.c_str(), GENERIC_WRITE, kShareAll, nullptr,
                              empty ? CREATE_ALWAYS : OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  return Opened(handle, path);
}

FileHandle CreateNew(const std::string& path, unsigned) {
  HANDLE handle = CreateFileA(path.c_str(), GENERIC_WRITE, kShareAll, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  return Opened(handle, path);
}

void Close(FileHandle file) { CloseHandle(Handle(file)); }
bool Remove(const std::string& path) { return Remove(path.c_str()); }
bool Remove(const char* path) { return DeleteFileA(path) != 0; }
bool Rename(const std::string& from, const std::string& to) {
  return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

int64_t Read(FileHandle file, char* buffer, size_t size) {
  DWORD got = 0;
  if (ReadFile(Handle(file), buffer, CallSize(size), &got, nullptr)) return got;
  return GetLastError() == ERROR_BROKEN_PIPE ? 0 : -1;  // a pipe's writer has finished
}

int64_t ReadAt(FileHandle file, char* buffer, size_t size, int64_t offset) {
  OVERLAPPED at = {};
  at.Offset = static_cast<DWORD>(static_cast<uint64_t>(offset));
  at.OffsetHigh = static_cast<DWORD>(static_cast<uint64_t>(offset) >> 32);
  DWORD got = 0;
  if (ReadFile(Handle(file), buffer, CallSize(size), &got, &at)) return got;
  return GetLastError() == ERROR_HANDLE_EOF ? 0 : -1;
}

int64_t Write(FileHandle file, const char* data, size_t size) {
  DWORD written = 0;
  if (!WriteFile(Handle(file), data, CallSize(size), &written, nullptr)) return -1;
  return written;
}

// The file's position is kept: only its end moves.
bool CutAt(FileHandle file, int64_t length) {
  LARGE_INTEGER zero = {}, position, end;
  end.QuadPart = length;
  if (!SetFilePointerEx(Handle(file), zero, &position, FILE_CURRENT)) return false;
  if (!SetFilePointerEx(Handle(file), end, nullptr, FILE_BEGIN)) return false;
  const bool cut = SetEndOfFile(Handle(file)) != 0;
  const DWORD error = GetLastError();
  SetFilePointerEx(Handle(file), position, nullptr, FILE_BEGIN);
  SetLastError(error);
  return cut;
}

// Not done here: the file system finds a file's blocks as it grows.
bool SetAsideBlocks(FileHandle, int64_t, int64_t) { return false; }

bool SkipAhead(FileHandle file, int64_t bytes) {
  LARGE_INTEGER distance;
  distance.QuadPart = bytes;
  return SetFilePointerEx(Handle(file), distance, nullptr, FILE_CURRENT) != 0;
}

// Not done here (kCopiesInsideFiles is false): the caller writes the bytes again.
bool CopyInsideFile(FileHandle, int64_t, int64_t, int64_t) {
  SetLastError(ERROR_NOT_SUPPORTED);
  return false;
}

// Not done here: the system keeps what it caches.
void ForgetCachedContents(const std::string&) {}

std::string TemporaryFolder() {
  char folder[MAX_PATH + 1];
  const DWORD size = GetTempPathA(sizeof folder, folder);
  if (size == 0 || size > MAX_PATH) return ".";
  return std::string(folder, size);
}

std::string NewTemporaryFile(const std::string& prefix) {
  char path[MAX_PATH + 1];
  if (GetTempFileNameA(TemporaryFolder().c_str(), prefix.c_str(), 0, path) == 0) return "";
  return path;
}

bool IsLink(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

int ProcessId() { return static_cast<int>(GetCurrentProcessId()); }

bool StatusOf(FileHandle file, FileStatus* status) {
  const DWORD type = GetFileType(Handle(file));
  if (type != FILE_TYPE_DISK) {
    *status = FileStatus{};
    status->id.index = static_cast<uint64_t>(file);
    status->kind = type == FILE_TYPE_PIPE ? FileKind::kPipe : FileKind::kDevice;
    return true;
  }
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(Handle(file), &info)) return false;
  status->id = {info.dwVolumeSerialNumber,
                (uint64_t{info.nFileIndexHigh} << 32) | uint64_t{info.nFileIndexLow}};
  status->kind = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? FileKind::kDirectory
                                                                         : FileKind::kRegular;
  status->size = static_cast<int64_t>((uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow);
  return true;
}

bool StatusOfPath(const std::string& path, FileStatus* status) {
  HANDLE handle = CreateFileA(path.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  const bool found = StatusOf(FromHandle(handle), status);
  const DWORD error = GetLastError();
  CloseHandle(handle);
  SetLastError(error);
  return found;
}

FileHandle StandardOutput() { return FromHandle(GetStdHandle(STD_OUTPUT_HANDLE)); }
FileHandle StandardError() { return FromHandle(GetStdHandle(STD_ERROR_HANDLE)); }

void UseExactStandardInput() { _setmode(_fileno(stdin), _O_BINARY); }

bool IsTerminal(FileHandle file) {
  DWORD mode;
  return GetConsoleMode(Handle(file), &mode) != 0;
}

bool UseAsTerminal(FileHandle file) {
  DWORD mode;
  if (!GetConsoleMode(Handle(file), &mode)) return false;
  return SetConsoleMode(Handle(file), mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

std::unique_ptr<ConsoleText> ConsoleTextFor(FileHandle file) {
  if (!IsTerminal(file)) return nullptr;
  return std::make_unique<WindowsConsole>(Handle(file));
}

int UsableProcessors() {
  DWORD_PTR process = 0, system = 0;
  if (GetProcessAffinityMask(GetCurrentProcess(), &process, &system) && process != 0)
    return std::popcount(static_cast<uint64_t>(process));
  const DWORD active = GetActiveProcessorCount(ALL_PROCESSOR_GROUPS);
  return active > 0 ? static_cast<int>(active) : 1;
}

// Reserved and committed at once: the system gives a page memory only when
// it is first touched, so a small model still costs little.
void* ReservePages(size_t bytes) {
  void* pages = VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
  if (pages == nullptr) throw std::bad_alloc();
  return pages;
}

void ReleasePages(void* pages, size_t /*bytes*/) { VirtualFree(pages, 0, MEM_RELEASE); }

void CommitPages(void*, size_t) {}

}  // namespace platform
