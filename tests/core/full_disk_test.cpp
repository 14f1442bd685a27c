// Saving onto a full disk: every writer reports the failure, and an earlier file of the same
// name stays exactly as it was. The disk is a 256 kB tmpfs, which needs root; without it the
// tests are skipped.
#include "base/errors.h"
#include "core/bmp_fixtures.h"
#include "core/recording_host.h"
#include "image/bmp_codec.h"
#include "io/float_tiff.h"
#include "io/project.h"
#include "trapez/trapezium_files.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/mount.h>

using namespace fringel;
using fringel::test::readFileBytes;
using fringel::test::RecordingHost;
using fringel::test::TempFolder;

namespace {

class FullDisk : public ::testing::Test {
protected:
    void SetUp() override {
        if (::mount("tmpfs", disk_.file("").c_str(), "tmpfs", 0, "size=256k") != 0)
            GTEST_SKIP() << "a small tmpfs cannot be mounted here (tests not run as root)";
        mounted_ = true;
    }
    void TearDown() override {
        if (mounted_) ::umount(disk_.file("").c_str());
    }
    std::string file(const std::string& name) const { return disk_.file(name); }
    // The names in the folder, so no temporary file may be left behind.
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const auto& e : std::filesystem::directory_iterator(disk_.file("")))
            out.push_back(e.path().filename().string());
        std::sort(out.begin(), out.end());
        return out;
    }

private:
    TempFolder disk_;
    bool mounted_ = false;
};

// A document of one w x h layer with a display bitmap.
void layer(ImageDocument& doc, int w, int h) {
    doc.resizePlanes(1, 1, w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            doc.planes[0][0].at(x, y) = 1.0f / static_cast<float>(x + y + 3);
    doc.sizeLayerBitmaps(1);
    doc.bitmaps[0]->reset(w, h, PixelFormat::Bgr24);
}

} // namespace

TEST_F(FullDisk, AProjectThatDoesNotFitLeavesTheEarlierOne) {
    RecordingHost host;
    ImageDocument small(host);
    layer(small, 20, 10);
    writeProject(host, small, file("p"));
    const std::string mdt = readFileBytes(file("p.mdt"));
    const std::string bmp = readFileBytes(file("p_0.bmp"));

    ImageDocument big(host);
    layer(big, 300, 200); // about 600 kB of text and 180 kB of bitmap
    EXPECT_THROW(writeProject(host, big, file("p")), FileError);
    EXPECT_EQ(readFileBytes(file("p.mdt")), mdt);
    EXPECT_EQ(readFileBytes(file("p_0.bmp")), bmp);
    EXPECT_EQ(names(), (std::vector<std::string>{"p.mdt", "p_0.bmp"}));
}

TEST_F(FullDisk, PicturesReportsAndFloatTiffsThatDoNotFitLeaveTheEarlierFiles) {
    Bitmap small(8, 8);
    writeBmp(small, file("x.bmp"));
    Plane plane(4, 4);
    writeFloatTiff(file("x.tif"), {&plane});
    TrapeziumInput fine;
    fine.spacing = 1; // a 601 x 601 grid: a report of about 2 MB
    writeSimulationReport(file("r.mts"), computeTrapeziumModel(TrapeziumInput{}));
    const std::string before[] = {readFileBytes(file("x.bmp")), readFileBytes(file("x.tif")),
                                  readFileBytes(file("r.mts"))};

    EXPECT_THROW(writeBmp(Bitmap(400, 300), file("x.bmp")), FileError);
    Plane large(300, 300);
    EXPECT_THROW(writeFloatTiff(file("x.tif"), {&large}), FileError);
    EXPECT_THROW(writeSimulationReport(file("r.mts"), computeTrapeziumModel(fine)), FileError);
    EXPECT_EQ(readFileBytes(file("x.bmp")), before[0]);
    EXPECT_EQ(readFileBytes(file("x.tif")), before[1]);
    EXPECT_EQ(readFileBytes(file("r.mts")), before[2]);
    EXPECT_EQ(names(), (std::vector<std::string>{"r.mts", "x.bmp", "x.tif"}));
}
