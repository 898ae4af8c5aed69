#include "text_capture.h"

std::string CaptureText(const std::function<void(TextOutput&)>& write) {
  auto out = TextOutput::InMemory();
  write(*out);
  return std::string(out->Contents());
}
