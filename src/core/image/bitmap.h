// Bitmap: the pixels of one exposure or display picture.
//
// Rows run from the top (row 0) to the bottom; each row is padded to a multiple of 4 bytes,
// so a QImage can wrap the same memory for display and text drawing without a copy.
// The analysis works on 8-bit grey (one byte per pixel; a palette is kept only for display of
// indexed files and never consulted by the analysis) and 24-bit (blue, green, red bytes).
// The other formats a BMP file can carry are kept as they are, for display only; the analysis
// paths refuse them.
#pragma once

#include "base/large_buffer_allocator.h"

#include <cstdint>
#include <vector>

namespace fringel {

enum class PixelFormat : std::uint8_t {
    Indexed1, // 1 bit per pixel, palette index, most significant bit first
    Indexed4, // 4 bits per pixel, palette index, high nibble first
    Gray8,    // 1 byte per pixel, taken as a grey level
    Rgb555,   // 16 bits per pixel, little endian x1r5g5b5
    Rgb565,   // 16 bits per pixel, little endian r5g6b5
    Bgr24,    // 3 bytes per pixel: blue, green, red
    Bgra32,   // 4 bytes per pixel: blue, green, red, alpha (or unused)
};

int bitsPerPixel(PixelFormat format);

// The largest picture any reader or command accepts: 2^28 pixels (about 800 MB at 24 bits)
// and 2^20 pixels on a side. Readers check a file's declared size against these before they
// allocate anything.
inline constexpr std::int64_t kMaxBitmapPixels = std::int64_t{1} << 28;
inline constexpr std::int32_t kMaxBitmapSide = 1 << 20;

// True when a picture of this size is within the limits above (0 x 0 included).
bool bitmapSizeAllowed(std::int64_t width, std::int64_t height);

class Bitmap {
public:
    // An empty 24-bit bitmap (0 x 0), as the document creates them.
    Bitmap() = default;
    // A bitmap of the given size and format with every byte 0. Raises FringelError when the
    // size is negative or beyond the limits above.
    Bitmap(std::int32_t width, std::int32_t height, PixelFormat format = PixelFormat::Bgr24);

    std::int32_t width() const { return width_; }
    std::int32_t height() const { return height_; }
    PixelFormat format() const { return format_; }
    bool isEmpty() const { return width_ == 0 || height_ == 0; }
    // Bytes from one row to the next: width x bits per pixel, rounded up to 4 bytes.
    std::int64_t stride() const { return stride_; }
    static std::int64_t strideFor(std::int32_t width, PixelFormat format);

    // Resizes (contents become all zero bytes) and/or changes the pixel format.
    void reset(std::int32_t width, std::int32_t height, PixelFormat format);
    // Changes the pixel format, keeping the size; the pixels become zero bytes.
    void setFormat(PixelFormat format) { reset(width_, height_, format); }

    // Row y (0 = top), not checked: callers keep 0 <= y < height.
    std::uint8_t* row(std::int32_t y) { return bytes_.data() + y * stride_; }
    const std::uint8_t* row(std::int32_t y) const { return bytes_.data() + y * stride_; }
    std::uint8_t* bits() { return bytes_.data(); }
    const std::uint8_t* bits() const { return bytes_.data(); }

    // Palette of indexed pictures (entries 0xAARRGGBB), used for display only.
    const std::vector<std::uint32_t>& palette() const { return palette_; }
    void setPalette(std::vector<std::uint32_t> palette) { palette_ = std::move(palette); }

    bool operator==(const Bitmap& other) const = default;

private:
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    PixelFormat format_ = PixelFormat::Bgr24;
    std::int64_t stride_ = 0;
    std::vector<std::uint8_t, LargeBufferAllocator<std::uint8_t>> bytes_;
    std::vector<std::uint32_t> palette_;
};

// A 24-bit copy of any bitmap, for display: grey levels become equal blue, green and red
// bytes, indexed pixels take their palette colour, 16 and 32-bit pixels their colour.
Bitmap toBgr24(const Bitmap& source);

} // namespace fringel
