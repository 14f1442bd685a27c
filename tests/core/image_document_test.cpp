#include "base/errors.h"
#include "document/image_document.h"
#include "recording_host.h"

#include <clocale>
#include <cstdint>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace fringel {
namespace {

using test::RecordingHost;
using Names = std::vector<std::string>;

class ImageDocumentTest : public ::testing::Test {
protected:
    RecordingHost host;
    ImageDocument doc{host};
};

class CountingView : public DocumentView {
public:
    void pictureChanged() override { ++changes; }
    int changes = 0;
};

// ---- construction ---------------------------------------------------------------------------

TEST_F(ImageDocumentTest, ShutterSpeedsRunFromThirtySecondsToOneEightThousandth) {
    const float expected[ImageDocument::kExposureTimeCount] = {
        0.033333335f, 0.06666667f, 0.125f, 0.25f, 0.5f, 1,    2,    4,    8,   15,
        30,           60,          125,    250,   500,  1000, 2000, 4000, 8000};
    ASSERT_EQ(doc.exposureTimes.length(), 19);
    for (int i = 0; i < 19; ++i)
        EXPECT_EQ(doc.exposureTimes[i], expected[i]) << "index " << i;
    EXPECT_EQ(doc.exposureTimes[0], 1.0f / 30);
    EXPECT_EQ(doc.exposureTimes[1], 1.0f / 15);
    EXPECT_THROW(doc.exposureTimes[19], DynArrayOutOfRange);
}

TEST_F(ImageDocumentTest, NewDocumentHasItsDefaults) {
    EXPECT_EQ(doc.layerCount, 0);
    EXPECT_EQ(doc.currentLayer, 0);
    EXPECT_EQ(doc.peakX, 100);
    EXPECT_EQ(doc.peakY, 100);
    EXPECT_EQ(doc.range, 25);
    EXPECT_EQ(doc.diodeSize, 10);
    EXPECT_EQ(doc.fineTuning, 20);
    EXPECT_EQ(doc.cutLevel, 1);
    EXPECT_EQ(doc.innerRadius, 0);
    EXPECT_EQ(doc.outerRadius, 0);
    EXPECT_EQ(doc.energy, 0.0f);
    EXPECT_EQ(doc.energyNoise, 0.0f);
    EXPECT_EQ(doc.diodeReading, 0.0f);
    EXPECT_EQ(doc.maxEnergy, 0.0f);
    EXPECT_EQ(doc.maxDiodeReading, 0.0f);
    EXPECT_EQ(doc.cutoffLow, 0);
    EXPECT_EQ(doc.cutoffTop, 0);
    EXPECT_EQ(doc.timeIndex, 0);
    EXPECT_EQ(doc.trimX, 0);
    EXPECT_EQ(doc.trimY, 0);
    EXPECT_EQ(doc.trimWidth, 0);
    EXPECT_EQ(doc.trimHeight, 0);
    EXPECT_FALSE(doc.animating);
    EXPECT_FALSE(doc.bufferView);
    EXPECT_FALSE(doc.photoMode);
    EXPECT_FALSE(doc.canSave);
    EXPECT_FALSE(doc.loaded);
    EXPECT_FALSE(doc.busy());
    EXPECT_TRUE(doc.planes.empty());
    EXPECT_TRUE(doc.bitmaps.empty());
    EXPECT_TRUE(doc.bufferBitmaps.empty());
    EXPECT_TRUE(doc.bufferImages.empty());
    EXPECT_TRUE(doc.fileNames.empty());
    EXPECT_TRUE(doc.shownPicture.isEmpty());
    EXPECT_TRUE(host.logLines.empty());
    EXPECT_EQ(&doc.host(), &host);
}

// ---- setSeriesFileNames ---------------------------------------------------------------------

struct SortCase {
    const char* what;
    Names given;
    Names sorted;
};

void PrintTo(const SortCase& c, std::ostream* os) {
    *os << c.what;
}

class SeriesFileNames : public ::testing::TestWithParam<SortCase> {};

// Letter case of non-ASCII letters is known only under a UTF-8 character type locale.
TEST_P(SeriesFileNames, AreSortedIgnoringLetterCase) {
    const char* saved = std::setlocale(LC_CTYPE, nullptr);
    const std::string savedCtype = saved ? saved : "C";
    if (!std::setlocale(LC_CTYPE, "C.UTF-8") && !std::setlocale(LC_CTYPE, "C.utf8"))
        GTEST_SKIP() << "no C.UTF-8 locale";

    RecordingHost host;
    ImageDocument doc(host);
    doc.setSeriesFileNames({"old.bmp"});
    doc.setSeriesFileNames(GetParam().given);
    const Names result = doc.fileNames;
    std::setlocale(LC_CTYPE, savedCtype.c_str());

    EXPECT_EQ(result, GetParam().sorted);
}

INSTANTIATE_TEST_SUITE_P(
    Names, SeriesFileNames,
    ::testing::Values(
        SortCase{"plain", {"b.bmp", "A.bmp", "c.bmp"}, {"A.bmp", "b.bmp", "c.bmp"}},
        SortCase{"full paths",
                 {"/home/ewa/seria/b.bmp", "/home/ewa/seria/A.bmp", "/home/ewa/seria/c.bmp"},
                 {"/home/ewa/seria/A.bmp", "/home/ewa/seria/b.bmp", "/home/ewa/seria/c.bmp"}},
        SortCase{"upper case after lower case", {"B2.BMP", "b1.bmp"}, {"b1.bmp", "B2.BMP"}},
        SortCase{"digits as text",
                 {"img2.bmp", "img10.bmp", "img1.bmp"},
                 {"img1.bmp", "img10.bmp", "img2.bmp"}},
        SortCase{"prefix first", {"ab.bmp", "a.bmp"}, {"a.bmp", "ab.bmp"}},
        SortCase{
            "Polish upper case first", {"ćwiczenie.bmp", "Ćma.bmp"}, {"Ćma.bmp", "ćwiczenie.bmp"}},
        // Byte order would put "Ć" (C4 86) before "ć" (C4 87); ignoring case "ćma" comes first.
        SortCase{
            "Polish lower case first", {"Ćwiczenie.bmp", "ćma.bmp"}, {"ćma.bmp", "Ćwiczenie.bmp"}},
        SortCase{
            "Greek", {"Ωmega.bmp", "αlfa.bmp", "Βeta.bmp"}, {"αlfa.bmp", "Βeta.bmp", "Ωmega.bmp"}},
        // Names that are not UTF-8 (say, Latin-2 from an old disk) sort by their bytes.
        SortCase{"bytes that are not UTF-8", {"\xA1.bmp", "!.bmp"}, {"!.bmp", "\xA1.bmp"}},
        SortCase{"empty list", {}, {}}));

TEST(CompareTextInsensitive, SignTellsTheOrder) {
    EXPECT_EQ(compareTextInsensitive("abc", "ABC"), 0);
    EXPECT_LT(compareTextInsensitive("abc", "ABD"), 0);
    EXPECT_GT(compareTextInsensitive("b", "A"), 0);
    EXPECT_LT(compareTextInsensitive("", "a"), 0);
    EXPECT_GT(compareTextInsensitive("a", ""), 0);
    EXPECT_EQ(compareTextInsensitive("", ""), 0);
    // A lone lead byte at the end and a stray continuation byte are kept as they are.
    EXPECT_NE(compareTextInsensitive("\xC4", "D"), 0);
    EXPECT_NE(compareTextInsensitive("\x85", "\x05"), 0);
}

// ---- resizePlanes ---------------------------------------------------------------------------

TEST_F(ImageDocumentTest, ResizePlanesAddsLayersAndSizesEveryChannel) {
    doc.resizePlanes(1, 1, 4, 3);
    for (std::int64_t y = 0; y < 3; ++y)
        for (std::int64_t x = 0; x < 4; ++x)
            doc.planes[0][0].at(x, y) = static_cast<float>(10 * y + x + 1);

    doc.resizePlanes(2, 3, 640, 480);

    ASSERT_EQ(doc.planes.length(), 3);
    for (std::int64_t layer = 0; layer < 3; ++layer) {
        ASSERT_EQ(doc.planes[layer].length(), 3) << "layer " << layer;
        for (std::int64_t channel = 0; channel < 3; ++channel) {
            const Plane& p = doc.planes[layer][channel];
            EXPECT_EQ(p.width(), 640) << layer << "/" << channel;
            EXPECT_EQ(p.height(), 480) << layer << "/" << channel;
        }
    }
    const Plane& first = doc.planes[0][0];
    for (std::int64_t y = 0; y < 3; ++y)
        for (std::int64_t x = 0; x < 4; ++x)
            EXPECT_EQ(first.at(x, y), static_cast<float>(10 * y + x + 1)) << x << "," << y;
    EXPECT_EQ(first.at(4, 0), 0.0f);
    EXPECT_EQ(first.at(0, 3), 0.0f);
    EXPECT_EQ(first.at(639, 479), 0.0f);
    EXPECT_EQ(doc.planes[2][2].at(639, 479), 0.0f);
    EXPECT_EQ(doc.planes[0][1].at(0, 0), 0.0f);
}

TEST_F(ImageDocumentTest, ResizePlanesWithoutNewLayersResizesTheExistingOnes) {
    doc.resizePlanes(2, 2, 3, 3);
    doc.planes[1][1].at(2, 2) = 7;
    doc.resizePlanes(0, 1, 5, 5);
    ASSERT_EQ(doc.planes.length(), 2);
    EXPECT_EQ(doc.planes[1].length(), 1);
    EXPECT_EQ(doc.planes[1][0].width(), 5);
    EXPECT_THROW(doc.planes[1][1], DynArrayOutOfRange);
}

// ---- layer bitmaps and buffer ---------------------------------------------------------------

void expectFreshEmpty24Bit(const BitmapRef& b, const std::string& where) {
    ASSERT_NE(b, nullptr) << where;
    EXPECT_TRUE(b->isEmpty()) << where;
    EXPECT_EQ(b->format(), PixelFormat::Bgr24) << where;
}

TEST_F(ImageDocumentTest, CreateBufferMakesFiveBitmapsAndHoldersAndLogsOnce) {
    doc.animating = true;
    doc.createBuffer(5);

    EXPECT_EQ(host.logLines, Names{"Utworzylem schowek na bitmape [5]"});
    EXPECT_FALSE(doc.animating);
    ASSERT_EQ(doc.bufferBitmaps.length(), 5);
    ASSERT_EQ(doc.bufferImages.length(), 5);
    for (int i = 0; i < 5; ++i) {
        expectFreshEmpty24Bit(doc.bufferBitmaps[i], "buffer bitmap " + std::to_string(i));
        EXPECT_NE(doc.bufferImages[i], nullptr) << i;
        for (int j = 0; j < i; ++j) {
            EXPECT_NE(doc.bufferBitmaps[i], doc.bufferBitmaps[j]) << i << " and " << j;
            EXPECT_NE(doc.bufferImages[i], doc.bufferImages[j]) << i << " and " << j;
        }
    }
}

TEST_F(ImageDocumentTest, CreateBufferOfNothingEmptiesTheBuffer) {
    doc.createBuffer(3);
    doc.createBuffer(0);
    EXPECT_TRUE(doc.bufferBitmaps.empty());
    EXPECT_TRUE(doc.bufferImages.empty());
    EXPECT_EQ(host.logLines.back(), "Utworzylem schowek na bitmape [0]");
}

TEST_F(ImageDocumentTest, SizeLayerBitmapsOfNothingEmptiesTheBitmaps) {
    doc.sizeLayerBitmaps(3);
    doc.animating = true;
    doc.sizeLayerBitmaps(0);
    EXPECT_TRUE(doc.bitmaps.empty());
    EXPECT_FALSE(doc.animating);
}

TEST_F(ImageDocumentTest, SizeLayerBitmapsReplacesEverySlot) {
    doc.sizeLayerBitmaps(2);
    doc.bitmaps[0]->reset(4, 4, PixelFormat::Gray8);
    const std::vector<BitmapRef> before{doc.bitmaps[0], doc.bitmaps[1]};
    doc.animating = true;

    doc.sizeLayerBitmaps(3);

    EXPECT_FALSE(doc.animating);
    ASSERT_EQ(doc.bitmaps.length(), 3);
    for (int i = 0; i < 3; ++i) {
        expectFreshEmpty24Bit(doc.bitmaps[i], "slot " + std::to_string(i));
        for (const BitmapRef& old : before)
            EXPECT_NE(doc.bitmaps[i], old) << "slot " << i;
    }
}

TEST_F(ImageDocumentTest, GrowByOneLayerAppendsAnEmptyBitmapAndCountsTheLayers) {
    doc.growByOneLayer();
    ASSERT_EQ(doc.bitmaps.length(), 1);
    EXPECT_EQ(doc.layerCount, 1);
    expectFreshEmpty24Bit(doc.bitmaps[0], "first");

    doc.sizeLayerBitmaps(2);
    doc.bitmaps[1]->reset(2, 2, PixelFormat::Gray8);
    const BitmapRef first = doc.bitmaps[0];
    const BitmapRef second = doc.bitmaps[1];
    doc.growByOneLayer();
    ASSERT_EQ(doc.bitmaps.length(), 3);
    EXPECT_EQ(doc.layerCount, 3);
    EXPECT_EQ(doc.bitmaps[0], first);
    EXPECT_EQ(doc.bitmaps[1], second);
    EXPECT_EQ(doc.bitmaps[1]->width(), 2);
    expectFreshEmpty24Bit(doc.bitmaps[2], "appended");
}

// A document with three layers of one 2 x 2 channel and three layer bitmaps.
class ThreeLayerDocument : public ImageDocumentTest {
protected:
    void SetUp() override {
        doc.resizePlanes(3, 1, 2, 2);
        for (int layer = 0; layer < 3; ++layer)
            doc.planes[layer][0].at(1, 1) = static_cast<float>(layer + 1);
        doc.sizeLayerBitmaps(3);
        doc.layerCount = 3;
        doc.currentLayer = 2;
        doc.animating = true;
    }
};

TEST_F(ThreeLayerDocument, AskingForLayerThreeRaisesAndChangesNothing) {
    const std::vector<BitmapRef> bitmapsBefore{doc.bitmaps[0], doc.bitmaps[1], doc.bitmaps[2]};
    for (int pass = 0; pass < 2; ++pass) {
        try {
            if (pass == 0)
                (void)doc.planes[3];
            else
                (void)doc.bitmaps[3];
            FAIL() << "no error in pass " << pass;
        } catch (const DynArrayOutOfRange& e) {
            EXPECT_EQ(e.index(), 3);
            EXPECT_EQ(e.length(), 3);
        }
    }
    ASSERT_EQ(doc.planes.length(), 3);
    for (int layer = 0; layer < 3; ++layer) {
        ASSERT_EQ(doc.planes[layer].length(), 1);
        EXPECT_EQ(doc.planes[layer][0].at(1, 1), static_cast<float>(layer + 1));
        EXPECT_EQ(doc.bitmaps[layer], bitmapsBefore[static_cast<std::size_t>(layer)]);
    }
    ASSERT_EQ(doc.bitmaps.length(), 3);
    EXPECT_EQ(doc.layerCount, 3);
    EXPECT_EQ(doc.currentLayer, 2);
    EXPECT_TRUE(doc.animating);
}

// ---- closing --------------------------------------------------------------------------------

TEST_F(ThreeLayerDocument, CloseReleasesLayersThenBitmapsAndLogsEachStep) {
    std::vector<std::weak_ptr<Bitmap>> released;
    for (int i = 0; i < 3; ++i)
        released.push_back(doc.bitmaps[i]);

    // What the document holds at the moment each line is written.
    std::vector<std::int64_t> planesAtLog;
    std::vector<std::int64_t> bitmapsAtLog;
    host.onLog = [&](std::string_view) {
        planesAtLog.push_back(doc.planes.length());
        bitmapsAtLog.push_back(doc.bitmaps.length());
    };

    doc.close();

    EXPECT_EQ(host.logLines,
              (Names{"Dynamic Arrays deleted from memory...", "Bitmaps deleted from memory..."}));
    EXPECT_EQ(planesAtLog, (std::vector<std::int64_t>{0, 0}));
    EXPECT_EQ(bitmapsAtLog, (std::vector<std::int64_t>{3, 0}));
    EXPECT_TRUE(doc.planes.empty());
    EXPECT_TRUE(doc.bitmaps.empty());
    EXPECT_FALSE(doc.animating);
    for (std::size_t i = 0; i < released.size(); ++i)
        EXPECT_TRUE(released[i].expired()) << "bitmap " << i << " still alive";
}

TEST_F(ImageDocumentTest, ClosingAnEmptyDocumentStillLogsBothLines) {
    doc.close();
    EXPECT_EQ(host.logLines,
              (Names{"Dynamic Arrays deleted from memory...", "Bitmaps deleted from memory..."}));
}

// ---- the shown picture ----------------------------------------------------------------------

TEST_F(ImageDocumentTest, ShowBitmapShowsACopyAndTellsTheView) {
    CountingView view;
    doc.setView(&view);

    Bitmap source(3, 2, PixelFormat::Gray8);
    source.row(1)[2] = 200;
    doc.showBitmap(source);

    EXPECT_EQ(view.changes, 1);
    EXPECT_EQ(doc.shownPicture, source);
    EXPECT_EQ(doc.shownPicture.format(), PixelFormat::Gray8);
    EXPECT_NE(doc.shownPicture.bits(), source.bits());

    source.row(1)[2] = 5;
    source.reset(8, 8, PixelFormat::Bgr24);
    EXPECT_EQ(doc.shownPicture.width(), 3);
    EXPECT_EQ(doc.shownPicture.height(), 2);
    EXPECT_EQ(doc.shownPicture.row(1)[2], 200);

    doc.pictureChanged();
    EXPECT_EQ(view.changes, 2);
}

TEST_F(ImageDocumentTest, WorksWithoutAView) {
    doc.showBitmap(Bitmap(2, 2));
    doc.pictureChanged();
    EXPECT_EQ(doc.shownPicture.width(), 2);
}

TEST_F(ImageDocumentTest, BusyScopesNest) {
    EXPECT_FALSE(doc.busy());
    {
        ImageDocument::BusyScope outer(doc);
        EXPECT_TRUE(doc.busy());
        {
            ImageDocument::BusyScope inner(doc);
            EXPECT_TRUE(doc.busy());
        }
        EXPECT_TRUE(doc.busy());
    }
    EXPECT_FALSE(doc.busy());
}

TEST_F(ImageDocumentTest, BusyScopeEndsWhenTheLoopFails) {
    try {
        ImageDocument::BusyScope scope(doc);
        throw DynArrayOutOfRange(5, 5);
    } catch (const DynArrayOutOfRange&) {
    }
    EXPECT_FALSE(doc.busy());
}

} // namespace
} // namespace fringel
