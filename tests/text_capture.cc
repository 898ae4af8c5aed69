#include "text_capture.h"

#include "test_files.h"

std::string CaptureText(const std::function<void(TextOutput&)>& write) {
  static const std::string dir = MakeScratchDir("capture");
  const std::string path = dir + "/captured.txt";
  {
    auto out = TextOutput::Create(path);
    write(*out);
    out->Flush();
  }
  return ReadWholeFile(path);
}
