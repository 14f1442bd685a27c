#include "base/errors.h"
#include "image/bitmap.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <gtest/gtest.h>
#include <vector>

namespace fringel {
namespace {

// ---- layout ---------------------------------------------------------------------------------

struct StrideCase {
    PixelFormat format;
    std::array<std::int64_t, 5> strides; // for widths 1 to 5
};

class BitmapStride : public ::testing::TestWithParam<StrideCase> {};

TEST_P(BitmapStride, RowsArePaddedToFourBytesAndZeroFilled) {
    const StrideCase& c = GetParam();
    for (std::int32_t width = 1; width <= 5; ++width) {
        SCOPED_TRACE(::testing::Message() << "width " << width);
        const Bitmap b(width, 3, c.format);
        EXPECT_EQ(b.format(), c.format);
        EXPECT_EQ(b.stride(), c.strides[static_cast<std::size_t>(width - 1)]);
        EXPECT_EQ(Bitmap::strideFor(width, c.format), b.stride());
        for (std::int32_t y = 0; y < 3; ++y)
            EXPECT_EQ(b.row(y), b.bits() + y * b.stride()) << "row " << y;
        const std::uint8_t* end = b.bits() + 3 * b.stride();
        EXPECT_TRUE(std::all_of(b.bits(), end, [](std::uint8_t v) { return v == 0; }));
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, BitmapStride,
                         ::testing::Values(StrideCase{PixelFormat::Indexed1, {4, 4, 4, 4, 4}},
                                           StrideCase{PixelFormat::Indexed4, {4, 4, 4, 4, 4}},
                                           StrideCase{PixelFormat::Gray8, {4, 4, 4, 4, 8}},
                                           StrideCase{PixelFormat::Rgb555, {4, 4, 8, 8, 12}},
                                           StrideCase{PixelFormat::Rgb565, {4, 4, 8, 8, 12}},
                                           StrideCase{PixelFormat::Bgr24, {4, 8, 12, 12, 16}},
                                           StrideCase{PixelFormat::Bgra32, {4, 8, 12, 16, 20}}));

TEST(Bitmap, PackedFormatsSpillIntoTheNextFourBytes) {
    EXPECT_EQ(Bitmap::strideFor(32, PixelFormat::Indexed1), 4);
    EXPECT_EQ(Bitmap::strideFor(33, PixelFormat::Indexed1), 8);
    EXPECT_EQ(Bitmap::strideFor(8, PixelFormat::Indexed4), 4);
    EXPECT_EQ(Bitmap::strideFor(9, PixelFormat::Indexed4), 8);
}

TEST(Bitmap, DefaultIsAnEmpty24BitBitmap) {
    const Bitmap b;
    EXPECT_EQ(b.width(), 0);
    EXPECT_EQ(b.height(), 0);
    EXPECT_EQ(b.format(), PixelFormat::Bgr24);
    EXPECT_TRUE(b.isEmpty());
    EXPECT_EQ(b.stride(), 0);
}

TEST(Bitmap, ResetAndSetFormatClearEveryByte) {
    Bitmap b(5, 2, PixelFormat::Gray8);
    std::fill(b.bits(), b.bits() + 2 * b.stride(), std::uint8_t{0xAB});

    b.setFormat(PixelFormat::Bgr24);
    EXPECT_EQ(b.width(), 5);
    EXPECT_EQ(b.height(), 2);
    EXPECT_EQ(b.stride(), 16);
    EXPECT_TRUE(std::all_of(b.bits(), b.bits() + 2 * b.stride(), [](auto v) { return v == 0; }));

    std::fill(b.bits(), b.bits() + 2 * b.stride(), std::uint8_t{0xCD});
    b.reset(3, 4, PixelFormat::Gray8);
    EXPECT_EQ(b.stride(), 4);
    EXPECT_TRUE(std::all_of(b.bits(), b.bits() + 4 * b.stride(), [](auto v) { return v == 0; }));
}

// ---- size limits ----------------------------------------------------------------------------

struct SizeCase {
    std::int64_t width;
    std::int64_t height;
};

class BitmapSizeRefused : public ::testing::TestWithParam<SizeCase> {};

// The check comes before any allocation: none of these sizes could be allocated, so a
// bad_alloc or a crash instead of FringelError means the limit was not checked first.
TEST_P(BitmapSizeRefused, RaisesFringelErrorAndKeepsTheBitmap) {
    const auto [width, height] = GetParam();
    EXPECT_FALSE(bitmapSizeAllowed(width, height));
    if (width < INT32_MIN || width > INT32_MAX || height < INT32_MIN || height > INT32_MAX)
        return; // not expressible as a bitmap size at all
    const auto w = static_cast<std::int32_t>(width);
    const auto h = static_cast<std::int32_t>(height);
    EXPECT_THROW(Bitmap(w, h, PixelFormat::Bgra32), FringelError);

    Bitmap b(2, 2, PixelFormat::Gray8);
    b.row(1)[1] = 77;
    EXPECT_THROW(b.reset(w, h, PixelFormat::Bgr24), FringelError);
    EXPECT_EQ(b.width(), 2);
    EXPECT_EQ(b.height(), 2);
    EXPECT_EQ(b.format(), PixelFormat::Gray8);
    EXPECT_EQ(b.row(1)[1], 77);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, BitmapSizeRefused,
    ::testing::Values(SizeCase{-1, 10}, SizeCase{10, -1}, SizeCase{INT32_MIN, INT32_MIN},
                      SizeCase{kMaxBitmapSide + 1, 1}, SizeCase{1, kMaxBitmapSide + 1},
                      SizeCase{INT32_MAX, INT32_MAX}, SizeCase{kMaxBitmapSide, 257},
                      SizeCase{kMaxBitmapSide, kMaxBitmapSide},
                      SizeCase{std::int64_t{1} << 32, 1}));

TEST(Bitmap, SizesUpToTheLimitsAreAllowed) {
    EXPECT_TRUE(bitmapSizeAllowed(0, 0));
    EXPECT_TRUE(bitmapSizeAllowed(kMaxBitmapSide, 1));
    EXPECT_TRUE(bitmapSizeAllowed(1, kMaxBitmapSide));
    EXPECT_TRUE(bitmapSizeAllowed(kMaxBitmapSide, kMaxBitmapPixels / kMaxBitmapSide));
    EXPECT_TRUE(bitmapSizeAllowed(16384, 16384));
    EXPECT_FALSE(bitmapSizeAllowed(16384, 16385));
}

TEST(Bitmap, ZeroWidthOrHeightIsEmpty) {
    const Bitmap wide(5, 0, PixelFormat::Gray8);
    EXPECT_TRUE(wide.isEmpty());
    const Bitmap tall(0, 5, PixelFormat::Gray8);
    EXPECT_TRUE(tall.isEmpty());
}

// ---- toBgr24 --------------------------------------------------------------------------------

// The blue, green and red bytes of pixel x of row y of a 24-bit bitmap.
std::array<int, 3> bgr(const Bitmap& b, std::int32_t x, std::int32_t y) {
    const std::uint8_t* p = b.row(y) + 3 * x;
    return {p[0], p[1], p[2]};
}

using Bgr = std::array<int, 3>;

TEST(ToBgr24, GreyLevelsBecomeEqualBytes) {
    Bitmap grey(5, 2, PixelFormat::Gray8);
    const std::uint8_t levels[2][5] = {{0, 1, 127, 128, 255}, {200, 100, 50, 25, 12}};
    for (std::int32_t y = 0; y < 2; ++y)
        std::copy_n(levels[y], 5, grey.row(y));
    // A palette of a grey bitmap is never consulted.
    grey.setPalette({0xFFFF0000u, 0xFF00FF00u});

    const Bitmap out = toBgr24(grey);
    ASSERT_EQ(out.format(), PixelFormat::Bgr24);
    ASSERT_EQ(out.width(), 5);
    ASSERT_EQ(out.height(), 2);
    EXPECT_EQ(out.stride(), 16);
    for (std::int32_t y = 0; y < 2; ++y)
        for (std::int32_t x = 0; x < 5; ++x) {
            const int v = levels[y][x];
            EXPECT_EQ(bgr(out, x, y), (Bgr{v, v, v})) << x << "," << y;
        }
    EXPECT_EQ(out.row(0)[15], 0) << "padding byte";
}

TEST(ToBgr24, Indexed1TakesThePaletteMostSignificantBitFirst) {
    Bitmap b(10, 1, PixelFormat::Indexed1);
    b.setPalette({0xFF102030u, 0xFFA0B0C0u});
    b.row(0)[0] = 0b1010'0001;
    b.row(0)[1] = 0b0100'0000;

    const Bitmap out = toBgr24(b);
    const Bgr zero{0x30, 0x20, 0x10};
    const Bgr one{0xC0, 0xB0, 0xA0};
    const Bgr expected[10] = {one, zero, one, zero, zero, zero, zero, one, zero, one};
    for (std::int32_t x = 0; x < 10; ++x)
        EXPECT_EQ(bgr(out, x, 0), expected[x]) << "x " << x;
}

TEST(ToBgr24, Indexed4TakesThePaletteHighNibbleFirst) {
    Bitmap b(3, 2, PixelFormat::Indexed4);
    std::vector<std::uint32_t> palette(16);
    for (std::uint32_t i = 0; i < 16; ++i)
        palette[i] = 0xFF000000u | i << 16 | (i * 2) << 8 | i * 3;
    b.setPalette(palette);
    b.row(0)[0] = 0x1F;
    b.row(0)[1] = 0x70;
    b.row(1)[0] = 0x00;
    b.row(1)[1] = 0x20;

    const Bitmap out = toBgr24(b);
    auto colour = [](int i) { return Bgr{i * 3, i * 2, i}; };
    EXPECT_EQ(bgr(out, 0, 0), colour(1));
    EXPECT_EQ(bgr(out, 1, 0), colour(15));
    EXPECT_EQ(bgr(out, 2, 0), colour(7));
    EXPECT_EQ(bgr(out, 0, 1), colour(0));
    EXPECT_EQ(bgr(out, 2, 1), colour(2));
}

struct SixteenBitCase {
    PixelFormat format;
    std::uint16_t pixel;
    Bgr expected;
};

class ToBgr24SixteenBit : public ::testing::TestWithParam<SixteenBitCase> {};

TEST_P(ToBgr24SixteenBit, ExpandsEachFieldToFullScale) {
    const SixteenBitCase& c = GetParam();
    Bitmap b(2, 1, c.format);
    // Pixel 1 holds the value (little endian); pixel 0 stays black.
    b.row(0)[2] = static_cast<std::uint8_t>(c.pixel);
    b.row(0)[3] = static_cast<std::uint8_t>(c.pixel >> 8);
    const Bitmap out = toBgr24(b);
    EXPECT_EQ(bgr(out, 0, 0), (Bgr{0, 0, 0}));
    EXPECT_EQ(bgr(out, 1, 0), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Pixels, ToBgr24SixteenBit,
    ::testing::Values(SixteenBitCase{PixelFormat::Rgb565, 0xFFFF, {255, 255, 255}},
                      SixteenBitCase{PixelFormat::Rgb565, 0xF800, {0, 0, 255}},
                      SixteenBitCase{PixelFormat::Rgb565, 0x07E0, {0, 255, 0}},
                      SixteenBitCase{PixelFormat::Rgb565, 0x001F, {255, 0, 0}},
                      SixteenBitCase{PixelFormat::Rgb565, 0x0821, {8, 4, 8}},
                      SixteenBitCase{PixelFormat::Rgb555, 0x7FFF, {255, 255, 255}},
                      SixteenBitCase{PixelFormat::Rgb555, 0xFFFF, {255, 255, 255}},
                      SixteenBitCase{PixelFormat::Rgb555, 0x7C00, {0, 0, 255}},
                      SixteenBitCase{PixelFormat::Rgb555, 0x03E0, {0, 255, 0}},
                      SixteenBitCase{PixelFormat::Rgb555, 0x001F, {255, 0, 0}},
                      SixteenBitCase{PixelFormat::Rgb555, 0x8000, {0, 0, 0}}));

TEST(ToBgr24, Bgra32DropsAlpha) {
    Bitmap b(2, 1, PixelFormat::Bgra32);
    const std::uint8_t bytes[8] = {1, 2, 3, 0, 250, 251, 252, 255};
    std::copy_n(bytes, 8, b.row(0));
    const Bitmap out = toBgr24(b);
    EXPECT_EQ(bgr(out, 0, 0), (Bgr{1, 2, 3}));
    EXPECT_EQ(bgr(out, 1, 0), (Bgr{250, 251, 252}));
    EXPECT_EQ(out.row(0)[6], 0) << "padding byte";
}

TEST(ToBgr24, Bgr24IsCopiedUnchanged) {
    Bitmap b(3, 2, PixelFormat::Bgr24);
    for (std::int32_t y = 0; y < 2; ++y)
        for (int i = 0; i < 9; ++i)
            b.row(y)[i] = static_cast<std::uint8_t>(10 * y + i + 1);
    EXPECT_EQ(toBgr24(b), b);
}

TEST(ToBgr24, EmptyBitmapGivesEmptyBitmap) {
    const Bitmap out = toBgr24(Bitmap(0, 0, PixelFormat::Gray8));
    EXPECT_TRUE(out.isEmpty());
    EXPECT_EQ(out.format(), PixelFormat::Bgr24);
}

} // namespace
} // namespace fringel
