// write_yardstick: the benchmark's measure of what the disk allows. Opens the
// existing FILE as a plain program does (emptied first) and writes BYTES
// bytes of text to it in 1 MiB write calls. With --in-place it writes over
// the old bytes from the start instead and cuts the file at the end, which
// spares the file system freeing and finding blocks. With --beside it writes
// a new file next to FILE, into blocks set aside first, after dropping the
// old file's cached pages, and renames it over FILE, as rxpost does to keep
// the old file whole until the new one is complete: the renaming frees the
// old file's blocks (which a disk mounted with `discard` trims before the
// call returns), a cost that --in-place never pays.
//
//   write_yardstick [--in-place | --beside] FILE BYTES
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/platform.h"

namespace {

constexpr size_t kBlock = 1 << 20;

bool WriteLines(int fd, long long total) {
  // Lines of digits, like the text a conversion writes.
  std::vector<char> block(kBlock);
  for (size_t i = 0; i < kBlock; ++i)
    block[i] = (i % 64 == 63) ? '\n' : static_cast<char>('0' + i % 10);
  for (long long left = total; left > 0;) {
    size_t chunk = left < static_cast<long long>(kBlock) ? static_cast<size_t>(left) : kBlock;
    ssize_t written = write(fd, block.data(), chunk);
    if (written <= 0) return false;
    left -= written;
  }
  return true;
}

int Fail(const std::string& path) {
  std::perror(path.c_str());
  return 2;
}

int WriteBeside(const std::string& path, long long total) {
  platform::ForgetCachedContents(path);  // their memory then serves the new file
  const std::string beside = path + ".beside";
  int fd = open(beside.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) return Fail(beside);
  if (fallocate(fd, 0, 0, static_cast<off_t>(total)) != 0 || !WriteLines(fd, total) ||
      close(fd) != 0) {
    return Fail(beside);
  }
  return rename(beside.c_str(), path.c_str()) == 0 ? 0 : Fail(path);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc == 4 ? argv[1] : "";
  const bool in_place = mode == "--in-place";
  if (argc != 3 && !in_place && mode != "--beside") {
    std::fprintf(stderr, "usage: write_yardstick [--in-place | --beside] FILE BYTES\n");
    return 2;
  }
  const std::string path = argv[argc - 2];
  const long long total = std::atoll(argv[argc - 1]);
  if (mode == "--beside") return WriteBeside(path, total);
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | (in_place ? 0 : O_TRUNC), 0644);
  if (fd < 0 || !WriteLines(fd, total)) return Fail(path);
  if (in_place && ftruncate(fd, static_cast<off_t>(total)) != 0) return Fail(path);
  return close(fd) == 0 ? 0 : 2;
}
