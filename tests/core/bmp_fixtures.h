// Small BMP series written into a fresh temporary folder per test.
#pragma once

#include "image/bmp_codec.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <sstream>
#include <string>
#include <vector>

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

// A text file's lines split at CR LF. Fails the calling test on a bare LF inside a line or on
// text after the last CR LF.
inline std::vector<std::string> crlfLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(text.substr(start, end - start));
        EXPECT_EQ(lines.back().find('\n'), std::string::npos) << "bare LF in line " << lines.size();
    }
    EXPECT_EQ(start, text.size()) << "text after the last CR LF";
    return lines;
}

} // namespace fringel::test
