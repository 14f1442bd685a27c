#include "image/bmp_codec.h"

#include "base/errors.h"
#include "base/replacing_file.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace fringel {

namespace {

namespace fs = std::filesystem;

constexpr std::int64_t kFileHeaderSize = 14;
constexpr std::int64_t kInfoHeaderSize = 40;
// Files beyond this are refused before reading: no picture within the bitmap limits needs more.
constexpr std::int64_t kMaxFileBytes = std::int64_t{2} << 30;
// 1,000,000 pixels per metre is 25,400 dots per inch, far beyond any camera or scanner; a
// larger or negative value means the header is garbage.
constexpr std::int64_t kMaxPixelsPerMetre = 1'000'000;
constexpr std::int32_t kWrittenPixelsPerMetre = 2835; // 72 dots per inch

enum Compression : std::uint32_t {
    kRgb = 0,
    kRle8 = 1,
    kRle4 = 2,
    kBitFields = 3,
    kJpeg = 4,
    kPng = 5,
    kAlphaBitFields = 6,
};

[[noreturn]] void fail(const std::string& name, const std::string& reason) {
    throw FileError(name, reason);
}

std::string hex(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", value);
    return text;
}

// Little-endian reads; callers have checked that the bytes are inside the span.
std::uint16_t get16(std::span<const std::uint8_t> d, std::int64_t at) {
    const auto i = static_cast<std::size_t>(at);
    return static_cast<std::uint16_t>(d[i] | d[i + 1] << 8);
}

std::uint32_t get32(std::span<const std::uint8_t> d, std::int64_t at) {
    const auto i = static_cast<std::size_t>(at);
    return std::uint32_t{d[i]} | std::uint32_t{d[i + 1]} << 8 | std::uint32_t{d[i + 2]} << 16 |
           std::uint32_t{d[i + 3]} << 24;
}

std::int32_t getSigned32(std::span<const std::uint8_t> d, std::int64_t at) {
    return static_cast<std::int32_t>(get32(d, at));
}

// One colour channel of a bit-field pixel: which bits hold it and how to scale it.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    int bits = 0;

    explicit Channel(std::uint32_t m = 0)
        : mask(m), shift(m ? std::countr_zero(m) : 0), bits(std::popcount(m)) {}

    // The channel's value scaled to `targetBits` bits, rounded to nearest.
    unsigned scaled(std::uint32_t pixel, int targetBits) const {
        if (bits == 0) return 0;
        const std::uint64_t v = (pixel & mask) >> shift;
        const std::uint64_t maxSource = (std::uint64_t{1} << bits) - 1;
        const std::uint64_t maxTarget = (std::uint64_t{1} << targetBits) - 1;
        return static_cast<unsigned>((v * maxTarget * 2 + maxSource) / (2 * maxSource));
    }
};

struct Masks {
    std::array<std::uint32_t, 4> value{}; // red, green, blue, alpha
};

void checkMasks(const Masks& masks, int bpp, const std::string& name) {
    static constexpr std::array<const char*, 4> kNames{"red", "green", "blue", "alpha"};
    const std::uint64_t pixelMask = (std::uint64_t{1} << bpp) - 1;
    for (std::size_t i = 0; i < 4; ++i) {
        const std::uint32_t m = masks.value[i];
        if (m == 0) {
            if (i < 3) fail(name, std::string("bit field mask for ") + kNames[i] + " is empty");
            continue;
        }
        if ((m & ~pixelMask) != 0)
            fail(name, std::string("bit field mask ") + hex(m) + " for " + kNames[i] +
                           " lies outside the " + std::to_string(bpp) + "-bit pixel");
        const std::uint64_t run = std::uint64_t{m} >> std::countr_zero(m);
        if ((run & (run + 1)) != 0)
            fail(name, std::string("bit field mask ") + hex(m) + " for " + kNames[i] +
                           " is not contiguous");
        for (std::size_t j = 0; j < i; ++j)
            if ((masks.value[j] & m) != 0)
                fail(name, std::string("bit field masks for ") + kNames[j] + " and " + kNames[i] +
                               " overlap");
    }
}

// Everything the header tells about the picture, once checked.
struct Layout {
    std::int64_t width = 0;
    std::int64_t height = 0; // always positive
    bool topDown = false;
    int bpp = 0;
    std::uint32_t compression = kRgb;
    Masks masks;
    bool hasMasks = false;
    std::int64_t pixelOffset = 0;
    std::int64_t imageSize = 0; // biSizeImage, 0 when not given
    std::vector<std::uint32_t> palette;
};

std::string compressionName(std::uint32_t compression) {
    switch (compression) {
    case kRle8:
        return "RLE8";
    case kRle4:
        return "RLE4";
    default:
        return std::to_string(compression);
    }
}

Layout readLayout(std::span<const std::uint8_t> file, const std::string& name) {
    const auto fileSize = static_cast<std::int64_t>(file.size());
    if (fileSize < kFileHeaderSize + 4)
        fail(name, "too short to be a BMP file (" + std::to_string(fileSize) + " bytes)");
    if (file[0] != 'B' || file[1] != 'M') {
        const std::string sig{static_cast<char>(file[0]), static_cast<char>(file[1])};
        for (const char* os2 : {"BA", "CI", "CP", "IC", "PT"})
            if (sig == os2) fail(name, "unsupported OS/2 file type '" + sig + "'");
        fail(name, "not a BMP file (no 'BM' signature)");
    }
    const std::int64_t declaredFileSize = get32(file, 2);
    const std::int64_t pixelOffset = get32(file, 10);
    const std::int64_t headerSize = get32(file, 14);

    // 12: OS/2 1.x; 40, 52, 56, 108, 124: Windows; other even sizes up to 64: OS/2 2.x, whose
    // header may stop after any field.
    const bool os2v1 = headerSize == 12;
    const bool windows = headerSize == 40 || headerSize == 52 || headerSize == 56 ||
                         headerSize == 108 || headerSize == 124;
    const bool os2v2 = !windows && headerSize >= 16 && headerSize <= 64 && headerSize % 2 == 0;
    if (!os2v1 && !windows && !os2v2)
        fail(name, "unsupported header size " + std::to_string(headerSize));
    if (fileSize < kFileHeaderSize + headerSize)
        fail(name, "truncated header (needs " + std::to_string(kFileHeaderSize + headerSize) +
                       " bytes, file has " + std::to_string(fileSize) + ")");

    const std::int64_t h0 = kFileHeaderSize;
    // A field of the info header, 0 when the header stops before it.
    auto field = [&](std::int64_t at) -> std::uint32_t {
        return at + 4 <= headerSize ? get32(file, h0 + at) : 0;
    };

    Layout out;
    std::int64_t width = 0;
    std::int64_t height = 0;
    int planes = 0;
    if (os2v1) {
        width = get16(file, h0 + 4);
        height = get16(file, h0 + 6);
        planes = get16(file, h0 + 8);
        out.bpp = get16(file, h0 + 10);
    } else {
        width = getSigned32(file, h0 + 4);
        height = getSigned32(file, h0 + 8);
        planes = get16(file, h0 + 12);
        out.bpp = get16(file, h0 + 14);
        out.compression = field(16);
        out.imageSize = field(20);
    }
    const std::int64_t xPixelsPerMetre = static_cast<std::int32_t>(field(24));
    const std::int64_t yPixelsPerMetre = static_cast<std::int32_t>(field(28));
    const std::uint32_t coloursUsed = os2v1 ? 0 : field(32);

    if (width <= 0) fail(name, "invalid width " + std::to_string(width));
    if (height == 0) fail(name, "invalid height 0");
    out.topDown = height < 0;
    out.width = width;
    out.height = height < 0 ? -height : height;
    if (planes != 1)
        fail(name, "invalid number of planes " + std::to_string(planes) + " (must be 1)");

    // Compression: OS/2 2.x reuses 3 and 4 for its own schemes.
    const std::uint32_t c = out.compression;
    if (os2v2 && c == 3) fail(name, "unsupported compression 3 (OS/2 Huffman 1D)");
    if (os2v2 && c == 4) fail(name, "unsupported compression 4 (OS/2 RLE24)");
    if (c == kJpeg) fail(name, "unsupported compression 4 (JPEG)");
    if (c == kPng) fail(name, "unsupported compression 5 (PNG)");
    if (c >= 11 && c <= 13) fail(name, "unsupported compression " + std::to_string(c) + " (CMYK)");
    if (c > kAlphaBitFields) fail(name, "unknown compression " + std::to_string(c));

    const int bpp = out.bpp;
    if (bpp == 2 || bpp == 64)
        fail(name, "unsupported bit depth " + std::to_string(bpp) + " bits per pixel");
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        fail(name, "invalid bit count " + std::to_string(bpp));
    if ((c == kRle8 && bpp != 8) || (c == kRle4 && bpp != 4))
        fail(name, "compression " + compressionName(c) + " does not go with " +
                       std::to_string(bpp) + " bits per pixel");
    if ((c == kBitFields || c == kAlphaBitFields) && bpp != 16 && bpp != 32)
        fail(name,
             "bit field compression does not go with " + std::to_string(bpp) + " bits per pixel");
    const bool rle = c == kRle8 || c == kRle4;
    // RLE streams run from the bottom row up; a top-down RLE file has no defined meaning.
    if (rle && out.topDown)
        fail(name, "top-down bitmap with " + compressionName(c) + " compression");

    // Size limits, before anything is allocated.
    if (!bitmapSizeAllowed(out.width, out.height)) {
        const std::string size = std::to_string(out.width) + " x " + std::to_string(out.height);
        if (out.width * out.height > kMaxBitmapPixels)
            fail(name, "declared size " + size + " exceeds the limit of " +
                           std::to_string(kMaxBitmapPixels) + " pixels");
        fail(name, "declared size " + size + " exceeds the limit of " +
                       std::to_string(kMaxBitmapSide) + " pixels on a side");
    }
    for (const std::int64_t density : {xPixelsPerMetre, yPixelsPerMetre})
        if (density < 0 || density > kMaxPixelsPerMetre)
            fail(name,
                 "implausible resolution of " + std::to_string(density) + " pixels per metre");

    // Bit-field masks: in the header from 52 bytes on, else right after a 40-byte header.
    std::int64_t afterHeader = h0 + headerSize;
    if (c == kBitFields || c == kAlphaBitFields) {
        out.hasMasks = true;
        if (headerSize >= 52) {
            for (std::size_t i = 0; i < 3; ++i)
                out.masks.value[i] = field(40 + 4 * static_cast<std::int64_t>(i));
            out.masks.value[3] = field(52);
        } else {
            const std::int64_t count = c == kAlphaBitFields ? 4 : 3;
            if (fileSize < afterHeader + 4 * count)
                fail(name, "truncated header (the bit field masks are missing)");
            for (std::int64_t i = 0; i < count; ++i)
                out.masks.value[static_cast<std::size_t>(i)] = get32(file, afterHeader + 4 * i);
            afterHeader += 4 * count;
        }
        checkMasks(out.masks, bpp, name);
    }

    // Pixel data offset.
    if (pixelOffset < afterHeader)
        fail(name, "pixel data offset " + std::to_string(pixelOffset) + " lies inside the headers");
    if (pixelOffset >= fileSize)
        fail(name, "pixel data offset " + std::to_string(pixelOffset) +
                       " lies beyond the end of the file (" + std::to_string(fileSize) + " bytes)");
    out.pixelOffset = pixelOffset;

    // Palette. A declared count must fit in the file before the pixels; more entries than the
    // pixels can address are allowed, and only those that can be addressed are read. Without
    // a count, an indexed file has as many entries as fit before the pixels, at most 2^bpp.
    const std::int64_t entrySize = os2v1 ? 3 : 4;
    if (coloursUsed > 0) {
        const std::int64_t end = afterHeader + std::int64_t{coloursUsed} * entrySize;
        if (end > fileSize)
            fail(name,
                 "palette of " + std::to_string(coloursUsed) + " entries does not fit in the file");
        if (end > pixelOffset)
            fail(name, "palette of " + std::to_string(coloursUsed) +
                           " entries overlaps the pixel data at offset " +
                           std::to_string(pixelOffset));
    }
    if (bpp <= 8) {
        const std::int64_t maxEntries = std::int64_t{1} << bpp;
        const std::int64_t entries =
            coloursUsed > 0 ? std::min<std::int64_t>(coloursUsed, maxEntries)
                            : std::min(maxEntries, (pixelOffset - afterHeader) / entrySize);
        if (entries == 0) fail(name, "colour palette missing");
        out.palette.resize(static_cast<std::size_t>(entries));
        for (std::int64_t i = 0; i < entries; ++i) {
            const auto at = static_cast<std::size_t>(afterHeader + i * entrySize);
            out.palette[static_cast<std::size_t>(i)] = 0xFF000000u |
                                                       std::uint32_t{file[at + 2]} << 16 |
                                                       std::uint32_t{file[at + 1]} << 8 | file[at];
        }
    }

    const std::int64_t available = fileSize - pixelOffset;
    if (!rle) {
        const std::int64_t stride = (out.width * bpp + 31) / 32 * 4;
        const std::int64_t needed = stride * out.height;
        if (needed > available)
            fail(name, "truncated pixel data (needs " + std::to_string(needed) +
                           " bytes, file has " + std::to_string(available) + ")");
    }
    // biSizeImage: informative for uncompressed data, the stream length for RLE; a value
    // larger than the whole file is garbage.
    if (out.imageSize > fileSize)
        fail(name, "declared image data size " + std::to_string(out.imageSize) +
                       " is larger than the whole file (" + std::to_string(fileSize) + " bytes)");
    // A file shorter than its own header says has lost its end, even when the pixels happen
    // to be complete.
    if (declaredFileSize > fileSize)
        fail(name, "truncated file (the header gives " + std::to_string(declaredFileSize) +
                       " bytes, the file has " + std::to_string(fileSize) + ")");
    return out;
}

[[noreturn]] void badIndex(const std::string& name, unsigned value, std::int64_t x, std::int64_t y,
                           std::size_t entries) {
    fail(name, "pixel (" + std::to_string(x) + ", " + std::to_string(y) + ") uses colour index " +
                   std::to_string(value) + " beyond the palette of " + std::to_string(entries) +
                   " entries");
}

// Checks the indices of one decoded row of an indexed bitmap against the palette.
void checkRowIndices(const Bitmap& bmp, std::int32_t y, std::size_t entries,
                     const std::string& name) {
    const std::uint8_t* p = bmp.row(y);
    const std::int32_t w = bmp.width();
    switch (bmp.format()) {
    case PixelFormat::Gray8: {
        std::uint8_t highest = 0;
        for (std::int32_t x = 0; x < w; ++x)
            highest = std::max(highest, p[x]);
        if (highest < entries) return;
        for (std::int32_t x = 0; x < w; ++x)
            if (p[x] >= entries) badIndex(name, p[x], x, y, entries);
        break;
    }
    case PixelFormat::Indexed4:
        for (std::int32_t x = 0; x < w; ++x) {
            const unsigned v = (p[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xFu;
            if (v >= entries) badIndex(name, v, x, y, entries);
        }
        break;
    case PixelFormat::Indexed1:
        for (std::int32_t x = 0; x < w; ++x) {
            const unsigned v = (p[x >> 3] >> (7 - (x & 7))) & 1u;
            if (v >= entries) badIndex(name, v, x, y, entries);
        }
        break;
    default:
        break;
    }
}

// Uncompressed rows of 1, 4, 8, 24 bits and 16/32-bit BI_RGB: one copy per row. Only the
// bytes holding pixels are copied, and unused bits of the last byte are cleared, so the
// padding of the bitmap stays zero whatever the file holds there.
void copyRows(std::span<const std::uint8_t> file, const Layout& lay, Bitmap& bmp,
              const std::string& name) {
    const std::int64_t fileStride = (lay.width * lay.bpp + 31) / 32 * 4;
    const std::int64_t usedBits = lay.width * lay.bpp;
    const auto usedBytes = static_cast<std::size_t>((usedBits + 7) / 8);
    const int spareBits = static_cast<int>(usedBytes * 8 - usedBits);
    const auto lastMask = static_cast<std::uint8_t>(0xFFu << spareBits);
    const bool checkIndices = lay.bpp <= 8 && lay.palette.size() < (std::size_t{1} << lay.bpp);
    for (std::int32_t i = 0; i < bmp.height(); ++i) {
        const std::int32_t y = lay.topDown ? i : bmp.height() - 1 - i;
        std::uint8_t* dst = bmp.row(y);
        std::memcpy(dst, file.data() + lay.pixelOffset + i * fileStride, usedBytes);
        dst[usedBytes - 1] &= lastMask;
        if (checkIndices) checkRowIndices(bmp, y, lay.palette.size(), name);
    }
}

// 16 and 32-bit pixels with bit-field masks, converted channel by channel.
void convertBitFields(std::span<const std::uint8_t> file, const Layout& lay, Bitmap& bmp) {
    const std::int64_t fileStride = (lay.width * lay.bpp + 31) / 32 * 4;
    const Channel r(lay.masks.value[0]);
    const Channel g(lay.masks.value[1]);
    const Channel b(lay.masks.value[2]);
    const Channel a(lay.masks.value[3]);
    const PixelFormat format = bmp.format();
    for (std::int32_t i = 0; i < bmp.height(); ++i) {
        const std::int32_t y = lay.topDown ? i : bmp.height() - 1 - i;
        const std::uint8_t* src = file.data() + lay.pixelOffset + i * fileStride;
        std::uint8_t* dst = bmp.row(y);
        for (std::int32_t x = 0; x < bmp.width(); ++x) {
            if (lay.bpp == 16) {
                const std::uint32_t v = src[2 * x] | src[2 * x + 1] << 8;
                unsigned out = 0;
                if (format == PixelFormat::Rgb565)
                    out = v; // the masks are exactly 5-6-5
                else
                    out = r.scaled(v, 5) << 10 | g.scaled(v, 5) << 5 | b.scaled(v, 5);
                dst[2 * x] = static_cast<std::uint8_t>(out);
                dst[2 * x + 1] = static_cast<std::uint8_t>(out >> 8);
            } else {
                const std::uint32_t v = src[4 * x] | src[4 * x + 1] << 8 | src[4 * x + 2] << 16 |
                                        std::uint32_t{src[4 * x + 3]} << 24;
                dst[4 * x] = static_cast<std::uint8_t>(b.scaled(v, 8));
                dst[4 * x + 1] = static_cast<std::uint8_t>(g.scaled(v, 8));
                dst[4 * x + 2] = static_cast<std::uint8_t>(r.scaled(v, 8));
                // Without an alpha mask the pixel is opaque.
                dst[4 * x + 3] = static_cast<std::uint8_t>(a.bits ? a.scaled(v, 8) : 255);
            }
        }
    }
}

// RLE8 and RLE4 streams, decoded into Gray8 (raw indices) or Indexed4. Every run, literal
// and delta must stay inside the picture, and every index inside the palette; a stream that
// breaks either rule is refused rather than clipped. Pixels that a delta skips, or that an
// early end-of-bitmap marker leaves out, stay 0. A stream that runs out of data without an
// end-of-bitmap marker is accepted only if it has already filled the whole picture.
void decodeRle(std::span<const std::uint8_t> data, const Layout& lay, Bitmap& bmp,
               const std::string& name) {
    const bool four = lay.compression == kRle4;
    const std::int64_t w = lay.width;
    const std::int64_t h = lay.height;
    const std::size_t entries = lay.palette.size();
    std::int64_t x = 0;
    std::int64_t y = 0; // counted from the bottom row, as the stream runs
    std::size_t p = 0;

    auto put = [&](unsigned v) {
        if (v >= entries) badIndex(name, v, x, h - 1 - y, entries);
        std::uint8_t* row = bmp.row(static_cast<std::int32_t>(h - 1 - y));
        if (four) {
            const int shift = (x & 1) ? 0 : 4;
            std::uint8_t& byte = row[x >> 1];
            byte = static_cast<std::uint8_t>((byte & ~(0xF << shift)) | v << shift);
        } else {
            row[x] = static_cast<std::uint8_t>(v);
        }
        ++x;
    };
    auto where = [&] {
        return " at column " + std::to_string(x) + ", row " + std::to_string(h - 1 - y);
    };

    for (;;) {
        if (data.size() - p < 2) {
            if (y >= h || (y == h - 1 && x == w)) return;
            fail(name, "RLE data ends before the end-of-bitmap marker");
        }
        const unsigned first = data[p];
        const unsigned second = data[p + 1];
        p += 2;
        if (first > 0) { // a run of `first` pixels
            if (y >= h || x + first > w)
                fail(name, "RLE run of " + std::to_string(first) + " pixels" + where() +
                               " leaves the picture");
            for (unsigned i = 0; i < first; ++i)
                put(four ? ((i & 1) ? second & 0xFu : second >> 4) : second);
        } else if (second == 0) { // end of line
            if (y >= h) fail(name, "RLE end of line below the last row");
            x = 0;
            ++y;
        } else if (second == 1) { // end of bitmap
            return;
        } else if (second == 2) { // delta
            if (data.size() - p < 2) fail(name, "RLE data ends inside a delta");
            const unsigned dx = data[p];
            const unsigned dy = data[p + 1];
            p += 2;
            if (x + dx > w || y + dy >= h)
                fail(name, "RLE delta (" + std::to_string(dx) + ", " + std::to_string(dy) + ")" +
                               where() + " leaves the picture");
            x += dx;
            y += dy;
        } else { // a literal of `second` pixels, padded to an even number of bytes
            const unsigned count = second;
            const std::size_t bytes = four ? (count + 1) / 2 : count;
            if (y >= h || x + count > w)
                fail(name, "RLE literal of " + std::to_string(count) + " pixels" + where() +
                               " leaves the picture");
            if (data.size() - p < bytes) fail(name, "RLE data ends inside a literal run");
            for (unsigned i = 0; i < count; ++i) {
                const unsigned byte = data[p + (four ? i / 2 : i)];
                put(four ? ((i & 1) ? byte & 0xFu : byte >> 4) : byte);
            }
            p += std::min(bytes + (bytes & 1), data.size() - p);
        }
    }
}

fs::path toPath(const std::string& fileName) {
    return fs::path(std::u8string(fileName.begin(), fileName.end()));
}

void put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    put16(out, v & 0xFFFFu);
    put16(out, v >> 16);
}

} // namespace

Bitmap decodeBmp(std::span<const std::uint8_t> file, const std::string& name) {
    const Layout lay = readLayout(file, name);
    const auto w = static_cast<std::int32_t>(lay.width);
    const auto h = static_cast<std::int32_t>(lay.height);

    PixelFormat format = PixelFormat::Bgr24;
    switch (lay.bpp) {
    case 1:
        format = PixelFormat::Indexed1;
        break;
    case 4:
        format = PixelFormat::Indexed4;
        break;
    case 8:
        format = PixelFormat::Gray8;
        break;
    case 16: {
        const auto& m = lay.masks.value;
        const bool is565 = lay.hasMasks && m[0] == 0xF800 && m[1] == 0x07E0 && m[2] == 0x001F;
        format = is565 ? PixelFormat::Rgb565 : PixelFormat::Rgb555;
        break;
    }
    case 24:
        format = PixelFormat::Bgr24;
        break;
    case 32:
        format = PixelFormat::Bgra32;
        break;
    default:
        fail(name, "invalid bit count " + std::to_string(lay.bpp));
    }

    Bitmap bmp(w, h, format);
    if (lay.compression == kRle8 || lay.compression == kRle4) {
        auto data = file.subspan(static_cast<std::size_t>(lay.pixelOffset));
        if (lay.imageSize > 0 && static_cast<std::size_t>(lay.imageSize) < data.size())
            data = data.first(static_cast<std::size_t>(lay.imageSize));
        decodeRle(data, lay, bmp, name);
    } else if (lay.hasMasks) {
        convertBitFields(file, lay, bmp);
    } else {
        // BI_RGB 16-bit is x1r5g5b5, as Rgb555; 32-bit BI_RGB keeps its fourth byte as is.
        copyRows(file, lay, bmp, name);
    }
    if (!lay.palette.empty()) bmp.setPalette(lay.palette);
    return bmp;
}

Bitmap readBmp(const std::string& fileName) {
    const fs::path path = toPath(fileName);
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (status.type() == fs::file_type::not_found) fail(fileName, "file not found");
    if (ec) fail(fileName, "cannot access the file: " + ec.message());
    if (!fs::is_regular_file(status)) fail(fileName, "not a regular file");
    const std::uintmax_t size = fs::file_size(path, ec);
    if (ec) fail(fileName, "cannot read the file size: " + ec.message());
    if (size > static_cast<std::uintmax_t>(kMaxFileBytes))
        fail(fileName, "file too large for a BMP picture (" + std::to_string(size) + " bytes)");

    // Read into a buffer on huge pages: on virtual machines that is cheaper than mapping.
    std::ifstream in(path, std::ios::binary);
    if (!in) fail(fileName, "cannot open the file");
    std::vector<std::uint8_t, LargeBufferAllocator<std::uint8_t>> bytes(
        static_cast<std::size_t>(size));
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size));
    if (static_cast<std::uintmax_t>(in.gcount()) != size)
        fail(fileName, "read error (got " + std::to_string(in.gcount()) + " of " +
                           std::to_string(size) + " bytes)");
    return decodeBmp(std::span<const std::uint8_t>(bytes.data(), bytes.size()), fileName);
}

namespace {

// Everything of a BMP file before its pixel rows: the headers and the palette.
std::vector<std::uint8_t> bmpHeader(const Bitmap& bitmap) {
    if (bitmap.isEmpty())
        throw FringelError("An empty bitmap (" + std::to_string(bitmap.width()) + " x " +
                           std::to_string(bitmap.height()) + ") cannot be written as BMP");
    const PixelFormat format = bitmap.format();
    const int bpp = bitsPerPixel(format);

    std::vector<std::uint32_t> palette; // 0xAARRGGBB
    if (format == PixelFormat::Gray8) {
        for (std::uint32_t i = 0; i < 256; ++i)
            palette.push_back(0xFF000000u | i << 16 | i << 8 | i);
    } else if (format == PixelFormat::Indexed1 || format == PixelFormat::Indexed4) {
        const std::size_t entries = std::size_t{1} << bpp;
        palette = bitmap.palette();
        palette.resize(std::min(palette.size(), entries));
        // Missing entries become a grey ramp, as toBgr24 shows them.
        for (std::size_t i = palette.size(); i < entries; ++i) {
            const auto v = static_cast<std::uint32_t>(i * 255 / (entries - 1));
            palette.push_back(0xFF000000u | v << 16 | v << 8 | v);
        }
    }
    const bool bitFields = format == PixelFormat::Rgb565;
    const std::int64_t maskBytes = bitFields ? 12 : 0;
    const std::int64_t offset = kFileHeaderSize + kInfoHeaderSize + maskBytes +
                                4 * static_cast<std::int64_t>(palette.size());
    const std::int64_t imageSize = bitmap.stride() * bitmap.height();
    const std::int64_t fileSize = offset + imageSize;

    std::vector<std::uint8_t> out;
    out.reserve(static_cast<std::size_t>(offset));
    out.push_back('B');
    out.push_back('M');
    put32(out, static_cast<std::uint32_t>(fileSize));
    put32(out, 0); // reserved
    put32(out, static_cast<std::uint32_t>(offset));
    put32(out, kInfoHeaderSize);
    put32(out, static_cast<std::uint32_t>(bitmap.width()));
    put32(out, static_cast<std::uint32_t>(bitmap.height())); // positive: bottom-up
    put16(out, 1);                                           // planes
    put16(out, static_cast<std::uint32_t>(bpp));
    put32(out, bitFields ? kBitFields : kRgb);
    put32(out, static_cast<std::uint32_t>(imageSize));
    put32(out, kWrittenPixelsPerMetre);
    put32(out, kWrittenPixelsPerMetre);
    put32(out, static_cast<std::uint32_t>(palette.size())); // colours used
    put32(out, 0);                                          // colours important: all
    if (bitFields) {
        put32(out, 0xF800);
        put32(out, 0x07E0);
        put32(out, 0x001F);
    }
    for (const std::uint32_t argb : palette)
        put32(out, argb & 0x00FFFFFFu); // blue, green, red, reserved
    return out;
}

} // namespace

std::vector<std::uint8_t> encodeBmp(const Bitmap& bitmap) {
    std::vector<std::uint8_t> out = bmpHeader(bitmap);
    out.reserve(out.size() + static_cast<std::size_t>(bitmap.stride() * bitmap.height()));
    // The bitmap's rows already have the file's padded layout; the file runs bottom-up.
    for (std::int32_t y = bitmap.height() - 1; y >= 0; --y) {
        const std::uint8_t* row = bitmap.row(y);
        out.insert(out.end(), row, row + bitmap.stride());
    }
    return out;
}

void writeBmp(const Bitmap& bitmap, const std::string& fileName) {
    if (bitmap.isEmpty()) fail(fileName, "an empty bitmap cannot be written as BMP");
    ReplacingFile file(fileName);
    writeBmp(bitmap, file);
    file.commit();
}

void writeBmp(const Bitmap& bitmap, ReplacingFile& file) {
    if (bitmap.isEmpty()) fail(file.fileName(), "an empty bitmap cannot be written as BMP");
    // Streamed row by row: no second copy of a picture that may be hundreds of megabytes.
    const std::vector<std::uint8_t> header = bmpHeader(bitmap);
    file.write(header.data(), header.size());
    for (std::int32_t y = bitmap.height() - 1; y >= 0; --y)
        file.write(bitmap.row(y), static_cast<std::size_t>(bitmap.stride()));
    file.finish();
}

} // namespace fringel
