// Small grey TIFF and PNG files written by the tests, for series in other formats.
#pragma once

#include <cstdint>
#include <functional>
#include <png.h>
#include <stdexcept>
#include <string>
#include <tiffio.h>
#include <vector>

namespace fringel::test {

// Value of pixel (x, y).
using PixelFill = std::function<std::uint16_t(int x, int y)>;

// A w x h grey TIFF of 8 or 16 bits per sample, one strip per row, LZW-compressed.
inline void writeGreyTiff(const std::string& path, int w, int h, int bits, const PixelFill& fill) {
    TIFF* t = TIFFOpen(path.c_str(), "w");
    if (!t) throw std::runtime_error("cannot create " + path);
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(w));
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(h));
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, bits);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, 1);
    std::vector<std::uint8_t> row8(static_cast<std::size_t>(w));
    std::vector<std::uint16_t> row16(static_cast<std::size_t>(w));
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            row8[static_cast<std::size_t>(x)] = static_cast<std::uint8_t>(fill(x, y));
            row16[static_cast<std::size_t>(x)] = fill(x, y);
        }
        void* row = bits == 16 ? static_cast<void*>(row16.data()) : row8.data();
        TIFFWriteScanline(t, row, static_cast<std::uint32_t>(y), 0);
    }
    TIFFClose(t);
}

// A w x h 8-bit grey PNG.
inline void writeGreyPng(const std::string& path, int w, int h, const PixelFill& fill) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) throw std::runtime_error("cannot create " + path);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, f);
    png_set_IHDR(png, info, static_cast<png_uint_32>(w), static_cast<png_uint_32>(h), 8,
                 PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<png_byte> row(static_cast<std::size_t>(w));
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x)
            row[static_cast<std::size_t>(x)] = static_cast<png_byte>(fill(x, y));
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
}

} // namespace fringel::test
