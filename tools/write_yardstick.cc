// write_yardstick: the benchmark's measure of what the disk allows. Opens the
// existing FILE as a plain program does (emptied first) and writes BYTES
// bytes of text to it in 1 MiB write calls. With --in-place it writes over
// the old bytes from the start instead and cuts the file at the end, which
// spares the file system freeing and finding blocks: a floor for a writer
// that keeps the old file whole until the new one is (rxpost writes a new
// file beside the old one, into blocks set aside, and renames it over it).
//
//   write_yardstick [--in-place] FILE BYTES
//
//   write_yardstick FILE BYTES
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

int main(int argc, char** argv) {
  const bool in_place = argc == 4 && std::strcmp(argv[1], "--in-place") == 0;
  if (argc != 3 && !in_place) {
    std::fprintf(stderr, "usage: write_yardstick [--in-place] FILE BYTES\n");
    return 2;
  }
  const char* path = argv[argc - 2];
  const long long total = std::atoll(argv[argc - 1]);
  constexpr size_t kBlock = 1 << 20;
  // Lines of digits, like the text a conversion writes.
  std::vector<char> block(kBlock);
  for (size_t i = 0; i < kBlock; ++i)
    block[i] = (i % 64 == 63) ? '\n' : static_cast<char>('0' + i % 10);
  int fd = open(path, O_WRONLY | O_CREAT | (in_place ? 0 : O_TRUNC), 0644);
  if (fd < 0) {
    std::perror(path);
    return 2;
  }
  for (long long left = total; left > 0;) {
    size_t chunk = left < static_cast<long long>(kBlock) ? static_cast<size_t>(left) : kBlock;
    ssize_t written = write(fd, block.data(), chunk);
    if (written <= 0) {
      std::perror(path);
      return 2;
    }
    left -= written;
  }
  if (in_place && ftruncate(fd, static_cast<off_t>(total)) != 0) std::perror(path);
  return close(fd) == 0 ? 0 : 2;
}
