#include "base/errors.h"
#include "connect/con_img.h"
#include "core/bmp_fixtures.h"
#include "core/picture_fixtures.h"
#include "core/recording_host.h"
#include "image/picture_formats.h"
#include "io/open_series.h"

#include <algorithm>
#include <gtest/gtest.h>

using namespace fringel;
using fringel::test::RecordingHost;
using fringel::test::TempFolder;

namespace {

class RecordingWindow : public NoOpenWindow {
public:
    std::vector<std::string> calls;
    int documentWindowCount() const override { return 2; }
    void setCaption(const std::string& c) override { calls.push_back("caption " + c); }
    void sizeForPicture(std::int32_t w, std::int32_t h) override {
        calls.push_back("size " + std::to_string(w) + "x" + std::to_string(h));
    }
    void selectPage(int page) override { calls.push_back("page " + std::to_string(page)); }
    void finishOpen(ImageDocument&) override { calls.push_back("finish"); }
};

// Exposure i of a series: a ramp, one stop brighter per exposure.
std::uint16_t ramp(int i, int x, int y) {
    return static_cast<std::uint16_t>((x + 2 * y + 3) << i);
}

} // namespace

TEST(PictureSeries, TiffFilesLoadInNameOrderAndConnect) {
    TempFolder folder;
    std::vector<std::string> files;
    for (int i = 0; i < 3; ++i) {
        files.push_back(folder.file("s" + std::to_string(i) + ".TIF"));
        test::writeGreyTiff(files.back(), 7, 5, 8, [i](int x, int y) { return ramp(i, x, y); });
    }
    RecordingHost host;
    ImageDocument doc(host);
    RecordingWindow window;
    openFiles(doc, window, files, kOpenPictureSeries, files[0]);
    ASSERT_EQ(doc.bufferBitmaps.length(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(doc.bufferBitmaps[i]->format(), PixelFormat::Gray8);
        EXPECT_EQ(doc.bufferBitmaps[i]->row(4)[6], ramp(i, 6, 4)) << i;
    }
    EXPECT_EQ(window.calls, (std::vector<std::string>{"caption " + files[0] + ", okno: 2",
                                                      "size 7x5", "page 1", "finish"}));
    EXPECT_EQ(host.logLines[0], "Number of files: 3");
    EXPECT_TRUE(doc.bufferView);
    EXPECT_TRUE(doc.animating);
    EXPECT_TRUE(doc.loaded);

    ConnectSettings s;
    s.selectionStart = 255 - 190;
    s.selectionEnd = 255;
    ASSERT_TRUE(conImg(host).connect(doc, s).connected);
    EXPECT_EQ(doc.planes.length(), 1);
}

TEST(PictureSeries, SixteenBitAndPngPicturesLoadUnderTheTiffEntry) {
    TempFolder folder;
    const std::string tiff = folder.file("deep.tiff");
    test::writeGreyTiff(tiff, 4, 3, 16,
                        [](int x, int) { return static_cast<std::uint16_t>(x * 20000); });
    const std::string png = folder.file("shot.Png");
    test::writeGreyPng(png, 4, 3,
                       [](int x, int y) { return static_cast<std::uint16_t>(x + 10 * y); });
    RecordingHost host;
    ImageDocument doc(host);
    NoOpenWindow window;
    openFiles(doc, window, {tiff, png}, kOpenPictureSeries, tiff);
    ASSERT_EQ(doc.bufferBitmaps.length(), 2);
    // 16-bit samples become (v + 128) / 257.
    EXPECT_EQ(doc.bufferBitmaps[0]->row(0)[3], (60000 + 128) / 257);
    EXPECT_EQ(doc.bufferBitmaps[1]->row(2)[3], 23);
    EXPECT_EQ(
        std::count(host.logLines.begin(), host.logLines.end(), "Image dimentions didn't match !!!"),
        0);
}

TEST(PictureSeries, UnknownAndUndecodableExtensionsAreRefusedByName) {
    TempFolder folder;
    const std::string good = folder.file("a.tif");
    test::writeGreyTiff(good, 2, 2, 8, [](int, int) { return 1; });
    struct Case {
        const char* name;
        const char* says;
    };
    for (const Case& c :
         {Case{"x.dat", "unknown picture format \".DAT\""},
          Case{"x.dcx", "DCX file pictures (.DCX) cannot be read"},
          Case{"x.wmf", "(.WMF) cannot be read"}, Case{"noextension", "no extension"}}) {
        std::ofstream(folder.file(c.name)) << "data";
        RecordingHost host;
        ImageDocument doc(host);
        NoOpenWindow window;
        try {
            openFiles(doc, window, {good, folder.file(c.name)}, kOpenPictureSeries, good);
            ADD_FAILURE() << c.name;
        } catch (const FileError& e) {
            EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << e.what();
            EXPECT_EQ(e.fileName(), folder.file(c.name));
        }
        EXPECT_FALSE(doc.bufferBitmaps[0]->isEmpty()); // what was read before stays
    }
}

TEST(PictureFormats, ExtensionsAreMatchedWithoutRegardToCase) {
    EXPECT_EQ(pictureExtension("/a/b.TiF"), "TIF");
    EXPECT_EQ(pictureExtension("/a.b/c"), "");
    ASSERT_TRUE(pictureFormat("tiff"));
    EXPECT_EQ(pictureFormat(".JpEg")->description, "JPEG");
    EXPECT_FALSE(pictureFormat("dat"));
    registerPictureFormat("xyz", "Test", [](const std::string&) { return Bitmap(1, 1); });
    EXPECT_EQ(loadPicture("any.XYZ").width(), 1);
}
