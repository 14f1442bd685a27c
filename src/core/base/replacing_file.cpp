#include "base/replacing_file.h"

#include "base/errors.h"

#include <cerrno>
#include <chrono>
#include <random>
#include <system_error>

namespace fs = std::filesystem;

namespace fringel {

namespace {

fs::path toPath(const std::string& name) {
    return fs::path(reinterpret_cast<const char8_t*>(name.c_str()));
}

std::string errorText(int code) {
    return std::generic_category().message(code);
}

} // namespace

ReplacingFile::ReplacingFile(std::string fileName)
    : fileName_(std::move(fileName)), target_(toPath(fileName_)) {
    // A temporary name that did not exist before ("x" mode), so two writers never share one.
    std::mt19937_64 random(
        std::random_device{}() ^
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    int openError = 0;
    for (int attempt = 0; attempt < 100 && !file_; ++attempt) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, ".tmp-%08X",
                      static_cast<unsigned>(random() & 0xFFFFFFFFu));
        temp_ = target_;
        temp_ += suffix;
        file_ = std::fopen(temp_.c_str(), "wbx");
        openError = errno;
        if (!file_ && openError != EEXIST) break;
    }
    if (!file_)
        throw FileError(fileName_, "cannot create a temporary file: " + errorText(openError));
}

ReplacingFile::~ReplacingFile() {
    if (committed_) return;
    if (file_) std::fclose(file_);
    std::error_code ignored;
    fs::remove(temp_, ignored);
}

void ReplacingFile::fail(const std::string& reason) {
    if (file_) std::fclose(file_);
    file_ = nullptr;
    std::error_code ignored;
    fs::remove(temp_, ignored);
    committed_ = true; // nothing left to clean up
    throw FileError(fileName_, reason);
}

void ReplacingFile::write(const void* data, std::size_t size) {
    if (!file_) fail("write after the file was closed");
    if (size > 0 && std::fwrite(data, 1, size, file_) != size)
        fail("write error: " + errorText(errno));
}

fs::path ReplacingFile::releasePath() {
    finish();
    return temp_;
}

void ReplacingFile::finish() {
    if (!file_) return;
    const bool flushed = std::fflush(file_) == 0;
    const int flushError = errno;
    const bool closed = std::fclose(file_) == 0;
    const int closeError = errno;
    file_ = nullptr;
    if (!flushed) fail("write error: " + errorText(flushError));
    if (!closed) fail("write error on closing: " + errorText(closeError));
}

void ReplacingFile::commit() {
    finish();
    std::error_code ec;
    fs::rename(temp_, target_, ec);
    if (ec) fail("cannot replace the file: " + ec.message());
    committed_ = true;
}

} // namespace fringel
