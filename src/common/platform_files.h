// Making the new file an output is written to, where POSIX and Windows differ:
// created only if no file has the name yet, opened for writing bytes as they
// are (no line-end translation), and given the permission bits of the file it
// will replace.
#pragma once

#include <optional>
#include <string>

// A descriptor for writing to the new file `path`, or -1 with errno set when
// it cannot be made (also when a file of that name exists: EEXIST).
int CreateNewFile(const std::string& path, std::optional<unsigned> mode);
