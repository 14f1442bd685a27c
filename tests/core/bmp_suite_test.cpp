// Runs the BMP reader over the public bmpsuite corpus: good files must load with the right
// format, size and pixels, bad files must be refused with a FileError naming the fault, and
// questionable files must either load or be refused cleanly.
#include "base/errors.h"
#include "image/bitmap.h"
#include "image/bmp_codec.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

namespace fringel {
namespace {

namespace fs = std::filesystem;

const fs::path kSuite = fs::path(FRINGEL_TEST_DATA) / "bmpsuite";

std::string suitePath(const std::string& folder, const std::string& file) {
    return (kSuite / folder / file).string();
}

// The .bmp files of one corpus folder, sorted by name.
std::vector<std::string> listFolder(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(kSuite / folder, ec))
        if (entry.is_regular_file() && entry.path().extension() == ".bmp")
            names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string paramName(const testing::TestParamInfo<std::string>& info) {
    std::string name = info.param;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
}

bool sameRows(const Bitmap& a, const Bitmap& b) {
    if (a.width() != b.width() || a.height() != b.height() || a.format() != b.format())
        return false;
    for (std::int32_t y = 0; y < a.height(); ++y)
        if (std::memcmp(a.row(y), b.row(y), static_cast<std::size_t>(a.stride())) != 0)
            return false;
    return true;
}

// Largest difference of any colour byte between two 24-bit pictures of one size.
int largestDifference(const Bitmap& a, const Bitmap& b) {
    int largest = 0;
    for (std::int32_t y = 0; y < a.height(); ++y)
        for (std::int32_t x = 0; x < a.width() * 3; ++x)
            largest = std::max(largest, std::abs(a.row(y)[x] - b.row(y)[x]));
    return largest;
}

// What a good file's pixels are checked against.
enum class Reference {
    None,        // only format and size
    Pal1Indices, // the same index bits as pal1.bmp
    Pal4Indices, // the same index nibbles as pal4.bmp
    Pal8Indices, // the same index bytes as pal8.bmp
    Rgb24Exact,  // the same colours as rgb24.bmp
    Rgb24Close,  // rgb24.bmp's colours within the rounding of 5 and 6-bit channels
};

struct Good {
    PixelFormat format;
    std::int32_t width;
    std::int32_t height;
    Reference reference;
};

const std::map<std::string, Good>& goodFiles() {
    using enum PixelFormat;
    using enum Reference;
    static const std::map<std::string, Good> table{
        {"pal1.bmp", {Indexed1, 127, 64, Pal1Indices}},
        {"pal1bg.bmp", {Indexed1, 127, 64, Pal1Indices}},
        {"pal1wb.bmp", {Indexed1, 127, 64, None}},
        {"pal4.bmp", {Indexed4, 127, 64, Pal4Indices}},
        {"pal4gs.bmp", {Indexed4, 127, 64, None}},
        {"pal4rle.bmp", {Indexed4, 127, 64, Pal4Indices}},
        {"pal8-0.bmp", {Gray8, 127, 64, Pal8Indices}},
        {"pal8.bmp", {Gray8, 127, 64, Pal8Indices}},
        {"pal8gs.bmp", {Gray8, 127, 64, None}},
        {"pal8nonsquare.bmp", {Gray8, 127, 32, None}},
        {"pal8os2.bmp", {Gray8, 127, 64, Pal8Indices}},
        {"pal8rle.bmp", {Gray8, 127, 64, Pal8Indices}},
        {"pal8topdown.bmp", {Gray8, 127, 64, Pal8Indices}},
        {"pal8v4.bmp", {Gray8, 127, 64, Pal8Indices}},
        {"pal8v5.bmp", {Gray8, 127, 64, Pal8Indices}},
        {"pal8w124.bmp", {Gray8, 124, 61, None}},
        {"pal8w125.bmp", {Gray8, 125, 62, None}},
        {"pal8w126.bmp", {Gray8, 126, 63, None}},
        {"rgb16-565.bmp", {Rgb565, 127, 64, Rgb24Close}},
        {"rgb16-565pal.bmp", {Rgb565, 127, 64, Rgb24Close}},
        {"rgb16.bmp", {Rgb555, 127, 64, Rgb24Close}},
        {"rgb16bfdef.bmp", {Rgb555, 127, 64, Rgb24Close}},
        {"rgb24.bmp", {Bgr24, 127, 64, Rgb24Exact}},
        {"rgb24pal.bmp", {Bgr24, 127, 64, Rgb24Exact}},
        {"rgb32.bmp", {Bgra32, 127, 64, Rgb24Exact}},
        {"rgb32bf.bmp", {Bgra32, 127, 64, Rgb24Exact}},
        {"rgb32bfdef.bmp", {Bgra32, 127, 64, Rgb24Exact}},
    };
    return table;
}

// The fault each bad file must be refused for (a fragment of the reason).
const std::map<std::string, std::string>& badFiles() {
    static const std::map<std::string, std::string> table{
        {"badbitcount.bmp", "invalid bit count 30000"},
        {"badbitssize.bmp", "declared image data size 2129587950"},
        {"baddens1.bmp", "resolution of 30000000 pixels per metre"},
        {"baddens2.bmp", "resolution of 30000000 pixels per metre"},
        {"badfilesize.bmp", "truncated file"},
        {"badheadersize.bmp", "unsupported header size 66"},
        {"badpalettesize.bmp", "palette of 305402420 entries does not fit"},
        {"badplanes.bmp", "invalid number of planes 30000"},
        {"badrle.bmp", "leaves the picture"},
        {"badrle4.bmp", "leaves the picture"},
        {"badrle4bis.bmp", "leaves the picture"},
        {"badrle4ter.bmp", "leaves the picture"},
        {"badrlebis.bmp", "leaves the picture"},
        {"badrleter.bmp", "leaves the picture"},
        {"badwidth.bmp", "invalid width -127"},
        {"pal8badindex.bmp", "beyond the palette of 101 entries"},
        {"reallybig.bmp", "declared size 3000000 x 2000000 exceeds the limit of 268435456 pixels"},
        {"rgb16-880.bmp", "mask for blue is empty"},
        {"rletopdown.bmp", "top-down bitmap with RLE8"},
        {"shortfile.bmp", "truncated pixel data (needs 1024 bytes, file has 211)"},
    };
    return table;
}

TEST(BmpSuite, CorpusIsPresent) {
    for (const char* folder : {"g", "b", "q", "x"})
        EXPECT_FALSE(listFolder(folder).empty()) << "no files in " << (kSuite / folder);
}

class GoodBmp : public testing::TestWithParam<std::string> {};

TEST_P(GoodBmp, LoadsWithItsFormatSizeAndPixels) {
    const std::string& file = GetParam();
    const auto it = goodFiles().find(file);
    ASSERT_NE(it, goodFiles().end()) << "no expectation for g/" << file;
    const Good& want = it->second;

    const Bitmap bmp = readBmp(suitePath("g", file));
    EXPECT_EQ(bmp.format(), want.format);
    EXPECT_EQ(bmp.width(), want.width);
    EXPECT_EQ(bmp.height(), want.height);

    switch (want.reference) {
    case Reference::None:
        break;
    case Reference::Pal1Indices:
        EXPECT_TRUE(sameRows(bmp, readBmp(suitePath("g", "pal1.bmp"))));
        break;
    case Reference::Pal4Indices:
        EXPECT_TRUE(sameRows(bmp, readBmp(suitePath("g", "pal4.bmp"))));
        break;
    case Reference::Pal8Indices:
        EXPECT_TRUE(sameRows(bmp, readBmp(suitePath("g", "pal8.bmp"))));
        break;
    case Reference::Rgb24Exact:
        EXPECT_TRUE(sameRows(toBgr24(bmp), readBmp(suitePath("g", "rgb24.bmp"))));
        break;
    case Reference::Rgb24Close:
        EXPECT_LE(largestDifference(toBgr24(bmp), readBmp(suitePath("g", "rgb24.bmp"))), 8);
        break;
    }
    if (bitsPerPixel(bmp.format()) <= 8) {
        EXPECT_FALSE(bmp.palette().empty());
        EXPECT_LE(bmp.palette().size(), std::size_t{1} << bitsPerPixel(bmp.format()));
    }
}

INSTANTIATE_TEST_SUITE_P(Corpus, GoodBmp, testing::ValuesIn(listFolder("g")), paramName);

class BadBmp : public testing::TestWithParam<std::string> {};

TEST_P(BadBmp, IsRefusedWithTheFault) {
    const std::string& file = GetParam();
    const auto it = badFiles().find(file);
    ASSERT_NE(it, badFiles().end()) << "no expected fault for b/" << file;
    const std::string path = suitePath("b", file);
    try {
        readBmp(path);
        FAIL() << "b/" << file << " was loaded";
    } catch (const FileError& e) {
        EXPECT_EQ(e.fileName(), path);
        EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
        EXPECT_NE(e.reason().find(it->second), std::string::npos) << e.reason();
    }
}

INSTANTIATE_TEST_SUITE_P(Corpus, BadBmp, testing::ValuesIn(listFolder("b")), paramName);

// Questionable and unusual files: either a sound picture or a FileError, nothing else.
class OddBmp : public testing::TestWithParam<std::string> {};

TEST_P(OddBmp, LoadsOrIsRefusedCleanly) {
    const std::string path = (kSuite / GetParam()).string();
    try {
        const Bitmap bmp = readBmp(path);
        EXPECT_EQ(bmp.width(), 127);
        EXPECT_EQ(bmp.height(), 64);
    } catch (const FileError& e) {
        EXPECT_EQ(e.fileName(), path);
        EXPECT_FALSE(e.reason().empty());
    }
}

std::vector<std::string> oddFiles() {
    std::vector<std::string> paths;
    for (const char* folder : {"q", "x"})
        for (const std::string& file : listFolder(folder))
            paths.push_back(std::string(folder) + "/" + file);
    return paths;
}

INSTANTIATE_TEST_SUITE_P(Corpus, OddBmp, testing::ValuesIn(oddFiles()), paramName);

TEST(BmpSuite, TwentyFourAndThirtyTwoBitFilesHoldTheSamePicture) {
    const Bitmap rgb24 = readBmp(suitePath("g", "rgb24.bmp"));
    const Bitmap rgb32 = readBmp(suitePath("g", "rgb32.bmp"));
    ASSERT_EQ(rgb32.width(), rgb24.width());
    ASSERT_EQ(rgb32.height(), rgb24.height());
    for (std::int32_t y = 0; y < rgb24.height(); ++y)
        for (std::int32_t x = 0; x < rgb24.width(); ++x)
            for (int c = 0; c < 3; ++c)
                ASSERT_EQ(rgb32.row(y)[4 * x + c], rgb24.row(y)[3 * x + c])
                    << "pixel (" << x << ", " << y << ") channel " << c;
}

TEST(BmpSuite, TwentyFourBitPixelsAreReadTopRowFirst) {
    const Bitmap bmp = readBmp(suitePath("g", "rgb24.bmp"));
    struct Known {
        std::int32_t x, y;
        std::uint8_t b, g, r;
    };
    for (const Known& k :
         {Known{0, 0, 0, 0, 255}, Known{126, 0, 189, 159, 159}, Known{63, 32, 255, 255, 255},
          Known{0, 63, 0, 0, 0}, Known{10, 50, 82, 82, 53}}) {
        const std::uint8_t* p = bmp.row(k.y) + 3 * k.x;
        EXPECT_EQ(p[0], k.b) << k.x << ", " << k.y;
        EXPECT_EQ(p[1], k.g) << k.x << ", " << k.y;
        EXPECT_EQ(p[2], k.r) << k.x << ", " << k.y;
    }
}

TEST(BmpSuite, EightBitPaletteFileKeepsRawIndices) {
    const Bitmap pal8 = readBmp(suitePath("g", "pal8.bmp"));
    const Bitmap rgb24 = readBmp(suitePath("g", "rgb24.bmp"));
    ASSERT_EQ(pal8.format(), PixelFormat::Gray8);
    ASSERT_EQ(pal8.palette().size(), 252u);
    // The byte is the index into the palette, not a grey level made from its colour.
    EXPECT_EQ(pal8.row(0)[0], 5);
    EXPECT_EQ(pal8.row(32)[63], 251);
    EXPECT_EQ(pal8.row(63)[0], 0);

    // Through its palette the picture is a 252-colour version of the 24-bit one.
    double total = 0;
    for (std::int32_t y = 0; y < pal8.height(); ++y)
        for (std::int32_t x = 0; x < pal8.width(); ++x) {
            const std::uint32_t argb = pal8.palette()[pal8.row(y)[x]];
            const std::uint8_t* want = rgb24.row(y) + 3 * x;
            total += std::abs(int(argb & 0xFF) - want[0]) +
                     std::abs(int(argb >> 8 & 0xFF) - want[1]) +
                     std::abs(int(argb >> 16 & 0xFF) - want[2]);
        }
    EXPECT_LT(total / (pal8.width() * pal8.height() * 3.0), 20.0);
}

} // namespace
} // namespace fringel
