#include "base/mapped_file.h"

#include "base/errors.h"
#include "base/input_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fringel {

MappedFile::MappedFile(const std::string& fileName) {
    const int fd = openInputDescriptor(fileName);
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        ::close(fd);
        throw FileError(fileName, std::string("cannot read the file: ") + std::strerror(errno));
    }
    size_ = static_cast<std::size_t>(info.st_size);
    if (size_ > 0) {
        void* p = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
        const int error = errno;
        ::close(fd);
        if (p == MAP_FAILED)
            throw FileError(fileName, std::string("cannot read the file: ") + std::strerror(error));
        data_ = static_cast<const char*>(p);
        mapped_ = true;
    } else {
        ::close(fd);
    }
}

MappedFile::~MappedFile() {
    if (mapped_) ::munmap(const_cast<char*>(data_), size_);
}

} // namespace fringel
