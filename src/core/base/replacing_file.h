// Writing a file so that readers see either the old file or the complete new one.
//
// The bytes go to a fresh temporary file next to the target; commit() flushes it and renames
// it over the target. A writer that is destroyed without commit (an error on the way) removes
// the temporary file and leaves the target as it was. Failures raise FileError naming the
// target.
#pragma once

#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace fringel {

class ReplacingFile {
public:
    explicit ReplacingFile(std::string fileName);
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    const std::string& fileName() const { return fileName_; }
    void write(const void* data, std::size_t size);
    void write(std::string_view text) { write(text.data(), text.size()); }
    // Closes the temporary file, checking that every byte reached it, but leaves the target
    // as it is: for writers of several files that replace them only once all are written.
    void finish();
    // Finishes the file if that was not done, and puts it in the target's place.
    void commit();

    // For libraries that write through a path of their own: the temporary file's path. The
    // file is closed here first; commit() then only renames.
    std::filesystem::path releasePath();

private:
    [[noreturn]] void fail(const std::string& reason);

    std::string fileName_;
    std::filesystem::path target_;
    std::filesystem::path temp_;
    std::FILE* file_ = nullptr;
    bool committed_ = false;
};

} // namespace fringel
