#include "base/input_file.h"

#include "base/errors.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fringel {

int openInputDescriptor(const std::string& fileName) {
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw FileError(fileName, std::string("cannot open the file: ") + std::strerror(errno));
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        throw FileError(fileName, "not a regular file");
    }
    return fd;
}

InputFile openInputFile(const std::string& fileName) {
    const int fd = openInputDescriptor(fileName);
    std::FILE* f = ::fdopen(fd, "rb");
    if (!f) {
        const int error = errno;
        ::close(fd);
        throw FileError(fileName, std::string("cannot open the file: ") + std::strerror(error));
    }
    return InputFile(f, std::fclose);
}

} // namespace fringel
