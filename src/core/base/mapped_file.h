// A whole file mapped into memory for reading: large text files are parsed in place, without
// copying them into a buffer first.
#pragma once

#include <cstddef>
#include <string>

namespace fringel {

class MappedFile {
public:
    // Raises FileError naming the file when it cannot be opened or read.
    explicit MappedFile(const std::string& fileName);
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    const char* begin() const { return data_; }
    const char* end() const { return data_ + size_; }
    std::size_t size() const { return size_; }

private:
    const char* data_ = "";
    std::size_t size_ = 0;
    bool mapped_ = false;
};

} // namespace fringel
