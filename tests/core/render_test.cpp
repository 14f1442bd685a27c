#include "base/errors.h"
#include "core/recording_host.h"
#include "document/render.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <random>

using namespace fringel;
using fringel::test::RecordingHost;

TEST(FloatToByte, TruncatesAndKeepsTheLowEightBits) {
    struct Case {
        float value;
        int byte;
    };
    const Case cases[] = {{255.9f, 255},
                          {256.0f, 0},
                          {300.0f, 44},
                          {-1.0f, 255},
                          {0.7f, 0},
                          {127.9f, 127},
                          {-0.9f, 0},
                          {511.0f, 255},
                          {1e30f, 0},
                          {-1e30f, 0},
                          {9.3e18f, 0},
                          {std::numeric_limits<float>::infinity(), 0},
                          {std::numeric_limits<float>::quiet_NaN(), 0}};
    for (const Case& c : cases)
        EXPECT_EQ(floatToByte(c.value), c.byte) << c.value;
}

class RenderLayerTest : public ::testing::Test {
protected:
    // A document with one layer of `channels` channels of w x h samples.
    void makeLayer(int channels, int w, int h) { doc.resizePlanes(1, channels, w, h); }
    RecordingHost host;
    ImageDocument doc{host};
};

TEST_F(RenderLayerTest, StandardModeShowsTheLastChannelAsGrey) {
    makeLayer(2, 3, 2);
    doc.planes[0][0].at(1, 1) = 50;
    doc.planes[0][1].at(1, 1) = 127.9f;
    Bitmap target(3, 2);
    renderLayer(doc, 0, 0, 0, target);
    const std::uint8_t* p = target.row(1) + 3;
    EXPECT_EQ(p[0], 127);
    EXPECT_EQ(p[1], 127);
    EXPECT_EQ(p[2], 127);
    EXPECT_EQ(host.logLines, std::vector<std::string>{"Running Standard Mode..."});
}

TEST_F(RenderLayerTest, PhotoModeTakesRedGreenBlueFromChannelsZeroOneTwo) {
    makeLayer(3, 2, 2);
    doc.planes[0][0].at(1, 0) = 10;
    doc.planes[0][1].at(1, 0) = 20;
    doc.planes[0][2].at(1, 0) = 30;
    doc.photoMode = true;
    Bitmap target(2, 2);
    renderLayer(doc, 0, 0, 0, target);
    const std::uint8_t* p = target.row(0) + 3;
    EXPECT_EQ(p[0], 30);
    EXPECT_EQ(p[1], 20);
    EXPECT_EQ(p[2], 10);
    EXPECT_EQ(host.logLines, std::vector<std::string>{"Running Photo Mode..."});
}

TEST_F(RenderLayerTest, OriginShiftsTheArea) {
    makeLayer(1, 4, 4);
    doc.planes[0][0].at(3, 2) = 99;
    Bitmap target(2, 2);
    renderLayer(doc, 0, 2, 1, target);
    EXPECT_EQ(target.row(1)[3], 99); // target (1,1) shows layer (3,2)
}

TEST_F(RenderLayerTest, MissingLayerChannelOrAreaRaisesOutOfRange) {
    makeLayer(1, 4, 4);
    Bitmap target(4, 4);
    EXPECT_THROW(renderLayer(doc, 1, 0, 0, target), DynArrayOutOfRange);
    doc.photoMode = true;
    EXPECT_THROW(renderLayer(doc, 0, 0, 0, target), DynArrayOutOfRange);
    doc.photoMode = false;
    Bitmap wide(5, 4);
    EXPECT_THROW(renderLayer(doc, 0, 0, 0, wide), DynArrayOutOfRange);
}

TEST_F(RenderLayerTest, RowsBeforeTheFirstMissingRowAreRendered) {
    makeLayer(1, 2, 3);
    for (int y = 0; y < 3; ++y)
        doc.planes[0][0].at(0, y) = 7;
    Bitmap tall(2, 5);
    try {
        renderLayer(doc, 0, 0, 0, tall);
        FAIL() << "expected DynArrayOutOfRange";
    } catch (const DynArrayOutOfRange& e) {
        EXPECT_EQ(e.index(), 3);
        EXPECT_EQ(e.length(), 3);
    }
    EXPECT_EQ(tall.row(2)[0], 7);
    EXPECT_EQ(tall.row(3)[0], 0);
}

TEST_F(RenderLayerTest, MatchesASimpleReferenceOnRandomData) {
    const int w = 301;
    const int h = 517; // enough rows to split across threads
    makeLayer(3, w, h);
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> dist(-400.0f, 400.0f);
    for (int c = 0; c < 3; ++c)
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                doc.planes[0][c].at(x, y) = dist(rng);
    for (bool photo : {false, true}) {
        doc.photoMode = photo;
        Bitmap target(w - 5, h - 9);
        renderLayer(doc, 0, 5, 9, target);
        for (int j = 0; j < target.height(); ++j)
            for (int i = 0; i < target.width(); ++i) {
                const std::uint8_t* p = target.row(j) + 3 * i;
                const auto ref = [&](int c) {
                    return static_cast<std::uint8_t>(
                        static_cast<std::int64_t>(doc.planes[0][c].at(5 + i, 9 + j)));
                };
                const int red = photo ? 0 : 2;
                const int green = photo ? 1 : 2;
                ASSERT_EQ(p[2], ref(red)) << i << "," << j;
                ASSERT_EQ(p[1], ref(green)) << i << "," << j;
                ASSERT_EQ(p[0], ref(2)) << i << "," << j;
            }
    }
}

TEST(CopyRegion, EightBitBytesBecomeGreyWhateverThePalette) {
    RecordingHost host;
    Bitmap source(4, 3, PixelFormat::Gray8);
    source.setPalette(std::vector<std::uint32_t>(256, 0xFFFF0000u)); // all red: never consulted
    source.row(1)[2] = 200;
    Bitmap dest(2, 2);
    copyRegion(host, 1, 1, 3, 3, source, dest);
    const std::uint8_t* p = dest.row(0) + 3;
    EXPECT_EQ(p[0], 200);
    EXPECT_EQ(p[1], 200);
    EXPECT_EQ(p[2], 200);
    EXPECT_EQ(host.eventsProcessed, 2); // once per row
}

TEST(CopyRegion, TwentyFourBitPixelsAreCopiedUnchanged) {
    RecordingHost host;
    Bitmap source(3, 2);
    for (int i = 0; i < 9; ++i)
        source.row(1)[i] = static_cast<std::uint8_t>(i + 1);
    Bitmap dest(3, 2);
    copyRegion(host, 0, 0, 3, 2, source, dest);
    EXPECT_EQ(std::vector<std::uint8_t>(dest.row(1), dest.row(1) + 9),
              std::vector<std::uint8_t>(source.row(1), source.row(1) + 9));
}

TEST(CopyRegion, OtherFormatsAreReportedAndCopyNothing) {
    for (PixelFormat format : {PixelFormat::Bgra32, PixelFormat::Indexed1, PixelFormat::Rgb565}) {
        RecordingHost host;
        Bitmap source(4, 4, format);
        Bitmap dest(4, 4);
        dest.row(0)[0] = 42;
        copyRegion(host, 0, 0, 4, 4, source, dest);
        EXPECT_EQ(host.logLines, std::vector<std::string>{"Nie rozpznalem przestrzeni kolorow..."});
        EXPECT_EQ(dest.row(0)[0], 42);
    }
}

TEST(CopyRegion, EmptyRectangleWritesNothingAndOutsideRectangleIsRefused) {
    RecordingHost host;
    Bitmap source(4, 4, PixelFormat::Gray8);
    source.row(0)[0] = 9;
    Bitmap dest(4, 4);
    copyRegion(host, 2, 0, 2, 4, source, dest);
    EXPECT_EQ(dest, Bitmap(4, 4));
    EXPECT_THROW(copyRegion(host, -1, 0, 2, 2, source, dest), FringelError);
    EXPECT_THROW(copyRegion(host, 0, 0, 5, 2, source, dest), FringelError);
    Bitmap small(1, 1);
    EXPECT_THROW(copyRegion(host, 0, 0, 2, 2, source, small), FringelError);
    EXPECT_EQ(small, Bitmap(1, 1));
}
