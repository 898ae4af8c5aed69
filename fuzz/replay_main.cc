// Replays fuzz inputs through a fuzz target without libFuzzer, so that the
// ordinary builds (release and sanitizer) run every input once found faulty.
// Arguments: files or folders of inputs; a file ending in ".hex" holds the
// input as hexadecimal digits (blanks and line ends ignored).
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace {

std::string Decoded(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (path.extension() != ".hex") return bytes;
  std::string digits;
  std::copy_if(bytes.begin(), bytes.end(), std::back_inserter(digits),
               [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; });
  std::string decoded;
  for (size_t i = 0; i + 1 < digits.size(); i += 2) {
    decoded += static_cast<char>(std::stoi(digits.substr(i, 2), nullptr, 16));
  }
  return decoded;
}

std::vector<std::filesystem::path> InputsUnder(const std::filesystem::path& path) {
  std::vector<std::filesystem::path> inputs;
  if (std::filesystem::is_directory(path)) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(path)) {
      if (entry.is_regular_file()) inputs.push_back(entry.path());
    }
  } else if (std::filesystem::exists(path)) {
    inputs.push_back(path);
  }
  std::sort(inputs.begin(), inputs.end());
  return inputs;
}

}  // namespace

int main(int argc, char** argv) {
  if (LLVMFuzzerInitialize != nullptr) LLVMFuzzerInitialize(&argc, &argv);
  int replayed = 0;
  for (int i = 1; i < argc; ++i) {
    for (const auto& input : InputsUnder(argv[i])) {
      const std::string bytes = Decoded(input);
      std::printf("replaying %s (%zu bytes)\n", input.c_str(), bytes.size());
      LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
      ++replayed;
    }
  }
  std::printf("%d inputs replayed\n", replayed);
  return 0;
}
