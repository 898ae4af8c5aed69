// Small file helpers for tests: a fresh scratch folder per test, and whole
// files read into strings.
#pragma once

#include <string>

// A new empty folder under the test temp dir, unique to this process.
std::string MakeScratchDir(const std::string& label);
std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& content);
bool FileExists(const std::string& path);
