#include "base/errors.h"
#include "core/recording_host.h"
#include "filters/median.h"

#include <gtest/gtest.h>

using namespace fringel;
using fringel::test::RecordingHost;

namespace {

// A w x h 24-bit picture whose pixel (x, y) is (blue, green, red) = (x, y, x + y) plus `bias`.
Bitmap gradient(int w, int h, int bias = 0) {
    Bitmap b(w, h, PixelFormat::Bgr24);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint8_t* p = b.row(y) + 3 * x;
            p[0] = static_cast<std::uint8_t>(x + bias);
            p[1] = static_cast<std::uint8_t>(y + bias);
            p[2] = static_cast<std::uint8_t>(x + y + bias);
        }
    return b;
}

bool isGrey(const Bitmap& b) {
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x) {
            const std::uint8_t* p = b.row(y) + 3 * x;
            if (p[0] != p[1] || p[1] != p[2]) return false;
        }
    return true;
}

} // namespace

TEST(MedianFilter, RadiusZeroWritesTheChosenChannelIntoAllThreeBytes) {
    struct Case {
        int colorOrder;
        int byte;
    };
    for (const Case c : {Case{0, 2}, Case{1, 1}, Case{2, 0}}) {
        RecordingHost host;
        const Bitmap source = gradient(7, 5);
        Bitmap b = source;
        TMediana{}.medianFilter(host, 0, c.colorOrder, b);
        EXPECT_TRUE(isGrey(b));
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 7; ++x)
                ASSERT_EQ(b.row(y)[3 * x], source.row(y)[3 * x + c.byte]) << c.colorOrder;
    }
}

TEST(MedianFilter, LoneBrightPixelTakesTheDarkValueAndCornersTakeTheSecondSmallest) {
    RecordingHost host;
    Bitmap b(5, 5, PixelFormat::Bgr24);
    b.row(2)[3 * 2 + 1] = 250;
    // Corner window: (0,0)=9, (1,0)=3, (0,1)=7, (1,1)=5 -> sorted 3 5 7 9, rank 1 is 5.
    b.row(0)[1] = 9;
    b.row(0)[4] = 3;
    b.row(1)[1] = 7;
    b.row(1)[4] = 5;
    TMediana{}.medianFilter(host, 1, 1, b);
    EXPECT_EQ(b.row(2)[3 * 2 + 1], 0);
    EXPECT_EQ(b.row(0)[0], 5);
}

TEST(MedianFilter, RgbOrNoChannelLeavesThePictureAsItIs) {
    for (const int order : {3, -1, 7}) {
        RecordingHost host;
        const Bitmap source = gradient(9, 4);
        Bitmap b = source;
        TMediana{}.medianFilter(host, 2, order, b);
        EXPECT_EQ(b, source) << order;
        ASSERT_EQ(host.logLines.size(), 1u);
        EXPECT_EQ(host.logLines[0].rfind("Median calcuation time: ", 0), 0u);
    }
}

TEST(MedianFilter, LogsItsTimeForEveryRunAndResetsTheProgressBar) {
    RecordingHost host;
    host.barWidth = 4;
    Bitmap b = gradient(16, 8);
    TMediana{}.medianFilter(host, 1, 1, b);
    TMediana{}.medianFilter(host, 3, 1, b);
    ASSERT_EQ(host.logLines.size(), 2u);
    for (const std::string& line : host.logLines) {
        EXPECT_EQ(line.rfind("Median calcuation time: ", 0), 0u);
        EXPECT_EQ(line.substr(line.size() - 2), " s");
    }
    EXPECT_EQ(host.values(RecordingHost::ProgressKind::Maximum).front(), 16 * 8 / 4);
    EXPECT_EQ(host.values(RecordingHost::ProgressKind::Position).back(), 0);
}

TEST(MedianFilter, FiltersAOnePixelPictureAndRefusesOtherFormats) {
    RecordingHost host;
    Bitmap one(1, 1, PixelFormat::Bgr24);
    one.row(0)[2] = 80;
    TMediana{}.medianFilter(host, 100, 0, one);
    EXPECT_EQ(one.row(0)[0], 80);
    EXPECT_EQ(one.row(0)[1], 80);
    Bitmap grey(4, 4, PixelFormat::Gray8);
    EXPECT_THROW(TMediana{}.medianFilter(host, 1, 1, grey), FringelError);
}

TEST(ApplyMedian, FiltersACopyOfTheExposureAndLeavesTheExposureAlone) {
    RecordingHost host;
    Bitmap exposure(6, 4, PixelFormat::Gray8);
    exposure.row(1)[2] = 200;
    exposure.row(3)[5] = 9;
    const Bitmap kept = exposure;
    const Bitmap shown = applyMedian(host, exposure, 0, 2);
    EXPECT_EQ(exposure, kept);
    ASSERT_EQ(shown.format(), PixelFormat::Bgr24);
    EXPECT_EQ(shown.row(1)[3 * 2 + 2], 200);
    EXPECT_EQ(shown.row(3)[3 * 5], 9);
    const Bitmap smoothed = applyMedian(host, exposure, 1, 1);
    EXPECT_EQ(smoothed.row(1)[3 * 2], 0);
}

TEST(PreviewRegion, CentresThePreviewAndClipsItToTheExposure) {
    struct Case {
        int w, h;
        TMediana expected;
    };
    const Case cases[] = {
        {640, 480, {220, 140, 420, 340}},
        {401, 301, {100, 50, 300, 250}},
        {150, 100, {0, 0, 150, 100}},
        {150, 900, {0, 350, 150, 550}},
        {1, 1, {0, 0, 1, 1}},
    };
    for (const Case& c : cases) {
        const TMediana r = previewRegion(c.w, c.h, 200, 200);
        EXPECT_EQ(r.left, c.expected.left) << c.w;
        EXPECT_EQ(r.top, c.expected.top) << c.w;
        EXPECT_EQ(r.right, c.expected.right) << c.w;
        EXPECT_EQ(r.bottom, c.expected.bottom) << c.w;
    }
}

TEST(PreviewMedian, ShowsTheFilteredCentreAndBlackBesideASmallExposure) {
    RecordingHost host;
    const Bitmap exposure = gradient(300, 50, 1);
    const Bitmap preview = previewMedian(host, exposure, 0, 1);
    ASSERT_EQ(preview.width(), 200);
    ASSERT_EQ(preview.height(), 200);
    // Region x 50..250, y 0..50: the green byte (the row number plus 1) in all three bytes.
    EXPECT_EQ(preview.row(10)[0], 11);
    EXPECT_EQ(preview.row(49)[3 * 199 + 2], 50);
    EXPECT_EQ(preview.row(50)[0], 0);
    EXPECT_EQ(preview.row(199)[3 * 199], 0);
    EXPECT_EQ(host.logLines.size(), 1u);
}
