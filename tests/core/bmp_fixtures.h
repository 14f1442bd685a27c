// Small BMP series written into a fresh temporary folder per test.
#pragma once

#include "image/bmp_codec.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

namespace fringel::test {

class TempFolder {
public:
    TempFolder() {
        std::random_device rd;
        path_ = std::filesystem::temp_directory_path() /
                ("fringel-test-" + std::to_string(rd()) + std::to_string(rd()));
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string file(const std::string& name) const { return (path_ / name).string(); }

    // Writes a w x h BMP whose every byte is `fill`, and returns its path.
    std::string writeBmpFile(const std::string& name, int w, int h,
                             PixelFormat format = PixelFormat::Bgr24, std::uint8_t fill = 0) const {
        Bitmap b(w, h, format);
        for (int y = 0; y < h; ++y)
            for (std::int64_t i = 0; i < Bitmap::strideFor(w, format); ++i)
                b.row(y)[i] = fill;
        writeBmp(b, file(name));
        return file(name);
    }

private:
    std::filesystem::path path_;
};

// The whole content of a file, as bytes.
inline std::string readFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace fringel::test
