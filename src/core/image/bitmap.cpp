#include "image/bitmap.h"

#include "base/errors.h"

#include <string>

namespace fringel {

int bitsPerPixel(PixelFormat format) {
    switch (format) {
    case PixelFormat::Indexed1:
        return 1;
    case PixelFormat::Indexed4:
        return 4;
    case PixelFormat::Gray8:
        return 8;
    case PixelFormat::Rgb555:
    case PixelFormat::Rgb565:
        return 16;
    case PixelFormat::Bgr24:
        return 24;
    case PixelFormat::Bgra32:
        return 32;
    }
    return 24;
}

bool bitmapSizeAllowed(std::int64_t width, std::int64_t height) {
    return width >= 0 && height >= 0 && width <= kMaxBitmapSide && height <= kMaxBitmapSide &&
           width * height <= kMaxBitmapPixels;
}

std::int64_t Bitmap::strideFor(std::int32_t width, PixelFormat format) {
    return (std::int64_t{width} * bitsPerPixel(format) + 31) / 32 * 4;
}

Bitmap::Bitmap(std::int32_t width, std::int32_t height, PixelFormat format) {
    reset(width, height, format);
}

void Bitmap::reset(std::int32_t width, std::int32_t height, PixelFormat format) {
    if (!bitmapSizeAllowed(width, height))
        throw FringelError("Bitmap size " + std::to_string(width) + " x " + std::to_string(height) +
                           " is outside the allowed range");
    width_ = width;
    height_ = height;
    format_ = format;
    stride_ = strideFor(width, format);
    bytes_.assign(static_cast<std::size_t>(stride_ * height), 0);
}

namespace {

void putColour(std::uint8_t* out, std::uint32_t argb) {
    out[0] = static_cast<std::uint8_t>(argb);
    out[1] = static_cast<std::uint8_t>(argb >> 8);
    out[2] = static_cast<std::uint8_t>(argb >> 16);
}

std::uint32_t paletteColour(const std::vector<std::uint32_t>& palette, unsigned index) {
    if (index < palette.size()) return palette[index];
    // Without any palette an index shows as a grey level; past the end of a short palette,
    // as black.
    const unsigned v = palette.empty() ? index : 0;
    return 0xFF000000u | v << 16 | v << 8 | v;
}

std::uint8_t expand(unsigned value, int bits) {
    const unsigned max = (1u << bits) - 1;
    return static_cast<std::uint8_t>((value * 255 + max / 2) / max);
}

} // namespace

Bitmap toBgr24(const Bitmap& source) {
    Bitmap out(source.width(), source.height(), PixelFormat::Bgr24);
    const auto& pal = source.palette();
    for (std::int32_t y = 0; y < source.height(); ++y) {
        const std::uint8_t* in = source.row(y);
        std::uint8_t* o = out.row(y);
        for (std::int32_t x = 0; x < source.width(); ++x, o += 3) {
            switch (source.format()) {
            case PixelFormat::Indexed1:
                putColour(o, paletteColour(pal, (in[x >> 3] >> (7 - (x & 7))) & 1u));
                break;
            case PixelFormat::Indexed4:
                putColour(o, paletteColour(pal, (in[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xFu));
                break;
            case PixelFormat::Gray8:
                o[0] = o[1] = o[2] = in[x];
                break;
            case PixelFormat::Rgb555: {
                const unsigned v = in[2 * x] | in[2 * x + 1] << 8;
                o[0] = expand(v & 31u, 5);
                o[1] = expand(v >> 5 & 31u, 5);
                o[2] = expand(v >> 10 & 31u, 5);
                break;
            }
            case PixelFormat::Rgb565: {
                const unsigned v = in[2 * x] | in[2 * x + 1] << 8;
                o[0] = expand(v & 31u, 5);
                o[1] = expand(v >> 5 & 63u, 6);
                o[2] = expand(v >> 11 & 31u, 5);
                break;
            }
            case PixelFormat::Bgr24:
                o[0] = in[3 * x];
                o[1] = in[3 * x + 1];
                o[2] = in[3 * x + 2];
                break;
            case PixelFormat::Bgra32:
                o[0] = in[4 * x];
                o[1] = in[4 * x + 1];
                o[2] = in[4 * x + 2];
                break;
            }
        }
    }
    return out;
}

} // namespace fringel
