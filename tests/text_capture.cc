#include "text_capture.h"

#include "common/output_files.h"
#include "test_files.h"

std::string CaptureText(const std::function<void(TextOutput&)>& write) {
  static const std::string dir = MakeScratchDir("capture");
  const std::string path = dir + "/captured.txt";
  OutputFiles files;
  auto out = files.Create(path);
  write(*out);
  out->Finish();
  return ReadWholeFile(path);
}
