// Unit tests of the BMP codec on small files built here byte by byte.
#include "base/errors.h"
#include "image/bitmap.h"
#include "image/bmp_codec.h"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <limits>
#include <new>
#include <optional>
#include <random>
#include <string>
#include <tuple>
#include <vector>

// The largest single request to operator new since the last reset, so a test can show that a
// file declaring a huge picture is refused before the reader allocates it. Every plain, array
// and nothrow form of new and delete is replaced, so each pair goes through malloc and free;
// the plain aligned forms (which large pixel buffers use) go through aligned_alloc and free,
// and are recorded too. The replacements stay out of
// line, so the compiler never sees free() paired with a new-expression.
namespace {

std::atomic<std::size_t> largestAllocation{0};

void record(std::size_t size) noexcept {
    std::size_t seen = largestAllocation.load(std::memory_order_relaxed);
    while (size > seen &&
           !largestAllocation.compare_exchange_weak(seen, size, std::memory_order_relaxed)) {
    }
}

void* allocate(std::size_t size) noexcept {
    record(size);
    return std::malloc(size == 0 ? 1 : size);
}

} // namespace

[[gnu::noinline]] void* operator new(std::size_t size) {
    if (void* p = allocate(size)) return p;
    throw std::bad_alloc();
}
[[gnu::noinline]] void* operator new[](std::size_t size) {
    if (void* p = allocate(size)) return p;
    throw std::bad_alloc();
}
[[gnu::noinline]] void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return allocate(size);
}
[[gnu::noinline]] void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return allocate(size);
}
[[gnu::noinline]] void* operator new(std::size_t size, std::align_val_t align) {
    const auto a = static_cast<std::size_t>(align);
    record(size);
    if (void* p = std::aligned_alloc(a, (std::max<std::size_t>(size, 1) + a - 1) / a * a)) return p;
    throw std::bad_alloc();
}
[[gnu::noinline]] void operator delete(void* p, std::align_val_t) noexcept {
    std::free(p);
}
[[gnu::noinline]] void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
    std::free(p);
}
[[gnu::noinline]] void operator delete(void* p) noexcept {
    std::free(p);
}
[[gnu::noinline]] void operator delete[](void* p) noexcept {
    std::free(p);
}
[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
[[gnu::noinline]] void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
[[gnu::noinline]] void operator delete(void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
[[gnu::noinline]] void operator delete[](void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}

namespace fringel {
namespace {

namespace fs = std::filesystem;

// A BMP file put together field by field, with every field open to a test that wants it wrong.
struct BmpFile {
    std::uint32_t headerSize = 40;
    std::int32_t width = 1;
    std::int32_t height = 1;
    std::uint16_t planes = 1;
    std::uint16_t bpp = 8;
    std::uint32_t compression = 0;
    std::uint32_t imageSize = 0;
    std::int32_t xPixelsPerMetre = 2835;
    std::int32_t yPixelsPerMetre = 2835;
    std::uint32_t coloursUsed = 0;
    // Bit-field masks: inside a header of 52 bytes or more, else right after the header.
    std::vector<std::uint32_t> masks;
    std::vector<std::uint32_t> palette; // 0x00RRGGBB
    std::vector<std::uint8_t> pixels;   // exactly as stored in the file
    std::optional<std::uint32_t> pixelOffset;
    std::optional<std::uint32_t> fileSize;

    std::vector<std::uint8_t> bytes() const {
        std::vector<std::uint8_t> info;
        auto put = [&](std::uint32_t v, int n) {
            for (int i = 0; i < n; ++i)
                info.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
        };
        put(headerSize, 4);
        if (headerSize == 12) {
            put(static_cast<std::uint32_t>(width), 2);
            put(static_cast<std::uint32_t>(height), 2);
        } else {
            put(static_cast<std::uint32_t>(width), 4);
            put(static_cast<std::uint32_t>(height), 4);
        }
        put(planes, 2);
        put(bpp, 2);
        for (std::uint32_t v : {compression, imageSize, static_cast<std::uint32_t>(xPixelsPerMetre),
                                static_cast<std::uint32_t>(yPixelsPerMetre), coloursUsed, 0u})
            put(v, 4);
        if (headerSize >= 52)
            for (std::size_t i = 0; i < 4; ++i)
                put(i < masks.size() ? masks[i] : 0, 4);
        info.resize(headerSize, 0);
        if (headerSize < 52)
            for (std::uint32_t m : masks)
                put(m, 4);
        for (std::uint32_t c : palette)
            put(c, headerSize == 12 ? 3 : 4);

        std::vector<std::uint8_t> file{'B', 'M'};
        const auto offset = static_cast<std::uint32_t>(14 + info.size());
        const auto size = static_cast<std::uint32_t>(offset + pixels.size());
        for (std::uint32_t v : {fileSize.value_or(size), 0u, pixelOffset.value_or(offset)})
            for (int i = 0; i < 4; ++i)
                file.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
        file.insert(file.end(), info.begin(), info.end());
        file.insert(file.end(), pixels.begin(), pixels.end());
        return file;
    }
};

// Rows as stored in a file, each padded with `pad` to `stride` bytes.
std::vector<std::uint8_t> paddedRows(const std::vector<std::vector<std::uint8_t>>& rows,
                                     std::size_t stride, std::uint8_t pad = 0) {
    std::vector<std::uint8_t> out;
    for (const auto& row : rows) {
        out.insert(out.end(), row.begin(), row.end());
        out.resize(out.size() + stride - row.size(), pad);
    }
    return out;
}

std::vector<std::uint8_t> rowBytes(const Bitmap& bmp, std::int32_t y, std::size_t count) {
    return {bmp.row(y), bmp.row(y) + count};
}

Bitmap decode(const BmpFile& file) {
    return decodeBmp(file.bytes(), "test.bmp");
}

// The reason decodeBmp gives for refusing the bytes, or "" when it decodes them.
std::string refusal(const std::vector<std::uint8_t>& bytes) {
    try {
        decodeBmp(bytes, "test.bmp");
    } catch (const FileError& e) {
        EXPECT_EQ(e.fileName(), "test.bmp");
        EXPECT_NE(std::string(e.what()).find("test.bmp"), std::string::npos);
        return e.reason().empty() ? "(empty reason)" : e.reason();
    }
    return "";
}

std::vector<std::uint32_t> greyPalette(int entries) {
    std::vector<std::uint32_t> out;
    for (int i = 0; i < entries; ++i) {
        const auto v = static_cast<std::uint32_t>(i * 255 / (entries - 1));
        out.push_back(0xFF000000u | v << 16 | v << 8 | v);
    }
    return out;
}

// ---- Round trips ---------------------------------------------------------------------------

// A bitmap of every format with varied pixels and zero row padding, as decodeBmp returns them.
Bitmap patterned(PixelFormat format, std::int32_t width, std::int32_t height) {
    Bitmap bmp(width, height, format);
    std::mt19937 random(static_cast<unsigned>(width * 31 + static_cast<int>(format)));
    const std::int64_t usedBits = std::int64_t{width} * bitsPerPixel(format);
    const auto usedBytes = static_cast<std::size_t>((usedBits + 7) / 8);
    for (std::int32_t y = 0; y < height; ++y) {
        std::uint8_t* row = bmp.row(y);
        for (std::size_t i = 0; i < usedBytes; ++i)
            row[i] = static_cast<std::uint8_t>(random());
        row[usedBytes - 1] &= static_cast<std::uint8_t>(0xFF << (usedBytes * 8 - usedBits));
    }
    if (format == PixelFormat::Indexed1) bmp.setPalette({0xFF102030u, 0xFFF0E0D0u});
    if (format == PixelFormat::Indexed4) {
        std::vector<std::uint32_t> palette;
        for (std::uint32_t i = 0; i < 16; ++i)
            palette.push_back(0xFF000000u | i * 0x0F0703u);
        bmp.setPalette(palette);
    }
    return bmp;
}

class BmpRoundTrip : public testing::TestWithParam<std::tuple<PixelFormat, std::int32_t>> {};

TEST_P(BmpRoundTrip, DecodesWhatItEncodes) {
    const auto [format, width] = GetParam();
    const Bitmap original = patterned(format, width, 3);
    const std::vector<std::uint8_t> file = encodeBmp(original);

    const std::size_t paletteBytes = format == PixelFormat::Gray8      ? 1024
                                     : format == PixelFormat::Indexed4 ? 64
                                     : format == PixelFormat::Indexed1 ? 8
                                                                       : 0;
    const std::size_t maskBytes = format == PixelFormat::Rgb565 ? 12 : 0;
    const auto stride = static_cast<std::size_t>(original.stride());
    EXPECT_EQ(stride % 4, 0u);
    EXPECT_EQ(file.size(), 54 + maskBytes + paletteBytes + stride * 3);

    const Bitmap back = decodeBmp(file, "round.bmp");
    ASSERT_EQ(back.format(), format);
    ASSERT_EQ(back.width(), width);
    ASSERT_EQ(back.height(), 3);
    for (std::int32_t y = 0; y < 3; ++y)
        EXPECT_EQ(rowBytes(back, y, stride), rowBytes(original, y, stride)) << "row " << y;
    if (format == PixelFormat::Gray8)
        EXPECT_EQ(back.palette(), greyPalette(256));
    else
        EXPECT_EQ(back.palette(), original.palette());
}

INSTANTIATE_TEST_SUITE_P(
    FormatsAndOddWidths, BmpRoundTrip,
    testing::Combine(testing::Values(PixelFormat::Gray8, PixelFormat::Bgr24, PixelFormat::Indexed1,
                                     PixelFormat::Indexed4, PixelFormat::Rgb555,
                                     PixelFormat::Rgb565, PixelFormat::Bgra32),
                     testing::Range(1, 6)));

TEST(BmpEncode, WritesABottomUpInfoHeaderFile) {
    Bitmap bmp(3, 2, PixelFormat::Gray8);
    bmp.row(0)[0] = 10; // top row
    bmp.row(1)[2] = 20; // bottom row
    const std::vector<std::uint8_t> f = encodeBmp(bmp);
    auto u32 = [&](std::size_t at) {
        return std::uint32_t{f[at]} | f[at + 1] << 8 | f[at + 2] << 16 |
               std::uint32_t{f[at + 3]} << 24;
    };
    ASSERT_EQ(f.size(), 14u + 40 + 1024 + 8);
    EXPECT_EQ(f[0], 'B');
    EXPECT_EQ(f[1], 'M');
    EXPECT_EQ(u32(2), f.size()); // bfSize
    EXPECT_EQ(u32(10), 1078u);   // pixel offset
    EXPECT_EQ(u32(14), 40u);     // header size
    EXPECT_EQ(u32(18), 3u);      // width
    EXPECT_EQ(u32(22), 2u);      // positive height: bottom-up
    EXPECT_EQ(f[26] | f[27] << 8, 1);
    EXPECT_EQ(f[28] | f[29] << 8, 8);
    EXPECT_EQ(u32(30), 0u);                    // BI_RGB
    EXPECT_EQ(u32(34), 8u);                    // image size: two rows of 4 bytes
    EXPECT_EQ(u32(54 + 4 * 200), 0x00C8C8C8u); // grey palette
    // The bottom row comes first in the file.
    EXPECT_EQ(std::vector<std::uint8_t>(f.begin() + 1078, f.end()),
              (std::vector<std::uint8_t>{0, 0, 20, 0, 10, 0, 0, 0}));
}

TEST(BmpEncode, WritesRgb565WithBitFieldMasks) {
    const std::vector<std::uint8_t> f = encodeBmp(Bitmap(1, 1, PixelFormat::Rgb565));
    EXPECT_EQ(f[30], 3); // BI_BITFIELDS
    EXPECT_EQ(std::vector<std::uint8_t>(f.begin() + 54, f.begin() + 66),
              (std::vector<std::uint8_t>{0x00, 0xF8, 0, 0, 0xE0, 0x07, 0, 0, 0x1F, 0, 0, 0}));
    EXPECT_EQ(f[10], 66);
}

TEST(BmpEncode, PadsAShortPaletteWithGrey) {
    Bitmap bmp(2, 1, PixelFormat::Indexed4);
    bmp.setPalette({0xFFFF0000u, 0xFF00FF00u});
    const Bitmap back = decodeBmp(encodeBmp(bmp), "pad.bmp");
    ASSERT_EQ(back.palette().size(), 16u);
    EXPECT_EQ(back.palette()[0], 0xFFFF0000u);
    EXPECT_EQ(back.palette()[1], 0xFF00FF00u);
    EXPECT_EQ(back.palette()[15], 0xFFFFFFFFu);
    EXPECT_EQ(back.palette()[5], 0xFF555555u);
}

TEST(BmpEncode, RefusesAnEmptyBitmap) {
    EXPECT_THROW(encodeBmp(Bitmap()), FringelError);
}

// ---- Reading uncompressed files ------------------------------------------------------------

struct RowOrderCase {
    std::int32_t height;
    std::vector<std::uint8_t> topRow;
};

class BmpRowOrder : public testing::TestWithParam<RowOrderCase> {};

TEST_P(BmpRowOrder, FollowsTheSignOfTheHeight) {
    BmpFile f;
    f.width = 3;
    f.height = GetParam().height;
    f.palette = {0, 0x010101, 0x020202, 0x030303, 0x040404, 0x050505, 0x060606};
    // Three rows in file order; the padding byte holds garbage the reader must not keep.
    f.pixels = paddedRows({{1, 2, 3}, {4, 5, 6}}, 4, 0xEE);
    const Bitmap bmp = decode(f);
    ASSERT_EQ(bmp.height(), 2);
    EXPECT_EQ(rowBytes(bmp, 0, 4), GetParam().topRow);
    EXPECT_EQ(bmp.palette().size(), 7u);
}

INSTANTIATE_TEST_SUITE_P(Heights, BmpRowOrder,
                         testing::Values(RowOrderCase{2, {4, 5, 6, 0}},    // bottom-up
                                         RowOrderCase{-2, {1, 2, 3, 0}})); // top-down

TEST(BmpRead, TwentyFourBitOddWidth) {
    BmpFile f;
    f.bpp = 24;
    f.width = 3;
    f.height = 2;
    f.pixels =
        paddedRows({{1, 2, 3, 4, 5, 6, 7, 8, 9}, {10, 11, 12, 13, 14, 15, 16, 17, 18}}, 12, 0x77);
    const Bitmap bmp = decode(f);
    ASSERT_EQ(bmp.format(), PixelFormat::Bgr24);
    EXPECT_EQ(rowBytes(bmp, 0, 12),
              (std::vector<std::uint8_t>{10, 11, 12, 13, 14, 15, 16, 17, 18, 0, 0, 0}));
    EXPECT_EQ(rowBytes(bmp, 1, 12),
              (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0}));
    EXPECT_TRUE(bmp.palette().empty());
}

TEST(BmpRead, OneBitKeepsIndexBitsAndPalette) {
    BmpFile f;
    f.bpp = 1;
    f.width = 10;
    f.height = 1;
    f.palette = {0x000000, 0xFF8000};
    // Pixels 1,0,1,1,0,0,0,0 | 1,1 then padding bits set.
    f.pixels = {0b10110000, 0b11111111, 0xFF, 0xFF};
    const Bitmap bmp = decode(f);
    ASSERT_EQ(bmp.format(), PixelFormat::Indexed1);
    EXPECT_EQ(rowBytes(bmp, 0, 4), (std::vector<std::uint8_t>{0b10110000, 0b11000000, 0, 0}));
    EXPECT_EQ(bmp.palette(), (std::vector<std::uint32_t>{0xFF000000u, 0xFFFF8000u}));
    const Bitmap colour = toBgr24(bmp);
    EXPECT_EQ(colour.row(0)[0], 0x00); // blue of orange
    EXPECT_EQ(colour.row(0)[1], 0x80);
    EXPECT_EQ(colour.row(0)[2], 0xFF);
    EXPECT_EQ(colour.row(0)[3 + 2], 0x00); // pixel 1 is black
}

TEST(BmpRead, FourBitKeepsIndexNibbles) {
    BmpFile f;
    f.bpp = 4;
    f.width = 3;
    f.height = 1;
    f.coloursUsed = 3;
    f.palette = {0x000000, 0x808080, 0xFFFFFF};
    f.pixels = {0x12, 0x0F, 0xAB, 0xCD}; // pixels 1, 2, 0; the last nibble is padding
    const Bitmap bmp = decode(f);
    ASSERT_EQ(bmp.format(), PixelFormat::Indexed4);
    EXPECT_EQ(rowBytes(bmp, 0, 4), (std::vector<std::uint8_t>{0x12, 0x00, 0, 0}));
    EXPECT_EQ(bmp.palette().size(), 3u);
}

TEST(BmpRead, OldOs2HeaderWithThreeBytePalette) {
    BmpFile f;
    f.headerSize = 12;
    f.width = 2;
    f.height = 1;
    f.palette = {0x112233, 0x445566};
    f.pixels = {1, 0, 0, 0};
    const Bitmap bmp = decode(f);
    ASSERT_EQ(bmp.format(), PixelFormat::Gray8);
    EXPECT_EQ(rowBytes(bmp, 0, 2), (std::vector<std::uint8_t>{1, 0}));
    // Two entries fit between the header and the pixels, so the palette has two entries.
    EXPECT_EQ(bmp.palette(), (std::vector<std::uint32_t>{0xFF112233u, 0xFF445566u}));
}

// ---- Sixteen and thirty-two bits -----------------------------------------------------------

struct DeepCase {
    const char* what;
    std::uint16_t bpp;
    std::uint32_t compression;
    std::uint32_t headerSize;
    std::vector<std::uint32_t> masks;
    std::uint32_t pixel;
    PixelFormat format;
    std::vector<std::uint8_t> stored;
};

class BmpDeepPixels : public testing::TestWithParam<DeepCase> {};

TEST_P(BmpDeepPixels, ConvertToTheMatchingFormat) {
    const DeepCase& c = GetParam();
    BmpFile f;
    f.bpp = c.bpp;
    f.compression = c.compression;
    f.headerSize = c.headerSize;
    f.masks = c.masks;
    for (int i = 0; i < c.bpp / 8; ++i)
        f.pixels.push_back(static_cast<std::uint8_t>(c.pixel >> (8 * i)));
    f.pixels.resize(4, 0);
    const Bitmap bmp = decode(f);
    EXPECT_EQ(bmp.format(), c.format);
    EXPECT_EQ(rowBytes(bmp, 0, c.stored.size()), c.stored);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BmpDeepPixels,
    testing::Values(
        DeepCase{"rgb555", 16, 0, 40, {}, 0xFC1F, PixelFormat::Rgb555, {0x1F, 0xFC}},
        DeepCase{"masks565",
                 16,
                 3,
                 40,
                 {0xF800, 0x07E0, 0x001F},
                 0xF81F,
                 PixelFormat::Rgb565,
                 {0x1F, 0xF8}},
        DeepCase{"masks555",
                 16,
                 3,
                 40,
                 {0x7C00, 0x03E0, 0x001F},
                 0x7C1F,
                 PixelFormat::Rgb555,
                 {0x1F, 0x7C}},
        // 4-4-4 scaled to 5 bits: red 15 -> 31, green 0, blue 8 -> 17.
        DeepCase{"masks444",
                 16,
                 3,
                 40,
                 {0x0F00, 0x00F0, 0x000F},
                 0x0F08,
                 PixelFormat::Rgb555,
                 {0x11, 0x7C}},
        // 6-5-5 in the order red, green, blue from the top: all ones stay all ones.
        DeepCase{"masks655",
                 16,
                 3,
                 40,
                 {0xFC00, 0x03E0, 0x001F},
                 0xFFFF,
                 PixelFormat::Rgb555,
                 {0xFF, 0x7F}},
        DeepCase{"rgb32", 32, 0, 40, {}, 0x04030201, PixelFormat::Bgra32, {1, 2, 3, 4}},
        // Red in the low byte, no alpha mask: opaque.
        DeepCase{"masksXbgr",
                 32,
                 3,
                 40,
                 {0x000000FF, 0x0000FF00, 0x00FF0000},
                 0x281E140A,
                 PixelFormat::Bgra32,
                 {0x1E, 0x14, 0x0A, 0xFF}},
        DeepCase{"alphaBitFields",
                 32,
                 6,
                 40,
                 {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000},
                 0x80102030,
                 PixelFormat::Bgra32,
                 {0x30, 0x20, 0x10, 0x80}},
        // 10-10-10-2 in a V5 header: red 1023 -> 255, green 512 -> 128, blue 0, alpha 1 -> 85.
        DeepCase{"v5Masks1010102",
                 32,
                 3,
                 124,
                 {0x3FF00000, 0x000FFC00, 0x000003FF, 0xC0000000},
                 0x7FF80000,
                 PixelFormat::Bgra32,
                 {0x00, 0x80, 0xFF, 0x55}},
        DeepCase{"v4Masks16",
                 16,
                 3,
                 108,
                 {0xF800, 0x07E0, 0x001F, 0},
                 0x07E0,
                 PixelFormat::Rgb565,
                 {0xE0, 0x07}}),
    [](const testing::TestParamInfo<DeepCase>& info) { return std::string(info.param.what); });

// ---- RLE -----------------------------------------------------------------------------------

BmpFile rleFile(std::uint32_t compression, std::int32_t width, std::int32_t height,
                std::size_t paletteSize, std::vector<std::uint8_t> stream) {
    BmpFile f;
    f.compression = compression;
    f.bpp = compression == 1 ? 8 : 4;
    f.width = width;
    f.height = height;
    f.coloursUsed = static_cast<std::uint32_t>(paletteSize);
    f.palette.assign(paletteSize, 0x123456);
    f.imageSize = static_cast<std::uint32_t>(stream.size());
    f.pixels = std::move(stream);
    return f;
}

TEST(BmpRle, Rle8RunsLiteralsDeltaAndEndOfLine) {
    const Bitmap bmp = decode(rleFile(1, 5, 3, 8,
                                      {
                                          2, 7,             // two pixels of 7
                                          0, 3, 1, 2, 3, 0, // literal 1, 2, 3 and a pad byte
                                          0, 0,             // end of line
                                          0, 2, 2, 1,       // two right, one up
                                          1, 5,             // one pixel of 5
                                          0, 1,             // end of bitmap
                                      }));
    ASSERT_EQ(bmp.format(), PixelFormat::Gray8);
    EXPECT_EQ(rowBytes(bmp, 0, 5), (std::vector<std::uint8_t>{0, 0, 5, 0, 0}));
    EXPECT_EQ(rowBytes(bmp, 1, 5), (std::vector<std::uint8_t>{0, 0, 0, 0, 0}));
    EXPECT_EQ(rowBytes(bmp, 2, 5), (std::vector<std::uint8_t>{7, 7, 1, 2, 3}));
    EXPECT_EQ(bmp.palette().size(), 8u);
}

TEST(BmpRle, Rle4NibblesAndAnEarlyEndLeavesZeros) {
    const Bitmap bmp = decode(rleFile(2, 5, 3, 16,
                                      {
                                          5, 0x12,          // 1 2 1 2 1
                                          0, 0,             // end of line
                                          0, 3, 0x34, 0x50, // literal 3 4 5
                                          0, 1,             // end of bitmap: top row stays 0
                                      }));
    ASSERT_EQ(bmp.format(), PixelFormat::Indexed4);
    EXPECT_EQ(rowBytes(bmp, 2, 3), (std::vector<std::uint8_t>{0x12, 0x12, 0x10}));
    EXPECT_EQ(rowBytes(bmp, 1, 3), (std::vector<std::uint8_t>{0x34, 0x50, 0x00}));
    EXPECT_EQ(rowBytes(bmp, 0, 3), (std::vector<std::uint8_t>{0, 0, 0}));
}

TEST(BmpRle, AStreamThatFillsThePictureNeedsNoEndMarker) {
    const Bitmap bmp = decode(rleFile(1, 2, 2, 4, {2, 1, 0, 0, 2, 3}));
    EXPECT_EQ(rowBytes(bmp, 0, 2), (std::vector<std::uint8_t>{3, 3}));
    EXPECT_EQ(rowBytes(bmp, 1, 2), (std::vector<std::uint8_t>{1, 1}));
}

struct RleFault {
    const char* what;
    std::uint32_t compression;
    std::int32_t height;
    std::size_t paletteSize;
    std::vector<std::uint8_t> stream;
    const char* reason;
};

class BmpRleFaults : public testing::TestWithParam<RleFault> {};

TEST_P(BmpRleFaults, AreRefused) {
    const RleFault& c = GetParam();
    // Pictures 4 pixels wide.
    EXPECT_NE(refusal(rleFile(c.compression, 4, c.height, c.paletteSize, c.stream).bytes())
                  .find(c.reason),
              std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BmpRleFaults,
    testing::Values(
        RleFault{"runPastTheRightEdge", 1, 2, 4, {3, 1, 2, 1, 0, 1}, "run of 2 pixels at column 3"},
        RleFault{"literalPastTheEdge", 1, 2, 4, {0, 5, 1, 1, 1, 1, 1, 0, 0, 1}, "literal of 5"},
        RleFault{"deltaPastTheTop", 1, 2, 4, {0, 2, 0, 2, 0, 1}, "delta (0, 2)"},
        RleFault{"deltaPastTheRightEdge", 1, 2, 4, {0, 2, 5, 0, 0, 1}, "delta (5, 0)"},
        RleFault{"runAboveTheLastRow", 1, 1, 4, {4, 1, 0, 0, 1, 1, 0, 1}, "leaves the picture"},
        RleFault{"rle4RunPastTheRightEdge", 2, 2, 4, {5, 0x11, 0, 1}, "leaves the picture"},
        RleFault{"noEndMarker", 1, 2, 4, {4, 1, 0, 0}, "ends before the end-of-bitmap marker"},
        RleFault{"literalCutShort", 1, 2, 4, {0, 4, 1, 2}, "ends inside a literal"},
        RleFault{"deltaCutShort", 1, 2, 4, {0, 2, 1}, "ends inside a delta"},
        RleFault{"rle8IndexBeyondPalette", 1, 2, 2, {1, 5, 0, 1}, "colour index 5"},
        RleFault{"rle4IndexBeyondPalette", 2, 2, 2, {2, 0x03, 0, 1}, "colour index 3"},
        RleFault{"rle4LiteralIndexBeyondPalette", 2, 2, 2, {0, 3, 0x10, 0x20, 0, 1}, "index 2"},
        RleFault{"topDown", 1, -2, 4, {0, 1}, "top-down bitmap with RLE8"}),
    [](const testing::TestParamInfo<RleFault>& info) { return std::string(info.param.what); });

// ---- Header and layout faults --------------------------------------------------------------

BmpFile validGrey() {
    BmpFile f;
    f.width = 2;
    f.height = 2;
    f.coloursUsed = 2;
    f.palette = {0x000000, 0xFFFFFF};
    f.pixels = paddedRows({{0, 1}, {1, 0}}, 4);
    return f;
}

struct HeaderFault {
    const char* what;
    void (*spoil)(BmpFile&);
    const char* reason;
};

class BmpHeaderFaults : public testing::TestWithParam<HeaderFault> {};

TEST_P(BmpHeaderFaults, AreRefused) {
    BmpFile f = validGrey();
    ASSERT_EQ(refusal(f.bytes()), "");
    GetParam().spoil(f);
    EXPECT_NE(refusal(f.bytes()).find(GetParam().reason), std::string::npos) << refusal(f.bytes());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BmpHeaderFaults,
    testing::Values(
        HeaderFault{"headerSize66", [](BmpFile& f) { f.headerSize = 66; },
                    "unsupported header size 66"},
        HeaderFault{"zeroWidth", [](BmpFile& f) { f.width = 0; }, "invalid width 0"},
        HeaderFault{"negativeWidth", [](BmpFile& f) { f.width = -2; }, "invalid width -2"},
        HeaderFault{"zeroHeight", [](BmpFile& f) { f.height = 0; }, "invalid height 0"},
        HeaderFault{"twoPlanes", [](BmpFile& f) { f.planes = 2; }, "invalid number of planes 2"},
        HeaderFault{"threeBits", [](BmpFile& f) { f.bpp = 3; }, "invalid bit count 3"},
        HeaderFault{"twoBits", [](BmpFile& f) { f.bpp = 2; }, "unsupported bit depth 2"},
        HeaderFault{"sixtyFourBits", [](BmpFile& f) { f.bpp = 64; }, "unsupported bit depth 64"},
        HeaderFault{"jpeg", [](BmpFile& f) { f.compression = 4; },
                    "unsupported compression 4 (JPEG)"},
        HeaderFault{"png", [](BmpFile& f) { f.compression = 5; },
                    "unsupported compression 5 (PNG)"},
        HeaderFault{"os2Huffman",
                    [](BmpFile& f) {
                        f.headerSize = 64;
                        f.compression = 3;
                    },
                    "unsupported compression 3 (OS/2 Huffman 1D)"},
        HeaderFault{"unknownCompression", [](BmpFile& f) { f.compression = 9; },
                    "unknown compression 9"},
        HeaderFault{"rle8WithFourBits",
                    [](BmpFile& f) {
                        f.bpp = 4;
                        f.compression = 1;
                    },
                    "compression RLE8 does not go with 4 bits per pixel"},
        HeaderFault{"bitFieldsWithEightBits", [](BmpFile& f) { f.compression = 3; },
                    "bit field compression does not go with 8 bits per pixel"},
        HeaderFault{"negativeDensity", [](BmpFile& f) { f.xPixelsPerMetre = -1; },
                    "resolution of -1 pixels per metre"},
        HeaderFault{"absurdDensity", [](BmpFile& f) { f.yPixelsPerMetre = 2'000'000; },
                    "resolution of 2000000 pixels per metre"},
        HeaderFault{"paletteBeyondTheFile", [](BmpFile& f) { f.coloursUsed = 1000; },
                    "palette of 1000 entries does not fit in the file"},
        HeaderFault{"paletteOverThePixels", [](BmpFile& f) { f.coloursUsed = 3; },
                    "palette of 3 entries overlaps the pixel data"},
        HeaderFault{"offsetInsideTheHeader", [](BmpFile& f) { f.pixelOffset = 20; },
                    "pixel data offset 20 lies inside the headers"},
        HeaderFault{"offsetBeyondTheFile", [](BmpFile& f) { f.pixelOffset = 5000; },
                    "pixel data offset 5000 lies beyond the end of the file"},
        HeaderFault{"fileSizeFieldTooLarge", [](BmpFile& f) { f.fileSize = 100000; },
                    "truncated file (the header gives 100000 bytes"},
        HeaderFault{"imageSizeLargerThanTheFile", [](BmpFile& f) { f.imageSize = 70000; },
                    "declared image data size 70000 is larger than the whole file"},
        HeaderFault{"indexBeyondThePalette", [](BmpFile& f) { f.pixels[1] = 2; },
                    "pixel (1, 1) uses colour index 2 beyond the palette of 2 entries"},
        HeaderFault{"fourBitIndexBeyondThePalette",
                    [](BmpFile& f) {
                        f.bpp = 4;
                        f.pixels = paddedRows({{0x01}, {0x13}}, 4);
                    },
                    "colour index 3"},
        HeaderFault{"oneBitIndexBeyondThePalette",
                    [](BmpFile& f) {
                        f.bpp = 1;
                        f.coloursUsed = 1;
                        f.palette = {0, 0};
                        f.pixels = paddedRows({{0x00}, {0x40}}, 4);
                    },
                    "colour index 1"},
        HeaderFault{"emptyBlueMask",
                    [](BmpFile& f) {
                        f.bpp = 16;
                        f.compression = 3;
                        f.coloursUsed = 0;
                        f.palette.clear();
                        f.masks = {0xFF00, 0x00FF, 0};
                        f.pixels = paddedRows({{0, 0, 0, 0}, {0, 0, 0, 0}}, 4);
                    },
                    "bit field mask for blue is empty"},
        HeaderFault{"overlappingMasks",
                    [](BmpFile& f) {
                        f.bpp = 32;
                        f.compression = 3;
                        f.coloursUsed = 0;
                        f.palette.clear();
                        f.masks = {0x00FF0000, 0x0001FF00, 0x000000FF};
                        f.pixels.assign(16, 0);
                    },
                    "bit field masks for red and green overlap"},
        HeaderFault{"alphaOverlapsRed",
                    [](BmpFile& f) {
                        f.bpp = 32;
                        f.compression = 6;
                        f.coloursUsed = 0;
                        f.palette.clear();
                        f.masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF800000};
                        f.pixels.assign(16, 0);
                    },
                    "bit field masks for red and alpha overlap"},
        HeaderFault{"splitMask",
                    [](BmpFile& f) {
                        f.bpp = 16;
                        f.compression = 3;
                        f.coloursUsed = 0;
                        f.palette.clear();
                        f.masks = {0xF00F, 0x07E0, 0x0010};
                        f.pixels.assign(8, 0);
                    },
                    "bit field mask 0xF00F for red is not contiguous"},
        HeaderFault{"maskBeyondSixteenBits",
                    [](BmpFile& f) {
                        f.bpp = 16;
                        f.compression = 3;
                        f.coloursUsed = 0;
                        f.palette.clear();
                        f.masks = {0x1F0000, 0x07E0, 0x001F};
                        f.pixels.assign(8, 0);
                    },
                    "bit field mask 0x1F0000 for red lies outside the 16-bit pixel"}),
    [](const testing::TestParamInfo<HeaderFault>& info) { return std::string(info.param.what); });

TEST(BmpRead, RefusesOtherSignatures) {
    std::vector<std::uint8_t> bytes = validGrey().bytes();
    bytes[1] = 'A';
    EXPECT_NE(refusal(bytes).find("unsupported OS/2 file type 'BA'"), std::string::npos);
    bytes[0] = 'P';
    bytes[1] = 'K';
    EXPECT_NE(refusal(bytes).find("not a BMP file"), std::string::npos);
}

TEST(BmpRead, RefusesEveryTruncation) {
    // With the file size field cleared, only the header, palette and pixel checks stand
    // between a cut file and a read past its end.
    for (const bool keepFileSize : {true, false}) {
        std::vector<std::uint8_t> whole = encodeBmp(patterned(PixelFormat::Gray8, 5, 3));
        if (!keepFileSize) std::fill(whole.begin() + 2, whole.begin() + 6, 0);
        ASSERT_EQ(refusal(whole), "");
        for (std::size_t size = 0; size < whole.size(); ++size)
            EXPECT_NE(refusal({whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size)}),
                      "")
                << "cut to " << size << " bytes";
    }
    const std::vector<std::uint8_t> rgb = encodeBmp(patterned(PixelFormat::Bgr24, 5, 3));
    EXPECT_NE(refusal({rgb.begin(), rgb.end() - 1})
                  .find("truncated pixel data (needs 48 bytes, file has 47)"),
              std::string::npos);
    EXPECT_NE(refusal({rgb.begin(), rgb.begin() + 30}).find("truncated header"), std::string::npos);
    EXPECT_NE(refusal({rgb.begin(), rgb.begin() + 10}).find("too short"), std::string::npos);
}

// ---- Sizes beyond the limits ---------------------------------------------------------------

struct HugeCase {
    const char* what;
    std::int32_t width;
    std::int32_t height;
    std::uint16_t bpp;
    const char* reason;
};

class BmpHugeSizes : public testing::TestWithParam<HugeCase> {};

TEST_P(BmpHugeSizes, AreRefusedBeforeAllocating) {
    const HugeCase& c = GetParam();
    BmpFile f;
    f.width = c.width;
    f.height = c.height;
    f.bpp = c.bpp;
    f.palette.assign(c.bpp <= 8 ? std::size_t{1} << c.bpp : 0, 0);
    f.pixels.assign(64, 0);
    const std::vector<std::uint8_t> bytes = f.bytes();

    largestAllocation = 0;
    std::string reason;
    try {
        decodeBmp(bytes, "huge.bmp");
    } catch (const FileError& e) {
        reason = e.reason();
    }
    const std::size_t largest = largestAllocation;
    EXPECT_NE(reason.find(c.reason), std::string::npos) << reason;
    EXPECT_LT(largest, std::size_t{1} << 20);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BmpHugeSizes,
    testing::Values(
        HugeCase{"tooManyPixels", 3'000'000, 2'000'000, 24,
                 "declared size 3000000 x 2000000 exceeds the limit of 268435456 pixels"},
        HugeCase{"tooWide", (1 << 20) + 1, 1, 8,
                 "declared size 1048577 x 1 exceeds the limit of 1048576 pixels on a side"},
        HugeCase{"tooTallTopDown", 1, -((1 << 20) + 1), 8,
                 "declared size 1 x 1048577 exceeds the limit of 1048576 pixels on a side"},
        HugeCase{"largestWidthAndHeight", 0x7FFFFFFF, 0x7FFFFFFF, 32, "exceeds the limit"},
        HugeCase{"mostNegativeHeight", 1, std::numeric_limits<std::int32_t>::min(), 8,
                 "exceeds the limit"},
        // Within the limits but far beyond the data in the file.
        HugeCase{"allowedSizeButNoData", 16384, 16384, 24,
                 "truncated pixel data (needs 805306368 bytes, file has 64)"}),
    [](const testing::TestParamInfo<HugeCase>& info) { return std::string(info.param.what); });

// ---- Files on disk -------------------------------------------------------------------------

class BmpFiles : public testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() /
                  ("fringel-bmp-test-" + std::to_string(std::random_device{}()));
        fs::create_directories(folder_);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(folder_, ec);
    }
    std::string path(const std::string& name) const { return (folder_ / name).string(); }
    std::vector<std::string> listing() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(folder_))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path folder_;
};

TEST_F(BmpFiles, WriteThenReadLeavesOnlyTheFile) {
    const Bitmap bmp = patterned(PixelFormat::Bgr24, 5, 4);
    writeBmp(bmp, path("out.bmp"));
    EXPECT_EQ(listing(), std::vector<std::string>{"out.bmp"});
    EXPECT_EQ(readBmp(path("out.bmp")), bmp);

    // Writing again replaces the file.
    const Bitmap other = patterned(PixelFormat::Bgr24, 2, 2);
    writeBmp(other, path("out.bmp"));
    EXPECT_EQ(readBmp(path("out.bmp")), other);
    EXPECT_EQ(listing(), std::vector<std::string>{"out.bmp"});
}

TEST_F(BmpFiles, MissingFileIsAFileError) {
    const std::string name = path("absent.bmp");
    try {
        readBmp(name);
        FAIL() << "no error";
    } catch (const FileError& e) {
        EXPECT_EQ(e.fileName(), name);
        EXPECT_EQ(e.reason(), "file not found");
    }
}

TEST_F(BmpFiles, FolderIsNotReadAsAFile) {
    fs::create_directory(folder_ / "dir.bmp");
    EXPECT_THROW(readBmp(path("dir.bmp")), FileError);
}

TEST_F(BmpFiles, CorruptFileOnDiskNamesTheFile) {
    std::vector<std::uint8_t> bytes = validGrey().bytes();
    bytes.resize(bytes.size() - 3);
    {
        std::ofstream out(folder_ / "cut.bmp", std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }
    try {
        readBmp(path("cut.bmp"));
        FAIL() << "no error";
    } catch (const FileError& e) {
        EXPECT_EQ(e.fileName(), path("cut.bmp"));
        EXPECT_NE(e.reason().find("truncated"), std::string::npos) << e.reason();
    }
}

TEST_F(BmpFiles, FailedWritesLeaveNothingBehind) {
    const Bitmap bmp = patterned(PixelFormat::Gray8, 3, 3);
    // Into a folder that does not exist.
    EXPECT_THROW(writeBmp(bmp, path("no-such-folder/out.bmp")), FileError);
    // Over a folder: the temporary file is written, the rename fails and it is removed.
    fs::create_directory(folder_ / "taken.bmp");
    fs::create_directory(folder_ / "taken.bmp" / "inside");
    EXPECT_THROW(writeBmp(bmp, path("taken.bmp")), FileError);
    // An empty bitmap.
    EXPECT_THROW(writeBmp(Bitmap(), path("empty.bmp")), FileError);
    EXPECT_EQ(listing(), std::vector<std::string>{"taken.bmp"});
    EXPECT_TRUE(fs::is_directory(folder_ / "taken.bmp"));
}

} // namespace
} // namespace fringel
