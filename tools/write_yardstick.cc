// write_yardstick: the benchmark's measure of what the disk allows. Writes
// BYTES bytes of text to FILE in 1 MiB write calls, over the file from its
// start and cut at the end, as a conversion writes its output, so that a
// conversion and its yardstick do the same work in the kernel and differ only
// in making the text.
//
//   write_yardstick FILE BYTES
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: write_yardstick FILE BYTES\n");
    return 2;
  }
  const long long total = std::atoll(argv[2]);
  constexpr size_t kBlock = 1 << 20;
  // Lines of digits, like the text a conversion writes.
  std::vector<char> block(kBlock);
  for (size_t i = 0; i < kBlock; ++i)
    block[i] = (i % 64 == 63) ? '\n' : static_cast<char>('0' + i % 10);
  int fd = open(argv[1], O_WRONLY | O_CREAT, 0644);
  if (fd < 0) {
    std::perror(argv[1]);
    return 2;
  }
  for (long long left = total; left > 0;) {
    size_t chunk = left < static_cast<long long>(kBlock) ? static_cast<size_t>(left) : kBlock;
    ssize_t written = write(fd, block.data(), chunk);
    if (written <= 0) {
      std::perror(argv[1]);
      return 2;
    }
    left -= written;
  }
  if (ftruncate(fd, static_cast<off_t>(total)) != 0) std::perror(argv[1]);
  return close(fd) == 0 ? 0 : 2;
}
