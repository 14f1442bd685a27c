// What the fuzz targets share: a scratch folder of their own for targets whose readers take a
// file name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace fringel::fuzz {

// Writes the input to `name` in a folder private to this process and returns the path.
inline std::string scratchFile(const std::string& name, const std::uint8_t* data,
                               std::size_t size) {
    static const std::filesystem::path folder = [] {
        auto p =
            std::filesystem::temp_directory_path() / ("fringel-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(p);
        return p;
    }();
    const std::string path = (folder / name).string();
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return path;
}

} // namespace fringel::fuzz
