// TIFF pictures through libtiff.
//
// Grey, palette and RGB pictures with unsigned samples of 1 to 16 bits are read here row by row
// (or tile by tile) and converted sample by sample: libtiff's RGBA reader takes only the high
// byte of a 16-bit grey sample while it rounds 16-bit colour, and it multiplies colour by an
// unassociated alpha channel, where the bitmap wants the colour as stored. Every other kind
// (YCbCr, CMYK, CIE L*a*b*, ...) goes through that RGBA reader, a band of rows at a time so its
// buffer stays small. The file's orientation tag is applied at the end, by mirroring the rows
// and/or their order, the same way for both paths.
#include "base/errors.h"
#include "base/input_file.h"
#include "image/decoders/picture_decoders.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <tiffio.h>
#include <unistd.h>
#include <vector>

namespace fringel {

namespace {

// No strip, tile or row buffer of a picture within the bitmap limits needs more; a file whose
// tags ask for more is refused instead of allocating it.
constexpr std::int64_t kMaxBufferBytes = std::int64_t{2} << 30;
// The RGBA reader is given whole strips or rows of tiles, as many as fit in about this much.
constexpr std::int64_t kRgbaBandBytes = std::int64_t{4} << 20;

// The first error libtiff reports on one file. Warnings are dropped.
struct TiffMessages {
    char first[256] = "";
};

int keepFirstError(TIFF*, void* user, const char*, const char* format, va_list args) {
    auto* messages = static_cast<TiffMessages*>(user);
    if (messages->first[0] == '\0')
        std::vsnprintf(messages->first, sizeof messages->first, format, args);
    return 1; // handled: libtiff prints nothing
}

int dropWarning(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}

// An open TIFF file whose errors are collected instead of printed.
class TiffFile {
public:
    explicit TiffFile(const std::string& fileName) : name_(fileName) {
        const int fd = openInputDescriptor(fileName);
        const std::unique_ptr<TIFFOpenOptions, void (*)(TIFFOpenOptions*)> options(
            TIFFOpenOptionsAlloc(), TIFFOpenOptionsFree);
        if (options) {
            TIFFOpenOptionsSetErrorHandlerExtR(options.get(), keepFirstError, &messages_);
            TIFFOpenOptionsSetWarningHandlerExtR(options.get(), dropWarning, nullptr);
            TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), kMaxBufferBytes);
            tiff_ = TIFFFdOpenExt(fd, fileName.c_str(), "r", options.get());
        }
        if (!tiff_) {
            ::close(fd); // libtiff closes the descriptor only once it has opened the file
            fail("not a readable TIFF file");
        }
    }
    ~TiffFile() { TIFFClose(tiff_); }
    TiffFile(const TiffFile&) = delete;
    TiffFile& operator=(const TiffFile&) = delete;

    TIFF* get() const { return tiff_; }
    const std::string& name() const { return name_; }

    // Raises FileError with `reason` and what libtiff said about it, if anything.
    [[noreturn]] void fail(const std::string& reason) const {
        if (messages_.first[0] == '\0') throw FileError(name_, reason);
        throw FileError(name_, reason + " (" + messages_.first + ")");
    }

private:
    std::string name_;
    TiffMessages messages_; // libtiff keeps a pointer to it
    TIFF* tiff_ = nullptr;
};

// What the first directory says about the pixels.
struct TiffLayout {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint16_t bits = 1;
    std::uint16_t samples = 1;
    std::uint16_t extraSamples = 0;
    std::uint16_t photometric = PHOTOMETRIC_MINISBLACK;
    std::uint16_t planar = PLANARCONFIG_CONTIG;
    std::uint16_t orientation = ORIENTATION_TOPLEFT;
    bool tiled = false;
    bool grey = false; // gives a Gray8 bitmap, else Bgr24

    bool separate() const { return planar == PLANARCONFIG_SEPARATE && samples > 1; }
    // Samples of one pixel that lie side by side in a row of one plane.
    int samplesInPlane() const { return separate() ? 1 : samples; }
    // Bytes of one row of one plane, as libtiff delivers it.
    std::int64_t planeRowBytes(std::uint32_t pixels) const {
        return (std::int64_t{pixels} * samplesInPlane() * bits + 7) / 8;
    }
};

TiffLayout readLayout(const TiffFile& file) {
    TIFF* tif = file.get();
    TiffLayout l;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &l.width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &l.height);
    if (l.width == 0 || l.height == 0)
        throw FileError(file.name(), "the picture is empty (" + std::to_string(l.width) + " x " +
                                         std::to_string(l.height) + " pixels)");
    if (!bitmapSizeAllowed(l.width, l.height))
        throw FileError(file.name(), "the picture is too large (" + std::to_string(l.width) +
                                         " x " + std::to_string(l.height) + " pixels)");
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &l.bits);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &l.samples);
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &l.planar);
    TIFFGetFieldDefaulted(tif, TIFFTAG_ORIENTATION, &l.orientation);
    std::uint16_t* extraTypes = nullptr;
    TIFFGetFieldDefaulted(tif, TIFFTAG_EXTRASAMPLES, &l.extraSamples, &extraTypes);
    if (l.samples == 0) throw FileError(file.name(), "the picture has no samples per pixel");
    if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &l.photometric)) {
        // Some writers leave the tag out; guess from the sample count, as libtiff does.
        if (l.samples - l.extraSamples >= 3)
            l.photometric = PHOTOMETRIC_RGB;
        else
            l.photometric = PHOTOMETRIC_MINISBLACK;
    }
    std::uint16_t sampleFormat = SAMPLEFORMAT_UINT;
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLEFORMAT, &sampleFormat);
    if (sampleFormat == SAMPLEFORMAT_INT)
        throw FileError(file.name(), "pictures with signed samples are not supported");
    if (sampleFormat != SAMPLEFORMAT_UINT && sampleFormat != SAMPLEFORMAT_VOID)
        throw FileError(file.name(), "pictures with floating-point or complex samples are not "
                                     "supported");
    l.tiled = TIFFIsTiled(tif) != 0;
    const bool greyKind =
        l.photometric == PHOTOMETRIC_MINISBLACK || l.photometric == PHOTOMETRIC_MINISWHITE;
    l.grey = greyKind && (l.samples == 1 || l.samples == 2 || l.samples == l.extraSamples + 1);
    return l;
}

// The pictures read sample by sample here; the rest go through the RGBA reader.
bool readDirectly(const TiffLayout& l) {
    switch (l.photometric) {
    case PHOTOMETRIC_MINISBLACK:
    case PHOTOMETRIC_MINISWHITE:
        return l.grey && (l.bits == 1 || l.bits == 2 || l.bits == 4 || l.bits == 8 || l.bits == 16);
    case PHOTOMETRIC_RGB:
        return l.samples >= 3 && (l.bits == 8 || l.bits == 16);
    case PHOTOMETRIC_PALETTE:
        return l.bits == 1 || l.bits == 2 || l.bits == 4 || l.bits == 8;
    default:
        return false;
    }
}

// 16 bits to 8, rounded to nearest: round(v x 255 / 65535).
std::uint8_t to8(std::uint16_t v) {
    return static_cast<std::uint8_t>((v + 128u) / 257u);
}

std::uint16_t load16(const std::uint8_t* p) {
    std::uint16_t v;
    std::memcpy(&v, p, sizeof v); // libtiff hands samples over in the machine's byte order
    return v;
}

// Sample `index` of a row of packed samples of 1 to 8 bits, the first in the high bits.
unsigned packedSample(const std::uint8_t* row, std::size_t index, int bits) {
    if (bits == 8) return row[index];
    const std::size_t bit = index * static_cast<std::size_t>(bits);
    return (row[bit / 8] >> (8 - bits - static_cast<int>(bit % 8))) & ((1u << bits) - 1);
}

// Turns the samples of one plane of a row into bitmap pixels.
class RowConverter {
public:
    RowConverter(const TiffFile& file, const TiffLayout& layout) : l_(layout) {
        if (l_.photometric == PHOTOMETRIC_PALETTE) {
            readPalette(file);
        } else if (l_.grey && l_.bits <= 8) {
            const unsigned top = (1u << l_.bits) - 1;
            for (unsigned v = 0; v <= top; ++v) {
                const unsigned level = v * 255 / top; // exact: 1, 3, 15 and 255 divide 255
                grey_[v] = static_cast<std::uint8_t>(invert() ? 255 - level : level);
            }
        }
    }

    // The planes that hold the samples the bitmap takes.
    std::uint16_t planesUsed() const {
        return l_.separate() && l_.photometric == PHOTOMETRIC_RGB ? 3 : 1;
    }

    // Converts `count` pixels of `plane` from `in` to `out`, the bitmap row at the first pixel.
    void convert(const std::uint8_t* in, std::uint32_t count, std::uint16_t plane,
                 std::uint8_t* out) const {
        const std::size_t step = static_cast<std::size_t>(l_.samplesInPlane());
        if (l_.photometric == PHOTOMETRIC_PALETTE) {
            for (std::uint32_t x = 0; x < count; ++x)
                std::memcpy(out + 3 * std::size_t{x},
                            colours_[packedSample(in, x * step, l_.bits)].data(), 3);
        } else if (l_.grey && l_.bits == 16) {
            const bool flip = invert();
            for (std::uint32_t x = 0; x < count; ++x) {
                const std::uint8_t level = to8(load16(in + 2 * x * step));
                out[x] = flip ? static_cast<std::uint8_t>(255 - level) : level;
            }
        } else if (l_.grey) {
            for (std::uint32_t x = 0; x < count; ++x)
                out[x] = grey_[packedSample(in, x * step, l_.bits)];
        } else {
            // RGB: all three samples of a contiguous row, or the one of a separate plane.
            const int first = l_.separate() ? plane : 0;
            const int last = l_.separate() ? plane : 2;
            for (int c = first; c <= last; ++c) {
                const std::size_t from = l_.separate() ? 0 : static_cast<std::size_t>(c);
                std::uint8_t* to = out + (2 - c); // blue, green, red
                if (l_.bits == 16) {
                    for (std::uint32_t x = 0; x < count; ++x)
                        to[3 * std::size_t{x}] = to8(load16(in + 2 * (x * step + from)));
                } else {
                    for (std::uint32_t x = 0; x < count; ++x)
                        to[3 * std::size_t{x}] = in[x * step + from];
                }
            }
        }
    }

private:
    bool invert() const { return l_.photometric == PHOTOMETRIC_MINISWHITE; }

    void readPalette(const TiffFile& file) {
        std::uint16_t* r = nullptr;
        std::uint16_t* g = nullptr;
        std::uint16_t* b = nullptr;
        if (!TIFFGetField(file.get(), TIFFTAG_COLORMAP, &r, &g, &b) || !r || !g || !b)
            throw FileError(file.name(), "the palette picture has no colour map");
        const std::size_t n = std::size_t{1} << l_.bits;
        // Colour maps hold 16-bit values, but some writers store 8-bit ones; like libtiff,
        // take the map as 8-bit when no entry exceeds 255.
        bool eightBit = true;
        for (std::size_t i = 0; i < n; ++i)
            if (r[i] > 255 || g[i] > 255 || b[i] > 255) eightBit = false;
        const auto level = [eightBit](std::uint16_t v) {
            return eightBit ? static_cast<std::uint8_t>(v) : to8(v);
        };
        for (std::size_t i = 0; i < n; ++i)
            colours_[i] = {level(b[i]), level(g[i]), level(r[i])};
    }

    const TiffLayout& l_;
    std::array<std::uint8_t, 256> grey_{};
    std::array<std::array<std::uint8_t, 3>, 256> colours_{};
};

void readStrips(const TiffFile& file, const TiffLayout& l, Bitmap& bitmap) {
    TIFF* tif = file.get();
    const RowConverter converter(file, l);
    const std::int64_t rowBytes = l.planeRowBytes(l.width);
    const std::int64_t scanline = static_cast<std::int64_t>(TIFFScanlineSize64(tif));
    if (scanline < rowBytes || scanline > kMaxBufferBytes)
        file.fail("unexpected row size of " + std::to_string(scanline) + " bytes");
    const auto readRow = [&](void* to, std::uint32_t y, std::uint16_t plane) {
        if (TIFFReadScanline(tif, to, y, plane) < 0)
            file.fail("cannot read row " + std::to_string(y) + " of the picture");
    };

    // The commonest pictures go straight into the bitmap's rows, which are long enough.
    const bool plainGrey =
        l.grey && l.bits == 8 && l.samples == 1 && l.photometric == PHOTOMETRIC_MINISBLACK;
    const bool plainRgb =
        l.photometric == PHOTOMETRIC_RGB && l.bits == 8 && l.samples == 3 && !l.separate();
    if ((plainGrey || plainRgb) && scanline <= bitmap.stride()) {
        for (std::uint32_t y = 0; y < l.height; ++y) {
            std::uint8_t* row = bitmap.row(static_cast<std::int32_t>(y));
            readRow(row, y, 0);
            if (plainRgb)
                for (std::uint32_t x = 0; x < l.width; ++x)
                    std::swap(row[3 * std::size_t{x}], row[3 * std::size_t{x} + 2]);
        }
        return;
    }

    // Separate planes are read one after the other, so each plane's strips are decoded once.
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(scanline));
    for (std::uint16_t plane = 0; plane < converter.planesUsed(); ++plane)
        for (std::uint32_t y = 0; y < l.height; ++y) {
            readRow(buffer.data(), y, plane);
            converter.convert(buffer.data(), l.width, plane,
                              bitmap.row(static_cast<std::int32_t>(y)));
        }
}

void readTiles(const TiffFile& file, const TiffLayout& l, Bitmap& bitmap) {
    TIFF* tif = file.get();
    const RowConverter converter(file, l);
    std::uint32_t tileWidth = 0;
    std::uint32_t tileHeight = 0;
    TIFFGetField(tif, TIFFTAG_TILEWIDTH, &tileWidth);
    TIFFGetField(tif, TIFFTAG_TILELENGTH, &tileHeight);
    const std::int64_t tileBytes = static_cast<std::int64_t>(TIFFTileSize64(tif));
    const std::int64_t tileRowBytes = static_cast<std::int64_t>(TIFFTileRowSize64(tif));
    if (tileWidth == 0 || tileHeight == 0 || tileBytes <= 0 || tileBytes > kMaxBufferBytes ||
        tileRowBytes < l.planeRowBytes(tileWidth) ||
        tileRowBytes * std::int64_t{tileHeight} > tileBytes)
        file.fail("unusable tile size of " + std::to_string(tileWidth) + " x " +
                  std::to_string(tileHeight) + " pixels");
    const int pixelBytes = bitmap.format() == PixelFormat::Gray8 ? 1 : 3;

    std::vector<std::uint8_t> tile(static_cast<std::size_t>(tileBytes));
    for (std::uint16_t plane = 0; plane < converter.planesUsed(); ++plane)
        for (std::uint32_t y0 = 0; y0 < l.height; y0 += tileHeight)
            for (std::uint32_t x0 = 0; x0 < l.width; x0 += tileWidth) {
                if (TIFFReadTile(tif, tile.data(), x0, y0, 0, plane) < 0)
                    file.fail("cannot read the tile at " + std::to_string(x0) + ", " +
                              std::to_string(y0));
                const std::uint32_t rows = std::min(tileHeight, l.height - y0);
                const std::uint32_t pixels = std::min(tileWidth, l.width - x0);
                for (std::uint32_t r = 0; r < rows; ++r)
                    converter.convert(tile.data() + r * tileRowBytes, pixels, plane,
                                      bitmap.row(static_cast<std::int32_t>(y0 + r)) +
                                          std::size_t{x0} * pixelBytes);
            }
}

// Every other kind of picture, through libtiff's RGBA reader.
void readThroughRgba(const TiffFile& file, const TiffLayout& l, Bitmap& bitmap) {
    TIFF* tif = file.get();
    char message[1024] = "";
    if (!TIFFRGBAImageOK(tif, message))
        throw FileError(file.name(), std::string("unsupported kind of TIFF picture: ") + message);
    TIFFRGBAImage image{};
    if (!TIFFRGBAImageBegin(&image, tif, 1, message))
        throw FileError(file.name(), std::string("cannot read the picture: ") + message);
    const std::unique_ptr<TIFFRGBAImage, void (*)(TIFFRGBAImage*)> end(&image, TIFFRGBAImageEnd);
    // Rows in the order they are stored; the orientation is applied afterwards.
    image.req_orientation = image.orientation;

    // Whole strips or rows of tiles per call, so no strip is decoded twice.
    std::uint32_t unit = 0;
    if (l.tiled)
        TIFFGetField(tif, TIFFTAG_TILELENGTH, &unit);
    else
        TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &unit);
    unit = std::clamp<std::uint32_t>(unit, 1, l.height);
    const std::int64_t unitBytes = std::int64_t{4} * l.width * unit;
    const std::int64_t units = std::max<std::int64_t>(1, kRgbaBandBytes / unitBytes);
    const auto band = static_cast<std::uint32_t>(std::min<std::int64_t>(units * unit, l.height));

    std::vector<std::uint32_t> raster(std::size_t{l.width} * band);
    for (std::uint32_t y0 = 0; y0 < l.height; y0 += band) {
        const std::uint32_t rows = std::min(band, l.height - y0);
        image.row_offset = static_cast<int>(y0);
        image.col_offset = 0;
        if (!TIFFRGBAImageGet(&image, raster.data(), l.width, rows))
            file.fail("cannot read rows " + std::to_string(y0) + " to " +
                      std::to_string(y0 + rows - 1) + " of the picture");
        for (std::uint32_t r = 0; r < rows; ++r) {
            const std::uint32_t* in = raster.data() + std::size_t{r} * l.width;
            std::uint8_t* out = bitmap.row(static_cast<std::int32_t>(y0 + r));
            if (l.grey) {
                for (std::uint32_t x = 0; x < l.width; ++x)
                    out[x] = static_cast<std::uint8_t>(TIFFGetR(in[x]));
            } else {
                for (std::uint32_t x = 0; x < l.width; ++x) {
                    out[3 * std::size_t{x}] = static_cast<std::uint8_t>(TIFFGetB(in[x]));
                    out[3 * std::size_t{x} + 1] = static_cast<std::uint8_t>(TIFFGetG(in[x]));
                    out[3 * std::size_t{x} + 2] = static_cast<std::uint8_t>(TIFFGetR(in[x]));
                }
            }
        }
    }
}

// Turns rows stored in the file's orientation into rows from the top, pixels from the left.
// The orientations that swap rows and columns are taken like their unswapped counterparts,
// as libtiff's RGBA reader takes them.
void applyOrientation(std::uint16_t orientation, Bitmap& bitmap) {
    const bool mirror = orientation == ORIENTATION_TOPRIGHT ||
                        orientation == ORIENTATION_BOTRIGHT ||
                        orientation == ORIENTATION_RIGHTTOP || orientation == ORIENTATION_RIGHTBOT;
    const bool upsideDown =
        orientation == ORIENTATION_BOTRIGHT || orientation == ORIENTATION_BOTLEFT ||
        orientation == ORIENTATION_RIGHTBOT || orientation == ORIENTATION_LEFTBOT;
    const std::int32_t w = bitmap.width();
    const std::int32_t h = bitmap.height();
    if (upsideDown)
        for (std::int32_t y = 0; y < h / 2; ++y)
            std::swap_ranges(bitmap.row(y), bitmap.row(y) + bitmap.stride(), bitmap.row(h - 1 - y));
    if (mirror) {
        const int pixelBytes = bitmap.format() == PixelFormat::Gray8 ? 1 : 3;
        for (std::int32_t y = 0; y < h; ++y) {
            std::uint8_t* row = bitmap.row(y);
            for (std::int32_t x = 0; x < w / 2; ++x)
                std::swap_ranges(row + std::size_t(x) * pixelBytes,
                                 row + std::size_t(x + 1) * pixelBytes,
                                 row + std::size_t(w - 1 - x) * pixelBytes);
        }
    }
}

} // namespace

Bitmap decodeTiff(const std::string& fileName) {
    const TiffFile file(fileName);
    const TiffLayout layout = readLayout(file);
    Bitmap bitmap(static_cast<std::int32_t>(layout.width), static_cast<std::int32_t>(layout.height),
                  layout.grey ? PixelFormat::Gray8 : PixelFormat::Bgr24);
    if (!readDirectly(layout))
        readThroughRgba(file, layout, bitmap);
    else if (layout.tiled)
        readTiles(file, layout, bitmap);
    else
        readStrips(file, layout, bitmap);
    applyOrientation(layout.orientation, bitmap);
    return bitmap;
}

} // namespace fringel
