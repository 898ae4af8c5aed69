// Captures what a piece of code writes to a TextOutput, as a string.
#pragma once

#include <functional>
#include <string>

#include "common/text_output.h"

std::string CaptureText(const std::function<void(TextOutput&)>& write);
