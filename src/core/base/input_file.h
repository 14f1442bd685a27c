// Opening a file for reading: only regular files are accepted (a folder or a device named by
// mistake is refused), and every failure raises FileError naming the file.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

namespace fringel {

// A file descriptor opened read-only (close-on-exec); the caller closes it.
int openInputDescriptor(const std::string& fileName);

using InputFile = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;
// The same as a C stream, closed when it goes out of scope.
InputFile openInputFile(const std::string& fileName);

} // namespace fringel
