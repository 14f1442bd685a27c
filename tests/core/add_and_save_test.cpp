#include "base/errors.h"
#include "connect/con_img.h"
#include "core/bmp_fixtures.h"
#include "core/recording_host.h"
#include "image/bmp_codec.h"
#include "io/add_images.h"
#include "io/project.h"
#include "io/save_document.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>

using namespace fringel;
using fringel::test::readFileBytes;
using fringel::test::RecordingHost;
using fringel::test::TempFolder;

namespace {

// A document holding one connected layer (3 x 2), its bitmap shown.
void oneLayer(ImageDocument& doc) {
    doc.resizePlanes(1, 1, 3, 2);
    doc.planes[0][0].at(1, 1) = 5;
    doc.sizeLayerBitmaps(1);
    doc.bitmaps[0]->reset(3, 2, PixelFormat::Bgr24);
    doc.bitmaps[0]->row(0)[0] = 77;
    doc.layerCount = 1;
    doc.canSave = true;
    doc.loaded = true;
    doc.showBitmap(*doc.bitmaps[0]);
}

// Exposures one stop apart, `w` x `h`, 24-bit, named e0.bmp, e1.bmp, ...
std::vector<std::string> exposures(const TempFolder& folder, int n, int w = 4, int h = 3) {
    std::vector<std::string> files;
    for (int i = 0; i < n; ++i)
        files.push_back(folder.writeBmpFile("e" + std::to_string(i) + ".bmp", w, h,
                                            PixelFormat::Bgr24,
                                            static_cast<std::uint8_t>(20 << i)));
    return files;
}

class RecordingWindow : public NoOpenWindow {
public:
    std::vector<std::string> calls;
    void setCaption(const std::string& c) override { calls.push_back("caption " + c); }
    void sizeForPicture(std::int32_t w, std::int32_t h) override {
        calls.push_back("size " + std::to_string(w) + "x" + std::to_string(h));
    }
    void selectPage(int page) override { calls.push_back("page " + std::to_string(page)); }
    void finishOpen(ImageDocument&) override { calls.push_back("finish"); }
};

} // namespace

TEST(AddImagesAsLayer, ABmpSeriesJoinsTheBufferAndConnectsIntoASecondLayer) {
    TempFolder folder;
    RecordingHost host;
    ImageDocument doc(host);
    oneLayer(doc);
    RecordingWindow window;
    const std::vector<std::string> files = exposures(folder, 3);
    addImagesAsLayer(doc, window, files, kOpenBmpSeries);

    EXPECT_EQ(doc.layerCount, 3);
    EXPECT_TRUE(doc.bufferView);
    EXPECT_TRUE(doc.loaded);
    EXPECT_TRUE(doc.animating);
    EXPECT_EQ(doc.currentLayer, 0);
    EXPECT_EQ(doc.planes.length(), 1); // the layers stay
    EXPECT_EQ(doc.bitmaps.length(), 1);
    EXPECT_EQ(doc.shownPicture, readBmp(files[0]));
    EXPECT_EQ(
        std::vector<std::string>(host.logLines.end() - 2, host.logLines.end()),
        (std::vector<std::string>{"Number of files: 3", "Utworzylem schowek na bitmape [3]"}));
    // BMP files keep the caption without the window count and the window size.
    EXPECT_EQ(window.calls, (std::vector<std::string>{"caption " + files[0], "finish", "page 1"}));

    ConnectSettings s;
    s.selectionStart = 255 - 190;
    s.selectionEnd = 255;
    ASSERT_TRUE(conImg(host).connect(doc, s).connected);
    EXPECT_EQ(doc.planes.length(), 2);
    EXPECT_EQ(doc.layerCount, 2);
    EXPECT_EQ(doc.planes[0][0].at(1, 1), 5); // the first layer is untouched
}

TEST(AddImagesAsLayer, PicturesOfAnotherSizeAreReportedByTheirBranch) {
    TempFolder folder;
    RecordingHost host;
    ImageDocument doc(host);
    oneLayer(doc);
    NoOpenWindow window;
    std::vector<std::string> files = exposures(folder, 1);
    files.push_back(folder.writeBmpFile("other.bmp", 5, 3));
    addImagesAsLayer(doc, window, files, kOpenBmpSeries);
    EXPECT_EQ(std::count(host.logLines.begin(), host.logLines.end(),
                         "Rozmiar obrazkow nie jest identyczny !!!"),
              1);
    EXPECT_EQ(doc.bufferBitmaps[1]->width(), 5); // the picture stays in the buffer
}

TEST(AddImagesAsLayer, OtherEntriesAndUnreadableFilesLeaveTheDocumentAsItWas) {
    TempFolder folder;
    const std::vector<std::string> good = exposures(folder, 2);
    std::ofstream(folder.file("x.dat")) << "1 2 3";
    struct Case {
        std::vector<std::string> files;
        std::int32_t filterIndex;
        const char* message; // shown, or "" for none
        bool raises;
    };
    const Case cases[] = {
        {good, kOpenProject, "", false},
        {good, kOpenCameraRaw, kUnknownAddKindMessage, false},
        {good, 9, kUnknownAddKindMessage, false},
        {{folder.file("x.dat")}, kOpenFormattedText, "", true},
        {{good[0], folder.file("missing.bmp")}, kOpenBmpSeries, "", true},
    };
    for (const Case& c : cases) {
        RecordingHost host;
        ImageDocument doc(host);
        oneLayer(doc);
        doc.setSeriesFileNames({"before.bmp"});
        const std::size_t logged = host.logLines.size();
        NoOpenWindow window;
        if (c.raises)
            EXPECT_THROW(addImagesAsLayer(doc, window, c.files, c.filterIndex), FileError);
        else
            addImagesAsLayer(doc, window, c.files, c.filterIndex);
        EXPECT_EQ(doc.layerCount, 1) << c.filterIndex;
        EXPECT_EQ(doc.fileNames, std::vector<std::string>{"before.bmp"});
        EXPECT_FALSE(doc.bufferView);
        EXPECT_EQ(doc.bufferBitmaps.length(), 0);
        EXPECT_EQ(doc.shownPicture, *doc.bitmaps[0]);
        EXPECT_EQ(host.messages,
                  c.message[0] ? std::vector<std::string>{c.message} : std::vector<std::string>{});
        if (c.filterIndex == kOpenProject) {
            EXPECT_EQ(host.logLines.size(), logged + 1); // says that nothing was added
        }
    }
}

TEST(AddImagesAsLayer, AMissingFirstFileGivesEmptyExposures) {
    TempFolder folder;
    RecordingHost host;
    ImageDocument doc(host);
    oneLayer(doc);
    NoOpenWindow window;
    addImagesAsLayer(doc, window, {folder.file("gone0.bmp"), folder.file("gone1.bmp")},
                     kOpenBmpSeries);
    EXPECT_EQ(doc.bufferBitmaps.length(), 2);
    EXPECT_TRUE(doc.bufferBitmaps[1]->isEmpty());
    EXPECT_TRUE(doc.bufferView);
    EXPECT_FALSE(doc.animating);
}

TEST(SaveDocument, EachEntryWritesItsFilesAndEveryCaseEndsWithSavingDone) {
    TempFolder folder;
    RecordingHost host;
    ImageDocument doc(host);
    oneLayer(doc);
    saveDocument(host, doc, folder.file("layer"), kSaveBmp);
    EXPECT_EQ(readBmp(folder.file("layer.bmp")), *doc.bitmaps[0]);
    saveDocument(host, doc, folder.file("layer.bmp"), kSaveBmp);
    EXPECT_TRUE(std::filesystem::exists(folder.file("layer.bmp.bmp")));
    saveDocument(host, doc, folder.file("p"), kSaveProject);
    EXPECT_EQ(readFileBytes(folder.file("p.mdt")), "1\n1,1,3,2\n0\n0,0,\n0,5,\n0,0,\n");
    EXPECT_TRUE(std::filesystem::exists(folder.file("p_0.bmp")));
    EXPECT_EQ(host.logLines.back(), "Saving done...");

    for (const std::int32_t entry : {kSaveFormattedText, kSaveTiff}) {
        host.logLines.clear();
        saveDocument(host, doc, folder.file("t"), entry);
        EXPECT_EQ(host.logLines,
                  (std::vector<std::string>{
                      "Nothing was written: Save writes BMP pictures and projects only",
                      "Saving done..."}));
    }
    host.logLines.clear();
    host.setProgressPosition(7);
    saveDocument(host, doc, std::nullopt, kSaveProject); // cancelled
    EXPECT_EQ(host.logLines, std::vector<std::string>{"Saving done..."});
    EXPECT_EQ(host.progressPosition(), 0);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.file("")),
                            std::filesystem::directory_iterator()),
              4);

    host.logLines.clear();
    EXPECT_THROW(saveDocument(host, doc, folder.file("no/such/dir/x"), kSaveBmp), FileError);
    EXPECT_TRUE(host.logLines.empty()); // no "Saving done..." after a failure
}

TEST(SaveActiveBitmap, WritesTheShownPictureOrTheCurrentLayerAsBmp) {
    TempFolder folder;
    RecordingHost host;
    ImageDocument series(host);
    series.shownPicture.reset(2, 2, PixelFormat::Bgr24);
    series.shownPicture.row(1)[3] = 9;
    saveActiveBitmap(series, folder.file("shown.png"));
    EXPECT_EQ(readBmp(folder.file("shown.png.bmp")), series.shownPicture);

    ImageDocument layers(host);
    oneLayer(layers);
    layers.shownPicture.row(0)[0] = 1; // marks drawn on the view are not saved
    saveActiveBitmap(layers, folder.file("layer"));
    EXPECT_EQ(readBmp(folder.file("layer.bmp")), *layers.bitmaps[0]);
}
