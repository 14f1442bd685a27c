#include "base/errors.h"
#include "base/progress.h"
#include "connect/con_img.h"
#include "connect/merge_rows.h"
#include "core/recording_host.h"
#include "document/render.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <random>

using namespace fringel;
using fringel::test::RecordingHost;

namespace {

// Selection values of the cut-off track bar for a band of levels low..top.
ConnectSettings bandSettings(int low, int top, int colorOrder = 1) {
    ConnectSettings s;
    s.selectionStart = 255 - top;
    s.selectionEnd = 255 - low;
    s.colorOrder = colorOrder;
    return s;
}

class ConnectTest : public ::testing::Test {
public:
    // Puts `count` exposures of w x h pixels in the given format into the buffer, as an
    // opened series leaves them.
    void makeSeries(int count, int w, int h, PixelFormat format = PixelFormat::Bgr24) {
        doc.createBuffer(count);
        for (int i = 0; i < count; ++i)
            doc.bufferBitmaps[i]->reset(w, h, format);
        doc.bufferView = true;
        host.logLines.clear();
    }
    // Sets byte `channel` of pixel (x, y) of exposure i (channel 0 for 8-bit exposures).
    void setSample(int i, int x, int y, int channel, int v) {
        Bitmap& b = *doc.bufferBitmaps[i];
        const int bytes = b.format() == PixelFormat::Gray8 ? 1 : 3;
        b.row(y)[x * bytes + channel] = static_cast<std::uint8_t>(v);
    }
    void setRgb(int i, int x, int y, int r, int g, int b) {
        setSample(i, x, y, 2, r);
        setSample(i, x, y, 1, g);
        setSample(i, x, y, 0, b);
    }
    void fillRandom(std::uint32_t seed) {
        std::mt19937 rng(seed);
        for (std::int64_t i = 0; i < doc.bufferBitmaps.length(); ++i) {
            Bitmap& b = *doc.bufferBitmaps[i];
            for (int y = 0; y < b.height(); ++y)
                for (std::int64_t k = 0; k < b.stride(); ++k)
                    b.row(y)[k] = static_cast<std::uint8_t>(rng());
        }
    }
    RecordingHost host;
    ImageDocument doc{host};
};

// The merged value of one pixel computed the plain way, one sample after the other.
double referenceMerge(const ImageDocument& doc, const std::vector<Bitmap>& exposures, int x, int y,
                      int byte, int bytesPerPixel, int low, int top, std::int32_t& count) {
    double sum = 0.0;
    count = 0;
    for (std::size_t i = 0; i < exposures.size(); ++i)
        accumulateSample(exposures[i].row(y)[x * bytesPerPixel + byte], sum, count, low, top,
                         doc.timeIndex, static_cast<int>(i), doc.exposureTimes);
    return sum / count;
}

std::vector<Bitmap> copyExposures(const ImageDocument& doc) {
    std::vector<Bitmap> out;
    for (std::int64_t i = 0; i < doc.bufferBitmaps.length(); ++i)
        out.push_back(*doc.bufferBitmaps[i]);
    return out;
}

} // namespace

TEST(AccumulateSample, AddsOnlySamplesInsideTheBandBothEndsIncluded) {
    RecordingHost host;
    ImageDocument doc(host);
    struct Case {
        int v;
        bool used;
    };
    const Case cases[] = {{0, true}, {10, true}, {190, true}, {191, false}, {255, false}};
    for (const Case& c : cases) {
        double sum = 1.0;
        std::int32_t count = 1;
        accumulateSample(c.v, sum, count, 0, 190, 5, 1, doc.exposureTimes); // F = 2
        EXPECT_EQ(sum, c.used ? 1.0 + 2.0 * c.v * c.v : 1.0) << c.v;
        EXPECT_EQ(count, c.used ? 1 + c.v : 1) << c.v;
    }
    double sum = 0;
    std::int32_t count = 0;
    accumulateSample(9, sum, count, 10, 20, 5, 0, doc.exposureTimes);
    EXPECT_EQ(count, 0);
}

TEST(MergeSingleRow, GivesTheWeightedMeanOfTheNormalisedSamples) {
    // Factors 1 and 2 (time index 5), band 0..190.
    const SingleMergeTables tables({1.0f, 2.0f}, 0, 190);
    struct Case {
        std::uint8_t first, second;
        float linear;
    };
    const Case cases[] = {
        {100, 60, 107.5f},  // (1 x 100^2 + 2 x 60^2) / 160
        {200, 120, 240.0f}, // 200 lies above the band
        {200, 250, 0.0f},   // no sample in the band
        {0, 0, 0.0f},       // samples in the band, but all 0
    };
    for (const Case& c : cases) {
        const std::uint8_t a[] = {c.first};
        const std::uint8_t b[] = {c.second};
        const std::uint8_t* rows[] = {a, b};
        double sum[1];
        std::int32_t count[1];
        float linear = -1, display = -1;
        ValueRange range(1e6f, 0.0f);
        mergeSingleRow(rows, 2, 1, 1, tables, sum, count, &linear, &display, range);
        EXPECT_EQ(range.min, display);
        EXPECT_EQ(linear, c.linear) << int(c.first);
        EXPECT_EQ(display, c.linear > 0 ? static_cast<float>(std::log(double(c.linear))) : 0.0f);
    }
}

TEST(MergeSingleRow, OneExposureGivesFactorTimesSample) {
    const SingleMergeTables tables({8.0f}, 0, 255);
    std::uint8_t samples[256];
    for (int v = 0; v < 256; ++v)
        samples[v] = static_cast<std::uint8_t>(v);
    const std::uint8_t* rows[] = {samples};
    std::vector<double> sum(256);
    std::vector<std::int32_t> count(256);
    std::vector<float> linear(256), display(256);
    ValueRange range(1e6f, 0.0f);
    mergeSingleRow(rows, 1, 1, 256, tables, sum.data(), count.data(), linear.data(), display.data(),
                   range);
    EXPECT_EQ(range.min, 0.0f); // sample 0 and sample 1 both give 0
    EXPECT_EQ(range.max, display[255]);
    for (int v = 1; v < 256; ++v) {
        EXPECT_EQ(linear[v], 8.0f * v);
        EXPECT_EQ(display[v], static_cast<float>(std::log(1.0 / 8.0 * (8.0 * v))));
    }
    EXPECT_EQ(linear[0], 0.0f);
}

TEST(MergeRgbRow, TakesTheDecimalLogOfEachChannelAndSkipsSamplesOutOfBand) {
    const RgbMergeTables tables({1.0f, 2.0f}, 0, 190);
    RgbScratch scratch(3);
    // Pixel 0: only the second sample is in the band. Pixel 1: no sample is. Pixel 2: both.
    const std::uint8_t first[] = {50, 100, 200, 0, 0, 255, 10, 50, 100};
    const std::uint8_t second[] = {30, 60, 120, 191, 0, 0, 10, 50, 100};
    const std::uint8_t* rows[] = {first, second};
    float red[3] = {-7, -7, -7}, green[3] = {-7, -7, -7}, blue[3] = {-7, -7, -7};
    ValueRange range(1000.0f, 0.0f);
    mergeRgbRow(rows, 2, 3, tables, scratch, red, green, blue, range);
    EXPECT_EQ(red[0], static_cast<float>(std::log10(240.0)));
    EXPECT_EQ(green[0], static_cast<float>(std::log10(120.0)));
    EXPECT_EQ(blue[0], static_cast<float>(std::log10(60.0)));
    EXPECT_EQ(red[1], -7.0f) << "a pixel without samples is not written";
    EXPECT_EQ(blue[1], -7.0f);
    // Pixel 2: A = (1 + 2) v^2 / 2v = 1.5 v, as a 32-bit float sum.
    EXPECT_EQ(red[2],
              static_cast<float>(std::log10(double(static_cast<float>(3.0 * 100 * 100 / 200)))));
    EXPECT_EQ(range.min, blue[2]);
    EXPECT_EQ(range.max, red[0]);
}

TEST(MergeRgbRow, OneExposureOfFactorOneGivesTheLogOfTheSample) {
    const RgbMergeTables tables({1.0f}, 0, 190);
    RgbScratch scratch(1);
    const std::uint8_t pixel[] = {10, 50, 100};
    const std::uint8_t* rows[] = {pixel};
    float r = 0, g = 0, b = 0;
    ValueRange range(1000.0f, 0.0f);
    mergeRgbRow(rows, 1, 1, tables, scratch, &r, &g, &b, range);
    EXPECT_EQ(r, 2.0f);
    EXPECT_EQ(g, static_cast<float>(std::log10(50.0)));
    EXPECT_EQ(b, 1.0f);
}

// Single-channel connects of random series give, bit for bit, the plain per-sample loop.
TEST_F(ConnectTest, SingleChannelMergeEqualsThePlainLoop) {
    struct Case {
        PixelFormat format;
        int colorOrder, exposures, timeIndex, low, top;
        bool trimming;
    };
    const Case cases[] = {
        {PixelFormat::Bgr24, 1, 3, 0, 0, 190, false},  {PixelFormat::Bgr24, 0, 5, 4, 20, 230, true},
        {PixelFormat::Bgr24, 2, 1, 18, 0, 255, false}, {PixelFormat::Gray8, 1, 4, 7, 5, 200, true},
        {PixelFormat::Gray8, 3, 2, 2, 0, 190, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.colorOrder * 100 + c.exposures);
        doc.planes.setLength(0);
        doc.bitmaps.setLength(0);
        makeSeries(c.exposures, 37, 29, c.format);
        fillRandom(static_cast<std::uint32_t>(c.exposures * 7 + c.timeIndex));
        doc.timeIndex = c.timeIndex;
        const std::vector<Bitmap> exposures = copyExposures(doc);
        ConnectSettings s = bandSettings(c.low, c.top, c.colorOrder);
        Region region{0, 0, 37, 29};
        if (c.trimming) {
            region = {3, 5, 30, 20};
            s.trimming = TrimmingBoxes{"3", "5", "30", "20"};
        }
        const ConnectOutcome outcome = conImg(host).connect(doc, s);
        ASSERT_TRUE(outcome.connected);
        EXPECT_FALSE(outcome.photo);
        EXPECT_FALSE(doc.photoMode);
        ASSERT_EQ(doc.planes.length(), 1);
        ASSERT_EQ(doc.planes[0].length(), 1);
        const Plane& linear = doc.planes[0][0];
        ASSERT_EQ(linear.width(), region.width);
        ASSERT_EQ(linear.height(), region.height);
        const int bytes = c.format == PixelFormat::Gray8 ? 1 : 3;
        const int byte = bytes == 1 ? 0 : 2 - c.colorOrder;
        for (int y = 0; y < region.height; ++y)
            for (int x = 0; x < region.width; ++x) {
                std::int32_t count = 0;
                const double e = referenceMerge(doc, exposures, x + region.x, y + region.y, byte,
                                                bytes, c.low, c.top, count);
                ASSERT_EQ(linear.at(x, y), count > 0 && e > 0 ? static_cast<float>(e) : 0.0f)
                    << x << "," << y;
            }
    }
}

TEST_F(ConnectTest, GreenConnectLeavesTheDocumentWithOneLinearLayerShownAsGrey) {
    makeSeries(3, 64, 48);
    fillRandom(1);
    doc.timeIndex = 2;
    const std::vector<Bitmap> exposures = copyExposures(doc);
    const ConnectOutcome outcome = conImg(host).connect(doc, bandSettings(0, 190));
    ASSERT_TRUE(outcome.connected);

    EXPECT_EQ(host.logLines.at(0), "Creating variables...");
    EXPECT_EQ(host.logLines.at(1), "Relax...");
    EXPECT_EQ(host.logLines.at(2), "Calibrating scale...");
    EXPECT_EQ(host.logLines.at(3).rfind("Connecting time: ", 0), 0u);
    EXPECT_EQ(host.logLines.at(3).substr(host.logLines.at(3).size() - 2), " s");
    EXPECT_EQ(host.logLines.at(4), "Running Standard Mode...");

    EXPECT_EQ(doc.cutoffTop, 190);
    EXPECT_EQ(doc.cutoffLow, 0);
    EXPECT_EQ(doc.bufferBitmaps.length(), 0);
    EXPECT_FALSE(doc.bufferView);
    EXPECT_TRUE(doc.canSave);
    EXPECT_EQ(doc.bitmaps.length(), 1);
    EXPECT_EQ(doc.layerCount, 1);
    EXPECT_EQ(doc.currentLayer, 0);
    const Bitmap& shown = *doc.bitmaps[0];
    ASSERT_EQ(shown.width(), 64);
    ASSERT_EQ(shown.height(), 48);
    EXPECT_EQ(doc.shownPicture, shown);

    // The picture is ln(E / F(0)) scaled over the layer (0 where nothing was merged).
    std::vector<float> logs;
    float max = 0.0f, min = 1000000.0f;
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) {
            std::int32_t count = 0;
            const double e = referenceMerge(doc, exposures, x, y, 1, 3, 0, 190, count);
            const float v = count > 0 && e > 0
                                ? static_cast<float>(std::log(1.0 / doc.exposureTimes[2] * e))
                                : 0.0f;
            logs.push_back(v);
            max = std::max(max, v);
            min = std::min(min, v);
        }
    const auto scale = static_cast<float>((double(max) - min) / 255.0);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) {
            const std::uint8_t grey =
                floatToByte(static_cast<float>((double(logs[y * 64 + x]) - min) / scale));
            const std::uint8_t* p = shown.row(y) + 3 * x;
            ASSERT_EQ(p[0], grey) << x << "," << y;
            EXPECT_EQ(p[1], grey);
            EXPECT_EQ(p[2], grey);
        }
}

TEST_F(ConnectTest, ProgressBarCountsMergeAndBothScalePasses) {
    makeSeries(2, 100, 10);
    host.barWidth = 10;
    conImg(host).connect(doc, bandSettings(0, 190));
    const auto maxima = host.values(RecordingHost::ProgressKind::Maximum);
    ASSERT_FALSE(maxima.empty());
    EXPECT_EQ(maxima.front(), 100 * 10 * (2 + 2) / 10);
    EXPECT_EQ(host.values(RecordingHost::ProgressKind::Position).back(), 0);
}

TEST_F(ConnectTest, TrimmingOriginIsTheRegionStart) {
    makeSeries(1, 400, 200);
    doc.timeIndex = 5; // factor 1
    setSample(0, 100, 50, 1, 77);
    setSample(0, 99, 50, 1, 11);
    ConnectSettings s = bandSettings(0, 255);
    s.trimming = TrimmingBoxes{"100", "50", "200", "100"};
    ASSERT_TRUE(conImg(host).connect(doc, s).connected);
    const Plane& layer = doc.planes[0][0];
    EXPECT_EQ(layer.width(), 200);
    EXPECT_EQ(layer.height(), 100);
    EXPECT_EQ(layer.at(0, 0), 77.0f);
    EXPECT_EQ(doc.bitmaps[0]->width(), 200);
}

TEST_F(ConnectTest, ConstantDisplayChannelShowsBlackInsteadOfDividingByZero) {
    makeSeries(2, 8, 8); // all exposures black
    ASSERT_TRUE(conImg(host).connect(doc, bandSettings(0, 190)).connected);
    const Bitmap& shown = *doc.bitmaps[0];
    for (int y = 0; y < 8; ++y)
        for (int k = 0; k < 24; ++k)
            EXPECT_EQ(shown.row(y)[k], 0);
}

TEST_F(ConnectTest, RgbConnectScalesAllThreeChannelsOverOneRange) {
    makeSeries(2, 3, 1);
    doc.timeIndex = 5;             // factors 1 and 2
    setRgb(0, 0, 0, 200, 100, 50); // skipped as a whole: red above the band
    setRgb(1, 0, 0, 120, 60, 30);
    setRgb(0, 1, 0, 100, 50, 10);
    setRgb(1, 1, 0, 255, 255, 255);
    setRgb(0, 2, 0, 255, 0, 0); // no sample in the band
    setRgb(1, 2, 0, 0, 0, 255);
    const ConnectOutcome outcome = conImg(host).connect(doc, bandSettings(0, 190, 3));
    ASSERT_TRUE(outcome.connected);
    EXPECT_TRUE(outcome.photo);
    EXPECT_TRUE(doc.photoMode);
    ASSERT_EQ(doc.planes[0].length(), 3);
    EXPECT_EQ(host.logLines.back(), "Running Photo Mode...");

    // Unscaled: pixel 0 log10 240, 120, 60; pixel 1 log10 100, 50, 10.
    const double min = static_cast<float>(std::log10(10.0));
    const double max = static_cast<float>(std::log10(240.0));
    const auto scaled = [&](double v) {
        return static_cast<float>(255.0 * (double(static_cast<float>(v)) - min) / (max - min));
    };
    EXPECT_EQ(doc.planes[0][0].at(0, 0), 255.0f);
    EXPECT_EQ(doc.planes[0][1].at(0, 0), scaled(std::log10(120.0)));
    EXPECT_EQ(doc.planes[0][2].at(1, 0), 0.0f);
    EXPECT_EQ(doc.planes[0][0].at(1, 0), scaled(2.0));
    // A pixel without any usable sample holds 0 before scaling.
    EXPECT_EQ(doc.planes[0][1].at(2, 0), scaled(0.0));
    const Bitmap& shown = *doc.bitmaps[0];
    EXPECT_EQ(shown.row(0)[2], 255); // red byte of pixel 0
}

TEST_F(ConnectTest, RgbWithoutAnyUsableSampleShowsBlack) {
    makeSeries(1, 4, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            setRgb(0, x, y, 250, 250, 250);
    ASSERT_TRUE(conImg(host).connect(doc, bandSettings(0, 190, 3)).connected);
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(doc.planes[0][k].at(1, 1), 0.0f);
}

TEST_F(ConnectTest, EightBitSeriesUnderRgbBecomesASingleChannelLayer) {
    makeSeries(2, 6, 5, PixelFormat::Gray8);
    fillRandom(3);
    const ConnectOutcome outcome = conImg(host).connect(doc, bandSettings(0, 190, 3));
    ASSERT_TRUE(outcome.connected);
    EXPECT_FALSE(outcome.photo);
    EXPECT_FALSE(doc.photoMode);
    EXPECT_EQ(doc.planes[0].length(), 1);
    EXPECT_EQ(host.logLines.back(), "Running Standard Mode...");
}

TEST_F(ConnectTest, EightBitSeriesIsMergedUnfilteredWhenTheMedianIsOn) {
    makeSeries(1, 5, 5, PixelFormat::Gray8);
    doc.timeIndex = 5;
    setSample(0, 2, 2, 0, 200 - 100); // a lone bright pixel the median would remove
    ConnectSettings s = bandSettings(0, 190);
    s.medianInCalculations = true;
    s.medianRadius = 1;
    ASSERT_TRUE(conImg(host).connect(doc, s).connected);
    EXPECT_EQ(host.logLines.at(2), "For 8bit pic median is temporary unavailible.");
    EXPECT_EQ(doc.planes[0][0].at(2, 2), 100.0f);
}

TEST_F(ConnectTest, TwentyFourBitSeriesIsFilteredFirstWhenTheMedianIsOn) {
    makeSeries(1, 5, 5);
    doc.timeIndex = 5;
    setSample(0, 2, 2, 1, 100);
    ConnectSettings s = bandSettings(0, 190);
    s.medianInCalculations = true;
    s.medianRadius = 1;
    ASSERT_TRUE(conImg(host).connect(doc, s).connected);
    EXPECT_EQ(host.logLines.at(2).rfind("Median calcuation time: ", 0), 0u);
    EXPECT_EQ(doc.planes[0][0].at(2, 2), 0.0f);
}

// Refusals change nothing in the document but the band and colour order.
TEST_F(ConnectTest, UnsuitableSeriesAreRefusedBeforeAnythingChanges) {
    struct Case {
        const char* name;
        std::function<void(ConnectTest&, ConnectSettings&)> prepare;
        std::string line;
    };
    const Case cases[] = {
        {"32-bit",
         [](ConnectTest& t, ConnectSettings&) { t.makeSeries(2, 4, 4, PixelFormat::Bgra32); },
         "Unsuported Pixel Format..."},
        {"size",
         [](ConnectTest& t, ConnectSettings&) {
             t.makeSeries(3, 4, 4);
             t.doc.bufferBitmaps[2]->reset(4, 5, PixelFormat::Bgr24);
         },
         "Exposure 2 is 4 x 5 at 24 bits per pixel, exposure 0 is 4 x 4 at 24 bits per pixel: "
         "nothing connected."},
        {"format",
         [](ConnectTest& t, ConnectSettings&) {
             t.makeSeries(2, 4, 4, PixelFormat::Gray8);
             t.doc.bufferBitmaps[1]->reset(4, 4, PixelFormat::Bgr24);
         },
         "Exposure 1 is 4 x 4 at 24 bits per pixel, exposure 0 is 4 x 4 at 8 bits per pixel: "
         "nothing connected."},
        {"region",
         [](ConnectTest& t, ConnectSettings& s) {
             t.makeSeries(2, 10, 10);
             s.trimming = TrimmingBoxes{"5", "0", "6", "10"};
         },
         "Trimming region (5, 0, 6 x 10) lies outside the exposures (10 x 10): nothing "
         "connected."},
        {"empty region",
         [](ConnectTest& t, ConnectSettings& s) {
             t.makeSeries(2, 10, 10);
             s.trimming = TrimmingBoxes{"0", "0", "0", "10"};
         },
         "Trimming region (0, 0, 0 x 10) lies outside the exposures (10 x 10): nothing "
         "connected."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ConnectTest& t = *this;
        t.doc.planes.setLength(0);
        ConnectSettings s = bandSettings(10, 200);
        c.prepare(t, s);
        const auto buffered = t.doc.bufferBitmaps.length();
        EXPECT_FALSE(conImg(host).connect(t.doc, s).connected);
        EXPECT_EQ(host.logLines.at(0), "Creating variables...");
        EXPECT_EQ(host.logLines.at(1), c.line);
        EXPECT_EQ(host.logLines.at(2).rfind("Connecting time: ", 0), 0u);
        EXPECT_EQ(host.logLines.size(), 3u);
        EXPECT_EQ(t.doc.planes.length(), 0);
        EXPECT_EQ(t.doc.bitmaps.length(), 0);
        EXPECT_EQ(t.doc.bufferBitmaps.length(), buffered);
        EXPECT_TRUE(t.doc.bufferView);
        EXPECT_FALSE(t.doc.canSave);
        EXPECT_EQ(t.doc.cutoffTop, 200);
        EXPECT_EQ(t.doc.cutoffLow, 10);
    }
}

TEST_F(ConnectTest, TrimmingTextThatIsNoIntegerEndsTheConnectBeforeAnyLayer) {
    makeSeries(2, 10, 10);
    ConnectSettings s = bandSettings(0, 190, 3);
    s.colorOrder = 1;
    s.trimming = TrimmingBoxes{"1,5", "0", "5", "5"};
    EXPECT_THROW(conImg(host).connect(doc, s), ConversionError);
    EXPECT_EQ(host.logLines, std::vector<std::string>{"Creating variables..."});
    EXPECT_EQ(doc.planes.length(), 0);
    EXPECT_EQ(doc.bufferBitmaps.length(), 2);
    EXPECT_EQ(doc.cutoffTop, 190);
    EXPECT_FALSE(doc.busy());
}

TEST_F(ConnectTest, ExposureFactorBeyondTheTableFailsBeforeAnyLayer) {
    makeSeries(3, 4, 4);
    doc.timeIndex = 17; // needs entries 17, 18 and 19
    EXPECT_THROW(conImg(host).connect(doc, bandSettings(0, 190)), DynArrayOutOfRange);
    EXPECT_EQ(doc.planes.length(), 0);
    EXPECT_EQ(doc.bufferBitmaps.length(), 3);
}

TEST_F(ConnectTest, ABusyDocumentIsNotConnectedAgain) {
    makeSeries(2, 4, 4);
    ImageDocument::BusyScope busy(doc);
    EXPECT_FALSE(conImg(host).connect(doc, bandSettings(0, 190)).connected);
    EXPECT_EQ(doc.planes.length(), 0);
    EXPECT_EQ(doc.bufferBitmaps.length(), 2);
    ASSERT_EQ(host.logLines.size(), 1u);
}

TEST_F(ConnectTest, ASecondSeriesAppendsTheNextLayer) {
    makeSeries(2, 8, 6);
    fillRandom(5);
    ASSERT_TRUE(conImg(host).connect(doc, bandSettings(0, 190)).connected);
    const Plane first = doc.planes[0][0];
    makeSeries(2, 8, 6);
    fillRandom(6);
    ASSERT_TRUE(conImg(host).connect(doc, bandSettings(0, 190)).connected);
    EXPECT_EQ(doc.planes.length(), 2);
    EXPECT_EQ(doc.bitmaps.length(), 2);
    EXPECT_EQ(doc.currentLayer, 1);
    EXPECT_EQ(doc.layerCount, 2);
    EXPECT_TRUE(doc.planes[0][0].sharesWith(first));
}

TEST(CalibrateScale, MapsTheDisplayChannelOntoZeroTo255) {
    RecordingHost host;
    Planes planes;
    appendLayer(2, planes, 3, 1);
    const float values[] = {-2.0f, 0.5f, 4.0f};
    for (int x = 0; x < 3; ++x)
        planes[0][1].at(x, 0) = values[x];
    PixelProgress progress(host, 6);
    conImg(host).calibrateScale(planes, 0, progress, 0);
    const auto scale = static_cast<float>(6.0 / 255.0);
    EXPECT_EQ(planes[0][1].at(0, 0), 0.0f);
    EXPECT_EQ(planes[0][1].at(1, 0), static_cast<float>(2.5 / scale));
    EXPECT_EQ(planes[0][1].at(2, 0), static_cast<float>(6.0 / scale));
    EXPECT_EQ(host.logLines, std::vector<std::string>{"Calibrating scale..."});

    // One value everywhere: no scale, every value becomes 0.
    for (int x = 0; x < 3; ++x)
        planes[0][1].at(x, 0) = 3.0f;
    conImg(host).calibrateScale(planes, 0, progress, 0);
    for (int x = 0; x < 3; ++x)
        EXPECT_EQ(planes[0][1].at(x, 0), 0.0f);
    // Values above 0 only: min is the smallest of them (its search starts far above).
    for (int x = 0; x < 3; ++x)
        planes[0][1].at(x, 0) = 3.0f + x;
    conImg(host).calibrateScale(planes, 0, progress, 0);
    EXPECT_EQ(planes[0][1].at(0, 0), 0.0f);
    EXPECT_EQ(planes[0][1].at(1, 0), static_cast<float>(1.0 / static_cast<float>(2.0 / 255.0)));
}

TEST(FreeBuffer, EmptiesTheBuffer) {
    DynamicArray<BitmapRef> buffer(3);
    for (auto& b : buffer)
        b = std::make_shared<Bitmap>(2, 2);
    const std::weak_ptr<Bitmap> watch = buffer[1];
    freeBuffer(buffer);
    EXPECT_EQ(buffer.length(), 0);
    EXPECT_TRUE(watch.expired());
}

TEST(AppendLayer, AddsALayerOfZeros) {
    Planes planes;
    appendLayer(2, planes, 3, 4);
    appendLayer(3, planes, 5, 1);
    ASSERT_EQ(planes.length(), 2);
    EXPECT_EQ(planes[0].length(), 2);
    EXPECT_EQ(planes[1].length(), 3);
    EXPECT_EQ(planes[1][2].width(), 5);
    EXPECT_EQ(planes[0][1].height(), 4);
    EXPECT_EQ(planes[0][1].at(2, 3), 0.0f);
}
