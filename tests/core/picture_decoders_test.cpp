#include "base/errors.h"
#include "core/bmp_fixtures.h"
#include "image/decoders/picture_decoders.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <jpeglib.h>
#include <optional>
#include <png.h>
#include <sstream>
#include <tiffio.h>
#include <zlib.h>

using namespace fringel;
using fringel::test::readFileBytes;
using fringel::test::TempFolder;

namespace {

// One grey byte, or blue, green, red bytes.
using Pixel = std::vector<std::uint8_t>;

// A pixel set to its own raw samples, and what the decoder must make of it.
struct Probe {
    std::uint32_t x;
    std::uint32_t y;
    std::vector<std::uint16_t> raw;
    Pixel want;
};

constexpr std::uint32_t kWidth = 21; // odd, so rows need padding; crosses a 16-pixel tile
constexpr std::uint32_t kHeight = 18;

// Raw samples of a kWidth x kHeight picture: `background` everywhere but at the probes.
std::vector<std::uint16_t> rawPicture(const std::vector<std::uint16_t>& background,
                                      const std::vector<Probe>& probes) {
    const std::size_t samples = background.size();
    std::vector<std::uint16_t> raw;
    for (std::size_t i = 0; i < std::size_t{kWidth} * kHeight; ++i)
        raw.insert(raw.end(), background.begin(), background.end());
    for (const Probe& p : probes)
        std::copy(p.raw.begin(), p.raw.end(),
                  raw.begin() + static_cast<std::ptrdiff_t>((p.y * kWidth + p.x) * samples));
    return raw;
}

// The first pixel where `got` differs from `background` with the probes, "" when none does.
// `upsideDown` expects the probes' rows counted from the bottom.
std::string firstDifference(const Bitmap& got, const Pixel& background,
                            const std::vector<Probe>& probes, bool upsideDown = false) {
    const PixelFormat format = background.size() == 1 ? PixelFormat::Gray8 : PixelFormat::Bgr24;
    if (got.width() != static_cast<std::int32_t>(kWidth) ||
        got.height() != static_cast<std::int32_t>(kHeight) || got.format() != format)
        return "size " + std::to_string(got.width()) + " x " + std::to_string(got.height()) +
               " or format " + std::to_string(static_cast<int>(got.format())) + " is wrong";
    std::vector<Pixel> want(std::size_t{kWidth} * kHeight, background);
    for (const Probe& p : probes)
        want[(upsideDown ? kHeight - 1 - p.y : p.y) * kWidth + p.x] = p.want;
    const std::size_t bytes = background.size();
    for (std::uint32_t y = 0; y < kHeight; ++y)
        for (std::uint32_t x = 0; x < kWidth; ++x) {
            const std::uint8_t* at = got.row(static_cast<std::int32_t>(y)) + x * bytes;
            const Pixel pixel(at, at + bytes);
            if (pixel != want[y * kWidth + x]) {
                std::ostringstream s;
                s << "pixel " << x << ", " << y << " is";
                for (const int b : pixel)
                    s << ' ' << b;
                s << " instead of";
                for (const int b : want[y * kWidth + x])
                    s << ' ' << b;
                return s.str();
            }
        }
    return "";
}

// Packs one row of samples (every `step`-th value from `first`) as `bits`-bit samples: below 8
// bits the first in the high bits, 16 bits in `bigEndian` or machine order.
std::vector<std::uint8_t> packRow(const std::uint16_t* first, std::size_t count, std::size_t step,
                                  int bits, bool bigEndian) {
    std::vector<std::uint8_t> row((count * bits + 7) / 8);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint16_t v = first[i * step];
        if (bits == 16) {
            if (bigEndian) {
                row[2 * i] = static_cast<std::uint8_t>(v >> 8);
                row[2 * i + 1] = static_cast<std::uint8_t>(v);
            } else {
                std::memcpy(&row[2 * i], &v, 2);
            }
        } else {
            const std::size_t bit = i * bits;
            row[bit / 8] |= static_cast<std::uint8_t>(v << (8 - bits - bit % 8));
        }
    }
    return row;
}

// ---- TIFF ----

struct TiffPicture {
    std::uint16_t bits = 8;
    std::uint16_t samples = 1;
    std::uint16_t photometric = PHOTOMETRIC_MINISBLACK;
    std::uint16_t compression = COMPRESSION_NONE;
    std::uint16_t predictor = PREDICTOR_NONE;
    std::uint16_t planar = PLANARCONFIG_CONTIG;
    std::uint16_t orientation = ORIENTATION_TOPLEFT;
    bool tiled = false;
    bool alpha = false;             // the last sample is unassociated alpha
    bool eightBitColourMap = false; // colour map entries of 0 to 255, as some writers store
};

// 16-bit colour map entries that do not all round the same way by every rule; or 8-bit ones:
// red i, green 255 - i, blue 100.
void colourMap(const TiffPicture& p, std::vector<std::uint16_t>& r, std::vector<std::uint16_t>& g,
               std::vector<std::uint16_t>& b) {
    const int n = 1 << p.bits;
    for (int i = 0; i < n; ++i) {
        if (p.eightBitColourMap) {
            r.push_back(static_cast<std::uint16_t>(i));
            g.push_back(static_cast<std::uint16_t>(255 - i));
            b.push_back(100);
        } else {
            r.push_back(static_cast<std::uint16_t>(i << 8));
            g.push_back(static_cast<std::uint16_t>((n - 1 - i) * 257));
            b.push_back(static_cast<std::uint16_t>(0xFFFF - (i << 8)));
        }
    }
}

void setTiffFields(TIFF* t, const TiffPicture& p, std::uint32_t width, std::uint32_t height) {
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, p.bits);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, p.samples);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, p.photometric);
    TIFFSetField(t, TIFFTAG_COMPRESSION, p.compression);
    if (p.predictor != PREDICTOR_NONE) TIFFSetField(t, TIFFTAG_PREDICTOR, p.predictor);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, p.planar);
    TIFFSetField(t, TIFFTAG_ORIENTATION, p.orientation);
    if (p.alpha) {
        const std::uint16_t type = EXTRASAMPLE_UNASSALPHA;
        TIFFSetField(t, TIFFTAG_EXTRASAMPLES, 1, &type);
    }
    if (p.photometric == PHOTOMETRIC_PALETTE) {
        std::vector<std::uint16_t> r, g, b;
        colourMap(p, r, g, b);
        TIFFSetField(t, TIFFTAG_COLORMAP, r.data(), g.data(), b.data());
    }
    if (p.tiled) {
        TIFFSetField(t, TIFFTAG_TILEWIDTH, 16);
        TIFFSetField(t, TIFFTAG_TILELENGTH, 16);
    } else {
        TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, 5); // several strips, the last one short
    }
}

// Writes raw samples (row by row, pixel by pixel, sample by sample) as a kWidth x kHeight TIFF.
void writeTiff(const std::string& path, const TiffPicture& p,
               const std::vector<std::uint16_t>& raw) {
    TIFF* t = TIFFOpen(path.c_str(), "w");
    ASSERT_NE(t, nullptr);
    setTiffFields(t, p, kWidth, kHeight);
    const bool separate = p.planar == PLANARCONFIG_SEPARATE;
    const std::size_t spp = p.samples;
    const std::uint16_t planes = separate ? p.samples : 1;
    for (std::uint16_t plane = 0; plane < planes; ++plane) {
        // One row of one plane, from pixel x0 on, `count` pixels long.
        const auto rowOf = [&](std::uint32_t y, std::uint32_t x0, std::uint32_t count) {
            const std::uint16_t* first = raw.data() + (y * kWidth + x0) * spp + plane;
            return separate ? packRow(first, count, spp, p.bits, false)
                            : packRow(first, count * spp, 1, p.bits, false);
        };
        if (!p.tiled) {
            for (std::uint32_t y = 0; y < kHeight; ++y) {
                std::vector<std::uint8_t> row = rowOf(y, 0, kWidth);
                ASSERT_GE(TIFFWriteScanline(t, row.data(), y, plane), 0);
            }
            continue;
        }
        const auto tileRowBytes = static_cast<std::size_t>(TIFFTileRowSize64(t));
        for (std::uint32_t y0 = 0; y0 < kHeight; y0 += 16)
            for (std::uint32_t x0 = 0; x0 < kWidth; x0 += 16) {
                std::vector<std::uint8_t> tile(static_cast<std::size_t>(TIFFTileSize64(t)));
                for (std::uint32_t r = 0; r < 16 && y0 + r < kHeight; ++r) {
                    const std::vector<std::uint8_t> row =
                        rowOf(y0 + r, x0, std::min<std::uint32_t>(16, kWidth - x0));
                    std::copy(row.begin(), row.end(), tile.begin() + r * tileRowBytes);
                }
                ASSERT_GE(TIFFWriteTile(t, tile.data(), x0, y0, 0, plane), 0);
            }
    }
    TIFFClose(t);
}

struct TiffCase {
    const char* name;
    TiffPicture picture;
    std::vector<std::uint16_t> background;
    Pixel backgroundWant;
    std::vector<Probe> probes;
};

TEST(TiffDecoder, ReadsEveryKindOfPictureExactly) {
    const TiffCase cases[] = {
        {"8-bit grey",
         {},
         {77},
         {77},
         {{0, 0, {0}, {0}}, {1, 0, {1}, {1}}, {20, 0, {200}, {200}}, {0, 17, {255}, {255}}}},
        {"16-bit grey, LZW with predictor",
         {.bits = 16, .compression = COMPRESSION_LZW, .predictor = PREDICTOR_HORIZONTAL},
         {1000},
         {4},
         {{0, 0, {0}, {0}},
          {1, 0, {128}, {0}},
          {2, 0, {129}, {1}},
          {3, 0, {257}, {1}},
          {20, 0, {385}, {1}},
          {0, 17, {386}, {2}},
          {19, 17, {32896}, {128}},
          {20, 17, {65535}, {255}}}},
        {"8-bit min-is-white",
         {.photometric = PHOTOMETRIC_MINISWHITE},
         {0},
         {255},
         {{0, 0, {255}, {0}}, {20, 17, {10}, {245}}}},
        {"16-bit min-is-white, Deflate",
         {.bits = 16,
          .photometric = PHOTOMETRIC_MINISWHITE,
          .compression = COMPRESSION_ADOBE_DEFLATE},
         {0},
         {255},
         {{0, 0, {129}, {254}}, {20, 17, {65535}, {0}}}},
        {"1-bit min-is-white, PackBits",
         {.bits = 1, .photometric = PHOTOMETRIC_MINISWHITE, .compression = COMPRESSION_PACKBITS},
         {0},
         {255},
         {{0, 0, {1}, {0}}, {8, 0, {1}, {0}}, {20, 17, {1}, {0}}}},
        {"4-bit grey with alpha",
         {.bits = 4, .samples = 2, .alpha = true},
         {3, 15},
         {51},
         {{0, 0, {15, 0}, {255}}, {20, 17, {1, 7}, {17}}}},
        {"8-bit RGB, Deflate",
         {.samples = 3, .photometric = PHOTOMETRIC_RGB, .compression = COMPRESSION_ADOBE_DEFLATE},
         {1, 2, 3},
         {3, 2, 1},
         {{0, 0, {10, 20, 30}, {30, 20, 10}}, {20, 17, {255, 0, 128}, {128, 0, 255}}}},
        {"16-bit RGB, PackBits",
         {.bits = 16,
          .samples = 3,
          .photometric = PHOTOMETRIC_RGB,
          .compression = COMPRESSION_PACKBITS},
         {0, 0, 0},
         {0, 0, 0},
         {{0, 0, {257, 129, 65535}, {255, 1, 1}}, {20, 17, {128, 32896, 386}, {2, 128, 0}}}},
        {"8-bit RGB with unassociated alpha, colour kept as stored",
         {.samples = 4, .photometric = PHOTOMETRIC_RGB, .alpha = true},
         {9, 8, 7, 255},
         {7, 8, 9},
         {{0, 0, {200, 100, 50, 0}, {50, 100, 200}}, {20, 17, {60, 70, 80, 128}, {80, 70, 60}}}},
        {"8-bit RGB in separate planes",
         {.samples = 3, .photometric = PHOTOMETRIC_RGB, .planar = PLANARCONFIG_SEPARATE},
         {1, 2, 3},
         {3, 2, 1},
         {{0, 0, {10, 20, 30}, {30, 20, 10}}, {20, 17, {40, 50, 60}, {60, 50, 40}}}},
        {"8-bit palette, LZW",
         {.photometric = PHOTOMETRIC_PALETTE, .compression = COMPRESSION_LZW},
         {0},
         {255, 255, 0},
         {{0, 0, {1}, {254, 254, 1}},
          {20, 0, {128}, {127, 127, 128}},
          {20, 17, {255}, {1, 0, 254}}}},
        {"8-bit palette with an 8-bit colour map",
         {.photometric = PHOTOMETRIC_PALETTE, .eightBitColourMap = true},
         {0},
         {100, 255, 0},
         {{0, 0, {2}, {100, 253, 2}}, {20, 17, {255}, {100, 0, 255}}}},
        {"4-bit palette",
         {.bits = 4, .photometric = PHOTOMETRIC_PALETTE},
         {0},
         {255, 15, 0},
         {{0, 0, {9}, {246, 6, 9}}, {20, 17, {15}, {240, 0, 15}}}},
        {"8-bit grey in tiles, Deflate",
         {.compression = COMPRESSION_ADOBE_DEFLATE, .tiled = true},
         {5},
         {5},
         {{0, 0, {1}, {1}}, {16, 0, {2}, {2}}, {15, 16, {3}, {3}}, {20, 17, {4}, {4}}}},
        {"16-bit RGB in tiles, LZW",
         {.bits = 16,
          .samples = 3,
          .photometric = PHOTOMETRIC_RGB,
          .compression = COMPRESSION_LZW,
          .tiled = true},
         {0, 0, 0},
         {0, 0, 0},
         {{0, 0, {257, 129, 65535}, {255, 1, 1}}, {20, 17, {128, 32896, 386}, {2, 128, 0}}}},
        {"8-bit RGB in tiles and separate planes",
         {.samples = 3,
          .photometric = PHOTOMETRIC_RGB,
          .planar = PLANARCONFIG_SEPARATE,
          .tiled = true},
         {1, 2, 3},
         {3, 2, 1},
         {{0, 0, {10, 20, 30}, {30, 20, 10}}, {20, 17, {40, 50, 60}, {60, 50, 40}}}},
    };
    TempFolder folder;
    for (const TiffCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = folder.file("picture.tif");
        writeTiff(path, c.picture, rawPicture(c.background, c.probes));
        EXPECT_EQ(firstDifference(decodeTiff(path), c.backgroundWant, c.probes), "");
    }
}

TEST(TiffDecoder, TurnsPicturesStoredBottomUpOrMirrored) {
    const std::vector<Probe> probes = {{0, 0, {1}, {1}}, {20, 0, {2}, {2}}, {0, 17, {3}, {3}}};
    const struct {
        std::uint16_t orientation;
        std::vector<Probe> want;
    } cases[] = {
        {ORIENTATION_TOPLEFT, probes},
        {ORIENTATION_BOTLEFT, {{0, 17, {}, {1}}, {20, 17, {}, {2}}, {0, 0, {}, {3}}}},
        {ORIENTATION_TOPRIGHT, {{20, 0, {}, {1}}, {0, 0, {}, {2}}, {20, 17, {}, {3}}}},
        {ORIENTATION_BOTRIGHT, {{20, 17, {}, {1}}, {0, 17, {}, {2}}, {20, 0, {}, {3}}}},
    };
    TempFolder folder;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.orientation);
        const std::string path = folder.file("turned.tif");
        writeTiff(path, {.orientation = c.orientation}, rawPicture({0}, probes));
        EXPECT_EQ(firstDifference(decodeTiff(path), {0}, c.want), "");
    }
}

TEST(TiffDecoder, ReadsJpegCompressedYCbCrPicturesInBands) {
    // Large enough for several bands of libtiff's RGBA reader: the top half is one colour, the
    // bottom half another, both kept within the JPEG loss.
    constexpr std::uint32_t w = 1024;
    constexpr std::uint32_t h = 1104;
    const std::uint8_t top[3] = {200, 40, 90}; // red, green, blue
    const std::uint8_t bottom[3] = {30, 160, 220};
    for (const std::uint16_t orientation : {ORIENTATION_TOPLEFT, ORIENTATION_BOTLEFT}) {
        SCOPED_TRACE(orientation);
        TempFolder folder;
        const std::string path = folder.file("ycbcr.tif");
        TIFF* t = TIFFOpen(path.c_str(), "w");
        ASSERT_NE(t, nullptr);
        TIFFSetField(t, TIFFTAG_IMAGEWIDTH, w);
        TIFFSetField(t, TIFFTAG_IMAGELENGTH, h);
        TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
        TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 3);
        TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_JPEG);
        TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_YCBCR);
        TIFFSetField(t, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
        TIFFSetField(t, TIFFTAG_JPEGQUALITY, 95);
        TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, 16);
        TIFFSetField(t, TIFFTAG_ORIENTATION, orientation);
        std::vector<std::uint8_t> row(3 * w);
        for (std::uint32_t y = 0; y < h; ++y) {
            const std::uint8_t* colour = y < h / 2 ? top : bottom;
            for (std::uint32_t x = 0; x < w; ++x)
                std::copy(colour, colour + 3, row.begin() + 3 * x);
            ASSERT_GE(TIFFWriteScanline(t, row.data(), y, 0), 0);
        }
        TIFFClose(t);

        const Bitmap b = decodeTiff(path);
        ASSERT_EQ(b.width(), static_cast<std::int32_t>(w));
        ASSERT_EQ(b.height(), static_cast<std::int32_t>(h));
        ASSERT_EQ(b.format(), PixelFormat::Bgr24);
        const bool flipped = orientation == ORIENTATION_BOTLEFT;
        for (const std::uint32_t y : {0u, 500u, 530u, 560u, 1030u, h - 1}) {
            const std::uint8_t* want = (y < h / 2) != flipped ? top : bottom;
            for (const std::uint32_t x : {0u, 700u, w - 1})
                for (int c = 0; c < 3; ++c)
                    EXPECT_NEAR(b.row(static_cast<std::int32_t>(y))[3 * x + (2 - c)], want[c], 3)
                        << "x " << x << ", y " << y << ", channel " << c;
        }
    }
}

TEST(TiffDecoder, ReadsOnlyTheFirstPage) {
    TempFolder folder;
    const std::string path = folder.file("pages.tif");
    TIFF* t = TIFFOpen(path.c_str(), "w");
    ASSERT_NE(t, nullptr);
    for (const std::uint32_t width : {3u, 7u}) {
        setTiffFields(t, {}, width, 2);
        std::vector<std::uint8_t> row(width, static_cast<std::uint8_t>(width));
        for (std::uint32_t y = 0; y < 2; ++y)
            ASSERT_GE(TIFFWriteScanline(t, row.data(), y, 0), 0);
        ASSERT_TRUE(TIFFWriteDirectory(t));
    }
    TIFFClose(t);
    const Bitmap b = decodeTiff(path);
    EXPECT_EQ(b.width(), 3);
    EXPECT_EQ(b.row(1)[2], 3);
}

// ---- PNG ----

struct PngCase {
    const char* name;
    int colourType;
    int bits;
    bool interlaced;
    std::vector<std::uint16_t> background;
    Pixel backgroundWant;
    std::vector<Probe> probes;
};

// Palette entry i is red i, green 255 - i, blue 100; entries 0 to 3 are partly transparent.
void writePng(const std::string& path, const PngCase& c) {
    const std::vector<std::uint16_t> raw = rawPicture(c.background, c.probes);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, f);
    png_set_IHDR(png, info, kWidth, kHeight, c.bits, c.colourType,
                 c.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (c.colourType == PNG_COLOR_TYPE_PALETTE) {
        std::vector<png_color> palette;
        for (int i = 0; i < (1 << c.bits); ++i)
            palette.push_back({static_cast<png_byte>(i), static_cast<png_byte>(255 - i), 100});
        png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
        png_byte alpha[] = {0, 64, 128, 200};
        png_set_tRNS(png, info, alpha, 4, nullptr);
    }
    png_write_info(png, info);
    const std::size_t spp = c.background.size();
    std::vector<std::vector<std::uint8_t>> rows;
    std::vector<png_bytep> pointers;
    for (std::uint32_t y = 0; y < kHeight; ++y)
        rows.push_back(packRow(raw.data() + y * kWidth * spp, kWidth * spp, 1, c.bits, true));
    for (auto& r : rows)
        pointers.push_back(r.data());
    png_write_image(png, pointers.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
}

TEST(PngDecoder, ReadsEveryKindOfPictureExactly) {
    const PngCase cases[] = {
        {"8-bit grey",
         PNG_COLOR_TYPE_GRAY,
         8,
         false,
         {77},
         {77},
         {{0, 0, {0}, {0}}, {20, 0, {200}, {200}}, {0, 17, {255}, {255}}}},
        {"16-bit grey",
         PNG_COLOR_TYPE_GRAY,
         16,
         false,
         {1000},
         {4},
         {{0, 0, {128}, {0}},
          {1, 0, {129}, {1}},
          {2, 0, {257}, {1}},
          {20, 0, {386}, {2}},
          {0, 17, {32896}, {128}},
          {20, 17, {65535}, {255}}}},
        {"1-bit grey",
         PNG_COLOR_TYPE_GRAY,
         1,
         false,
         {0},
         {0},
         {{0, 0, {1}, {255}}, {9, 0, {1}, {255}}, {20, 17, {1}, {255}}}},
        {"4-bit grey",
         PNG_COLOR_TYPE_GRAY,
         4,
         false,
         {2},
         {34},
         {{0, 0, {5}, {85}}, {20, 17, {15}, {255}}}},
        {"16-bit grey with alpha",
         PNG_COLOR_TYPE_GRAY_ALPHA,
         16,
         false,
         {0, 65535},
         {0},
         {{0, 0, {129, 7}, {1}}, {20, 17, {65535, 0}, {255}}}},
        {"8-bit RGB",
         PNG_COLOR_TYPE_RGB,
         8,
         false,
         {1, 2, 3},
         {3, 2, 1},
         {{0, 0, {10, 20, 30}, {30, 20, 10}}, {20, 17, {255, 0, 128}, {128, 0, 255}}}},
        {"16-bit RGB",
         PNG_COLOR_TYPE_RGB,
         16,
         false,
         {0, 0, 0},
         {0, 0, 0},
         {{0, 0, {257, 129, 65535}, {255, 1, 1}}, {20, 17, {128, 32896, 386}, {2, 128, 0}}}},
        {"8-bit RGBA, colour kept as stored",
         PNG_COLOR_TYPE_RGB_ALPHA,
         8,
         false,
         {9, 8, 7, 255},
         {7, 8, 9},
         {{0, 0, {200, 100, 50, 0}, {50, 100, 200}}, {20, 17, {60, 70, 80, 128}, {80, 70, 60}}}},
        {"8-bit palette with transparency",
         PNG_COLOR_TYPE_PALETTE,
         8,
         false,
         {0},
         {100, 255, 0},
         {{0, 0, {2}, {100, 253, 2}}, {20, 17, {250}, {100, 5, 250}}}},
        {"2-bit palette",
         PNG_COLOR_TYPE_PALETTE,
         2,
         false,
         {1},
         {100, 254, 1},
         {{0, 0, {3}, {100, 252, 3}}, {20, 17, {0}, {100, 255, 0}}}},
        {"interlaced 8-bit RGB",
         PNG_COLOR_TYPE_RGB,
         8,
         true,
         {1, 2, 3},
         {3, 2, 1},
         {{0, 0, {10, 20, 30}, {30, 20, 10}},
          {1, 1, {11, 21, 31}, {31, 21, 11}},
          {4, 3, {12, 22, 32}, {32, 22, 12}},
          {20, 17, {255, 0, 128}, {128, 0, 255}}}},
        {"interlaced 16-bit grey",
         PNG_COLOR_TYPE_GRAY,
         16,
         true,
         {1000},
         {4},
         {{0, 0, {129}, {1}}, {3, 5, {32896}, {128}}, {20, 17, {65535}, {255}}}},
    };
    TempFolder folder;
    for (const PngCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = folder.file("picture.png");
        writePng(path, c);
        EXPECT_EQ(firstDifference(decodePng(path), c.backgroundWant, c.probes), "");
    }
}

// ---- JPEG ----

struct JpegCase {
    const char* name;
    J_COLOR_SPACE space;
    int components;
    bool progressive;
    std::vector<std::uint8_t> top; // samples of the top half, and of the bottom half
    std::vector<std::uint8_t> bottom;
};

constexpr std::uint32_t kJpegWidth = 37;
constexpr std::uint32_t kJpegHeight = 34; // the halves meet at row 16, a block boundary

void writeJpeg(const std::string& path, const JpegCase& c, int quality = 95) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, f);
    info.image_width = kJpegWidth;
    info.image_height = kJpegHeight;
    info.input_components = c.components;
    info.in_color_space = c.space;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    if (c.progressive) jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    std::vector<std::uint8_t> row(kJpegWidth * c.components);
    while (info.next_scanline < kJpegHeight) {
        const std::vector<std::uint8_t>& v = info.next_scanline < 16 ? c.top : c.bottom;
        for (std::uint32_t x = 0; x < kJpegWidth; ++x)
            std::copy(v.begin(), v.end(), row.begin() + x * c.components);
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::fclose(f);
}

TEST(JpegDecoder, ReadsGreyAndColourWithinTheLoss) {
    const JpegCase cases[] = {
        {"grey", JCS_GRAYSCALE, 1, false, {40}, {210}},
        {"colour", JCS_RGB, 3, false, {200, 40, 90}, {30, 160, 220}},
        {"progressive colour", JCS_RGB, 3, true, {200, 40, 90}, {30, 160, 220}},
    };
    TempFolder folder;
    for (const JpegCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = folder.file("picture.jpg");
        writeJpeg(path, c);
        const Bitmap b = decodeJpeg(path);
        ASSERT_EQ(b.width(), static_cast<std::int32_t>(kJpegWidth));
        ASSERT_EQ(b.height(), static_cast<std::int32_t>(kJpegHeight));
        ASSERT_EQ(b.format(), c.components == 1 ? PixelFormat::Gray8 : PixelFormat::Bgr24);
        // Rows next to where the halves meet may blend, as the colour is upsampled.
        for (std::uint32_t y = 0; y < kJpegHeight; ++y) {
            if (y >= 14 && y < 18) continue;
            const std::vector<std::uint8_t>& want = y < 16 ? c.top : c.bottom;
            for (std::uint32_t x = 0; x < kJpegWidth; ++x)
                for (int i = 0; i < c.components; ++i) {
                    const int at = c.components == 1 ? 0 : 2 - i; // red is the third byte
                    ASSERT_NEAR(b.row(static_cast<std::int32_t>(y))[x * c.components + at], want[i],
                                3)
                        << "x " << x << ", y " << y << ", sample " << i;
                }
        }
    }
}

// ---- Files that cannot be read ----

// An uncompressed 8-bit grey TIFF of the given size built byte by byte, its pixel data after
// the tags, so that cutting the file cuts the pixels.
std::string handMadeTiff(std::uint32_t width, std::uint32_t height) {
    std::string s = std::string("II*\0", 4);
    const auto put16 = [&s](std::uint32_t v) {
        s += static_cast<char>(v & 0xFF);
        s += static_cast<char>(v >> 8 & 0xFF);
    };
    const auto put32 = [&](std::uint32_t v) {
        put16(v & 0xFFFF);
        put16(v >> 16);
    };
    put32(8);
    const std::uint32_t entries = 9;
    const std::uint32_t dataAt = 8 + 2 + entries * 12 + 4;
    const std::uint64_t dataBytes = std::uint64_t{width} * height;
    put16(entries);
    const auto tag = [&](std::uint32_t id, std::uint32_t type, std::uint32_t value) {
        put16(id);
        put16(type);
        put32(1);
        put32(value); // a short value sits in the low bytes, as the file is little-endian
    };
    tag(TIFFTAG_IMAGEWIDTH, TIFF_LONG, width);
    tag(TIFFTAG_IMAGELENGTH, TIFF_LONG, height);
    tag(TIFFTAG_BITSPERSAMPLE, TIFF_SHORT, 8);
    tag(TIFFTAG_COMPRESSION, TIFF_SHORT, COMPRESSION_NONE);
    tag(TIFFTAG_PHOTOMETRIC, TIFF_SHORT, PHOTOMETRIC_MINISBLACK);
    tag(TIFFTAG_STRIPOFFSETS, TIFF_LONG, dataAt);
    tag(TIFFTAG_SAMPLESPERPIXEL, TIFF_SHORT, 1);
    tag(TIFFTAG_ROWSPERSTRIP, TIFF_LONG, height);
    tag(TIFFTAG_STRIPBYTECOUNTS, TIFF_LONG,
        static_cast<std::uint32_t>(std::min<std::uint64_t>(dataBytes, 0xFFFFFFFF)));
    put32(0);
    if (dataBytes <= 1 << 20) s.append(dataBytes, '\x55');
    return s;
}

std::string writtenBytes(const std::function<void(const std::string&)>& write) {
    TempFolder folder;
    const std::string path = folder.file("fixture");
    write(path);
    return readFileBytes(path);
}

std::string goodPng() {
    PngCase c{"", PNG_COLOR_TYPE_RGB, 8, false, {1, 2, 3}, {}, {}};
    return writtenBytes([&](const std::string& path) { writePng(path, c); });
}

// A PNG whose header declares the given size, its checksum mended.
std::string pngDeclaring(std::uint32_t width, std::uint32_t height) {
    std::string s = goodPng();
    for (int i = 0; i < 4; ++i) {
        s[16 + i] = static_cast<char>(width >> (24 - 8 * i));
        s[20 + i] = static_cast<char>(height >> (24 - 8 * i));
    }
    const auto crc = static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(s.data() + 12), 17)); // chunk type and data
    for (int i = 0; i < 4; ++i)
        s[29 + i] = static_cast<char>(crc >> (24 - 8 * i));
    return s;
}

std::string goodJpeg(J_COLOR_SPACE space = JCS_RGB, int components = 3) {
    const JpegCase c{"",
                     space,
                     components,
                     false,
                     std::vector<std::uint8_t>(components, 90),
                     std::vector<std::uint8_t>(components, 20)};
    return writtenBytes([&](const std::string& path) { writeJpeg(path, c); });
}

// A JPEG whose frame header declares the given size.
std::string jpegDeclaring(std::uint16_t width, std::uint16_t height) {
    std::string s = goodJpeg();
    const std::size_t frame = s.find("\xFF\xC0");
    EXPECT_NE(frame, std::string::npos);
    s[frame + 5] = static_cast<char>(height >> 8);
    s[frame + 6] = static_cast<char>(height);
    s[frame + 7] = static_cast<char>(width >> 8);
    s[frame + 8] = static_cast<char>(width);
    return s;
}

std::string cut(std::string s, std::size_t keep) {
    s.resize(keep);
    return s;
}

TEST(PictureDecoders, RefuseBadFilesSilentlyWithFileError) {
    using Decoder = Bitmap (*)(const std::string&);
    const std::string garbage = "Not a picture at all, only some text that goes on and on.";
    const std::string png = goodPng();
    const std::string jpeg = goodJpeg();
    const struct {
        const char* name;
        Decoder decode;
        std::optional<std::string> bytes; // none: the file does not exist
        const char* reason;               // a part of the reason given
    } cases[] = {
        {"missing TIFF", decodeTiff, std::nullopt, "cannot open the file"},
        {"missing PNG", decodePng, std::nullopt, "cannot open the file"},
        {"missing JPEG", decodeJpeg, std::nullopt, "cannot open the file"},
        {"garbage TIFF", decodeTiff, garbage, "not a readable TIFF file"},
        {"garbage PNG", decodePng, garbage, "not a PNG file"},
        {"garbage JPEG", decodeJpeg, garbage, "not a readable JPEG file"},
        {"empty TIFF file", decodeTiff, "", "not a readable TIFF file"},
        {"empty PNG file", decodePng, "", "not a PNG file"},
        {"empty JPEG file", decodeJpeg, "", "not a readable JPEG file"},
        {"TIFF cut in its pixels", decodeTiff, cut(handMadeTiff(64, 64), 1000), "row"},
        {"TIFF cut in its tags", decodeTiff, cut(handMadeTiff(64, 64), 60), "TIFF"},
        {"PNG cut short", decodePng, cut(png, png.size() / 2), "the file ends early"},
        {"JPEG cut in its pixels", decodeJpeg, cut(jpeg, jpeg.size() - 10), "Premature end"},
        {"JPEG cut in its header", decodeJpeg, cut(jpeg, 100), "not a readable JPEG file"},
        {"TIFF of 100000 x 100000", decodeTiff, handMadeTiff(100000, 100000), "too large"},
        {"PNG of 100000 x 100000", decodePng, pngDeclaring(100000, 100000), "too large"},
        {"JPEG of 60000 x 60000", decodeJpeg, jpegDeclaring(60000, 60000), "too large"},
        {"TIFF of 0 x 5", decodeTiff, handMadeTiff(0, 5), ""},
        {"PNG of 0 x 5", decodePng, pngDeclaring(0, 5), ""},
        {"JPEG of 0 x 5", decodeJpeg, jpegDeclaring(0, 5), ""},
        {"CMYK JPEG", decodeJpeg, goodJpeg(JCS_CMYK, 4), "CMYK JPEG pictures are not supported"},
    };
    TempFolder folder;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = folder.file(c.name);
        if (c.bytes) std::ofstream(path, std::ios::binary) << *c.bytes;
        testing::internal::CaptureStderr();
        try {
            c.decode(path);
            ADD_FAILURE() << "no error raised";
        } catch (const FileError& e) {
            EXPECT_EQ(e.fileName(), path);
            EXPECT_NE(e.reason().find(c.reason), std::string::npos) << e.reason();
        } catch (const std::exception& e) {
            ADD_FAILURE() << "wrong kind of error: " << e.what();
        }
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    }
}

} // namespace
