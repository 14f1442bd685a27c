#include "base/errors.h"
#include "core/bmp_fixtures.h"
#include "core/recording_host.h"
#include "io/open_series.h"

#include <gtest/gtest.h>

using namespace fringel;
using fringel::test::RecordingHost;
using fringel::test::TempFolder;
using Kind = RecordingHost::ProgressKind;

namespace {

// Records what an open asked of the window around the document.
class RecordingWindow : public OpenWindow {
public:
    int documentWindowCount() const override { return 2; }
    void setCaption(const std::string& c) override { caption = c; }
    void sizeForPicture(std::int32_t w, std::int32_t h) override { sized = {w, h}; }
    void selectPage(int p) override { page = p; }
    void finishOpen(ImageDocument& d) override {
        ++finishCount;
        finished = finishingState(d);
    }
    std::string caption;
    std::pair<int, int> sized{-1, -1};
    int page = -1;
    int finishCount = 0;
    FinishingState finished;
};

class OpenSeriesTest : public ::testing::Test {
protected:
    TempFolder folder;
    RecordingHost host;
    ImageDocument doc{host};
    RecordingWindow window;
};

} // namespace

TEST_F(OpenSeriesTest, LoadsInCaseInsensitiveNameOrderWithItsLogLines) {
    const std::string c = folder.writeBmpFile("c.bmp", 8, 6, PixelFormat::Bgr24, 3);
    const std::string a = folder.writeBmpFile("a.bmp", 8, 6, PixelFormat::Bgr24, 1);
    const std::string b = folder.writeBmpFile("B.bmp", 8, 6, PixelFormat::Bgr24, 2);
    openFiles(doc, window, {c, a, b}, kOpenBmpSeries, c);

    EXPECT_EQ(doc.fileNames, (std::vector<std::string>{a, b, c}));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(doc.bufferBitmaps[i]->row(0)[0], i + 1);
    ASSERT_GE(host.logLines.size(), 2u);
    EXPECT_EQ(host.logLines[0], "Number of files: 3");
    EXPECT_EQ(host.logLines[1], "Utworzylem schowek na bitmape [3]");
    EXPECT_EQ(window.caption, a + ", okno: 2");
    EXPECT_EQ(window.sized, std::make_pair(8, 6));

    EXPECT_EQ(doc.layerCount, 3);
    EXPECT_EQ(doc.currentLayer, 0);
    EXPECT_TRUE(doc.bufferView);
    EXPECT_FALSE(doc.canSave);
    EXPECT_TRUE(doc.loaded);
    EXPECT_TRUE(doc.animating);
    EXPECT_EQ(doc.shownPicture, *doc.bufferBitmaps[0]);
    EXPECT_EQ(window.page, 1);
    EXPECT_EQ(window.finishCount, 1);
    EXPECT_TRUE(window.finished.connecting);
    EXPECT_TRUE(window.finished.filters);
    EXPECT_FALSE(window.finished.measurement);
    EXPECT_FALSE(window.finished.saving);
    EXPECT_TRUE(window.finished.navigation);
    EXPECT_EQ(window.finished.layerMaximum, 2);
    EXPECT_EQ(window.finished.timeDownMaximum, 16);
}

TEST_F(OpenSeriesTest, SizeMismatchIsLoggedAndTheImageStays) {
    const std::string f0 = folder.writeBmpFile("f0.bmp", 20, 10);
    const std::string f1 = folder.writeBmpFile("f1.bmp", 10, 10);
    const std::string f2 = folder.writeBmpFile("f2.bmp", 20, 10);
    openFiles(doc, window, {f0, f1, f2}, kOpenBmpSeries, f0);

    int mismatches = 0;
    for (const std::string& l : host.logLines)
        mismatches += l == "Image dimentions didn't match !!!";
    EXPECT_EQ(mismatches, 1);
    EXPECT_EQ(doc.bufferBitmaps[1]->width(), 10);
    EXPECT_EQ(host.values(Kind::Maximum), std::vector<int>{2});
    // Position 1 at the start, 2 after the third file (the second did not match), 0 at the end.
    EXPECT_EQ(host.values(Kind::Position), (std::vector<int>{1, 2, 0}));
}

TEST_F(OpenSeriesTest, KeepsTheBitDepthOfTheFiles) {
    for (PixelFormat format : {PixelFormat::Gray8, PixelFormat::Bgr24}) {
        RecordingHost h;
        ImageDocument d(h);
        const std::string x = folder.writeBmpFile("x.bmp", 5, 3, format, 77);
        const std::string y = folder.writeBmpFile("y.bmp", 5, 3, format, 78);
        openFiles(d, window, {y, x}, kOpenBmpSeries, y);
        EXPECT_EQ(d.bufferBitmaps[0]->format(), format);
        EXPECT_EQ(d.bufferBitmaps[1]->format(), format);
        EXPECT_EQ(d.bufferBitmaps[0]->row(0)[0], 77);
    }
}

TEST_F(OpenSeriesTest, SingleFileHasNoProgressAndNoNavigation) {
    const std::string f = folder.writeBmpFile("one.bmp", 4, 4);
    openFiles(doc, window, {f}, kOpenBmpSeries, f);
    EXPECT_EQ(doc.layerCount, 1);
    EXPECT_FALSE(doc.animating);
    EXPECT_EQ(host.values(Kind::Maximum), std::vector<int>{});
    EXPECT_EQ(window.finished.layerMaximum, 0);
    EXPECT_FALSE(window.finished.navigation);
    EXPECT_EQ(window.finished.timeDownMaximum, 18);
}

TEST_F(OpenSeriesTest, MissingFirstFileLeavesEmptyExposures) {
    const std::string second = folder.writeBmpFile("b.bmp", 4, 4);
    openFiles(doc, window, {folder.file("a.bmp"), second}, kOpenBmpSeries, second);
    EXPECT_EQ(doc.bufferBitmaps.length(), 2);
    EXPECT_TRUE(doc.bufferBitmaps[0]->isEmpty());
    EXPECT_TRUE(doc.bufferBitmaps[1]->isEmpty());
    EXPECT_EQ(doc.bufferBitmaps[0]->format(), PixelFormat::Bgr24);
    EXPECT_TRUE(window.caption.empty());
    EXPECT_FALSE(doc.animating);
    EXPECT_TRUE(doc.loaded);
    EXPECT_EQ(window.finishCount, 1);
}

TEST_F(OpenSeriesTest, UnreadableLaterFileEndsTheOpenKeepingWhatWasRead) {
    const std::string a = folder.writeBmpFile("a.bmp", 4, 4, PixelFormat::Bgr24, 5);
    EXPECT_THROW(openFiles(doc, window, {a, folder.file("b.bmp")}, kOpenBmpSeries, a), FileError);
    EXPECT_EQ(doc.bufferBitmaps[0]->row(0)[0], 5);
    EXPECT_TRUE(doc.bufferBitmaps[1]->isEmpty());
    EXPECT_EQ(window.finishCount, 0);
}

TEST_F(OpenSeriesTest, FiveExposuresLeaveFourteenAsTheHighestFirstTimeIndex) {
    std::vector<std::string> files;
    for (int i = 0; i < 5; ++i)
        files.push_back(folder.writeBmpFile("e" + std::to_string(i) + ".bmp", 3, 3));
    openFiles(doc, window, files, kOpenBmpSeries, files[0]);
    EXPECT_EQ(window.finished.timeDownMaximum, 14);
}

TEST_F(OpenSeriesTest, OtherFilterIndexesShowAMessageAndLeaveTheDocumentEmpty) {
    const std::string f = folder.writeBmpFile("a.bmp", 4, 4);
    struct Case {
        int index;
        const char* message;
    };
    const Case cases[] = {{3, "This isnt a vaild file extenasion [3]"},
                          {0, "This isnt a vaild file extenasion [0]"},
                          {9, "This isnt a vaild file extenasion [9]"}};
    for (const Case& c : cases) {
        RecordingHost h;
        ImageDocument d(h);
        RecordingWindow w;
        openFiles(d, w, {f}, c.index, f);
        EXPECT_EQ(h.messages, std::vector<std::string>{c.message});
        EXPECT_TRUE(d.bufferBitmaps.empty());
        EXPECT_EQ(d.layerCount, 0);
        EXPECT_EQ(w.finishCount, 1);
        EXPECT_FALSE(w.finished.navigationRange);
    }
}
