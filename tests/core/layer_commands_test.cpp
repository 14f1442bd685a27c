#include "base/errors.h"
#include "core/bmp_fixtures.h"
#include "core/recording_host.h"
#include "document/layer_commands.h"

#include <gtest/gtest.h>

using namespace fringel;
using fringel::test::readFileBytes;
using fringel::test::RecordingHost;
using fringel::test::TempFolder;

namespace {

// A document of `layers` layers of w x h, layer l filled with l + 1, with display bitmaps.
void makeLayers(ImageDocument& doc, int layers, int w, int h) {
    doc.resizePlanes(layers, 1, w, h);
    for (int l = 0; l < layers; ++l) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                doc.planes[l][0].at(x, y) = static_cast<float>(l + 1);
        doc.growByOneLayer();
        doc.bitmaps[l]->reset(w, h, PixelFormat::Bgr24);
        doc.bitmaps[l]->row(0)[0] = static_cast<std::uint8_t>(10 * (l + 1));
    }
    doc.currentLayer = 0;
}

} // namespace

TEST(HorizontalLine, LargestValueOfFortyOneRowsPerColumnWithLineFeeds) {
    TempFolder folder;
    RecordingHost host;
    ImageDocument doc(host);
    makeLayers(doc, 1, 3, 60);
    Plane& p = doc.planes[0][0];
    p.at(0, 10) = 5;     // row y0 - 20
    p.at(1, 50) = 7.25f; // row y0 + 20
    p.at(2, 30) = 1e6f;
    p.at(2, 51) = 1e9f; // one row beyond the band: not counted
    writeHorizontalLine(host, doc, 30, folder.file(""));
    EXPECT_EQ(readFileBytes(folder.file("line.txt")), "5\n7.25\n1e+06\n");
    EXPECT_TRUE(host.logLines.empty());
}

TEST(HorizontalLine, ABandOverTheEdgeRaisesAndLeavesTheFileEmpty) {
    TempFolder folder;
    RecordingHost host;
    ImageDocument doc(host);
    makeLayers(doc, 1, 3, 60);
    EXPECT_THROW(writeHorizontalLine(host, doc, 10, folder.file("")), DynArrayOutOfRange);
    EXPECT_EQ(readFileBytes(folder.file("line.txt")), "");
    writeHorizontalLine(host, doc, 30, folder.file("no/such/folder"));
    ASSERT_EQ(host.logLines.size(), 1u);
    EXPECT_EQ(host.logLines[0].rfind("Cannot write ", 0), 0u);
}

TEST(DeleteLastLayer, RemovesTheLastLayerAndShowsTheNewLast) {
    RecordingHost host;
    ImageDocument doc(host);
    makeLayers(doc, 3, 4, 4);
    ASSERT_TRUE(deleteLastLayer(doc));
    EXPECT_EQ(doc.planes.length(), 2);
    EXPECT_EQ(doc.bitmaps.length(), 2);
    EXPECT_EQ(doc.layerCount, 2);
    EXPECT_EQ(doc.currentLayer, 1);
    EXPECT_EQ(doc.shownPicture.row(0)[0], 20);

    ASSERT_TRUE(deleteLastLayer(doc));
    EXPECT_FALSE(deleteLastLayer(doc));
    EXPECT_EQ(doc.planes.length(), 1);
    EXPECT_EQ(doc.currentLayer, 0);
    EXPECT_EQ(host.logLines.back(), "The only layer is kept: close the document to discard it.");
}
