// The platform layer: everything the program needs from the operating system
// that differs between POSIX systems and Windows, behind one set of calls.
// platform_posix.cc and platform_windows.cc implement it; the build takes the
// one for its target. Nothing else in the program tests which system it runs on.
//
// Files are named by the bytes given (on Windows: the narrow, ANSI-code-page
// API); every offset and size is 64 bits wide. Calls that can fail return a
// failure value and leave the reason for LastError().
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace platform {

#ifdef _WIN32
inline constexpr std::string_view kLineEnd = "\r\n";
inline constexpr std::string_view kName = "Windows x86-64";
#else
inline constexpr std::string_view kLineEnd = "\n";
inline constexpr std::string_view kName = "Linux";
#endif

// An open file: a descriptor on POSIX, a HANDLE on Windows.
using FileHandle = intptr_t;
inline constexpr FileHandle kNoFile = -1;

// The reason for the last failed call, and its text ("No such file or
// directory"): the same words on every system for the common reasons.
int LastError();
std::string ErrorText(int error);
// True when the last failure was "no such file".
bool IsMissingFile(int error);

enum class FileKind { kRegular, kDirectory, kDevice, kPipe, kOther };
// What makes a file itself, whatever path leads to it: device and inode on
// POSIX, volume serial number and file index on Windows.
struct FileId {
  uint64_t volume = 0;
  uint64_t index = 0;
  bool operator==(const FileId&) const = default;
};
struct FileStatus {
  FileId id;
  FileKind kind = FileKind::kOther;
  int64_t size = 0;
  unsigned mode = 0;  // the permission bits (POSIX); 0 on Windows
};

// Opens an existing file for reading; never waits on a pipe.
FileHandle OpenToRead(const std::string& path);
// Opens for writing, creating the file when it is missing; an existing file
// keeps its bytes unless `empty` is true.
FileHandle OpenToWrite(const std::string& path, bool empty);
// Creates a new file for writing; fails when a file of that name exists. A
// non-zero `mode` gives it those permission bits (POSIX).
FileHandle CreateNew(const std::string& path, unsigned mode);
void Close(FileHandle file);
// Removes a file (never a folder; a link itself, not what it leads to). The
// form for a plain character string takes no memory: an interrupt handler
// may call it.
bool Remove(const std::string& path);
bool Remove(const char* path);
// Gives the file at `from` the name `to`, replacing the file that had it.
bool Rename(const std::string& from, const std::string& to);

// Bytes read (0 at the end of the file) or -1.
int64_t Read(FileHandle file, char* buffer, size_t size);
int64_t ReadAt(FileHandle file, char* buffer, size_t size, int64_t offset);
// Bytes written (at least 1 unless size is 0) or -1.
int64_t Write(FileHandle file, const char* data, size_t size);
// Cuts (or extends) the file to `length` bytes.
bool CutAt(FileHandle file, int64_t length);
// Sets disk blocks aside for bytes [offset, offset + bytes) of a file being
// written, extending it to cover them, where the system can do that without
// writing them (Linux); false, with the file as it was, where it cannot, when
// the disk has no room or the process may not make files that large. Bytes
// written into blocks set aside need no blocks found for them one by one, nor
// (on ext4) a flush when the file is renamed over another.
bool SetAsideBlocks(FileHandle file, int64_t offset, int64_t bytes);

// Whether this system copies bytes inside a file being written
// (CopyInsideFile): Linux does; Windows does not, as a second writer on the
// same file would move the first one's position there.
#ifdef _WIN32
inline constexpr bool kCopiesInsideFiles = false;
#else
inline constexpr bool kCopiesInsideFiles = true;
#endif
// Moves the position where `file` is written `bytes` on, leaving a gap for
// bytes that CopyInsideFile puts there later; false on failure.
bool SkipAhead(FileHandle file, int64_t bytes);
// Copies `size` bytes of `file` (open to read and write) from offset `from`
// to offset `to`, without moving the position where it is written: inside the
// system where it can (no byte passes through the process), else by reading
// and writing them. May run on another thread than the file's writer. False
// after a failure (LastError, on the calling thread, tells why); false always
// where kCopiesInsideFiles is false.
bool CopyInsideFile(FileHandle file, int64_t from, int64_t to, int64_t size);

// Asks the system to drop from memory the cached contents of the file at
// `path`, which stay on disk; for a file about to be replaced, whose memory
// then serves its successor. Nothing happens where the system cannot.
void ForgetCachedContents(const std::string& path);

// Creates a new, empty file of a name of its own (beginning with `prefix`)
// in the system's temporary folder and returns its path; empty when it cannot.
std::string NewTemporaryFile(const std::string& prefix);
// The system's temporary folder.
std::string TemporaryFolder();

bool StatusOf(FileHandle file, FileStatus* status);
// True when `path` is a symbolic link.
bool IsLink(const std::string& path);
// The file `path` names now (links followed).
bool StatusOfPath(const std::string& path, FileStatus* status);

// Standard output, made ready to receive exact bytes (no line-end
// translation), and standard error.
FileHandle StandardOutput();
FileHandle StandardError();
// Standard input made to deliver exact bytes (no line-end translation, no
// end-of-file character).
void UseExactStandardInput();
bool IsTerminal(FileHandle file);
// True when `file` is a terminal that takes the usual escape sequences
// (carriage return, erase to the end of the line); a Windows console is
// switched to take them.
bool UseAsTerminal(FileHandle file);

// Writes to a terminal or console, showing the code page 932 (Shift-JIS)
// bytes of the dialogue's texts as the characters they stand for. A lead byte
// at the end of one write waits for the next.
class ConsoleText {
 public:
  virtual ~ConsoleText() = default;
  // False (with LastError set) when the terminal refuses the text.
  virtual bool Write(const char* data, size_t size) = 0;
};
// The converting writer for `file` when it is a terminal that shows text in
// another encoding than code page 932; nothing when the file must get the
// bytes as they are (a file, a pipe, a terminal of another encoding).
std::unique_ptr<ConsoleText> ConsoleTextFor(FileHandle file);

// This process's id.
int ProcessId();
// The processors this process may run on.
int UsableProcessors();

// Address space for `bytes` of zero-filled memory whose pages take memory
// only when first touched, page-aligned. Throws std::bad_alloc when the
// system refuses.
void* ReservePages(size_t bytes);
void ReleasePages(void* pages, size_t bytes);
// Gives the reserved pages of [begin, begin + bytes) their memory now, as a
// first write would, leaving their contents as they are (Linux); nothing
// happens where the system cannot.
void CommitPages(void* begin, size_t bytes);

}  // namespace platform
