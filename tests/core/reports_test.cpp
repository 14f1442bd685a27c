#include "base/errors.h"
#include "core/bmp_fixtures.h"
#include "core/recording_host.h"
#include "energy/reports.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

using namespace fringel;
using fringel::test::crlfLines;
using fringel::test::RecordingHost;
using fringel::test::TempFolder;

TEST(EnergyFile, ResultLineUsesTabsCrLfAndSixDigits) {
    const std::tuple<int, int, float, const char*> cases[] = {
        {200, 150, 532.0f, "200\t150\t532\r\n"},
        {1, 2, 2e6f, "1\t2\t2e+06\r\n"},
        {3, 4, 0.5f, "3\t4\t0.5\r\n"},
        {5, 6, 12.0f, "5\t6\t12\r\n"},
        {7, 8, 1234567.0f, "7\t8\t1.23457e+06\r\n"},
        {9, 10, -7.25f, "9\t10\t-7.25\r\n"},
        {11, 12, 1e-6f, "11\t12\t1e-06\r\n"},
    };
    for (const auto& [x, y, e, line] : cases)
        EXPECT_EQ(EnergyFile::resultLine(x, y, e), line);
}

TEST(EnergyFile, OpeningEmptiesTheFileAndAResultLineIsOptional) {
    TempFolder folder;
    RecordingHost host;
    std::ofstream(folder.file("energy.txt")) << "old result\r\n";
    { EnergyFile file(host, folder.file("")); }
    EXPECT_EQ(fringel::test::readFileBytes(folder.file("energy.txt")), "");
    {
        EnergyFile file(host, folder.file(""));
        file.writeResult(200, 150, 532);
    }
    EXPECT_EQ(fringel::test::readFileBytes(folder.file("energy.txt")), "200\t150\t532\r\n");
    EXPECT_TRUE(host.logLines.empty());
}

TEST(EnergyFile, AnUnwritableFolderIsLoggedAndTheMeasurementGoesOn) {
    TempFolder folder;
    RecordingHost host;
    EnergyFile file(host, folder.file("missing/folder"));
    file.writeResult(1, 2, 3);
    file.close();
    ASSERT_EQ(host.logLines.size(), 1u);
    EXPECT_EQ(host.logLines[0].rfind("Cannot write ", 0), 0u);
}

TEST(CrossSections, WritesBothProfilesAndPlotsThem) {
    TempFolder folder;
    RecordingHost host;
    Plane p(400, 300);
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 400; ++x)
            p.at(x, y) = static_cast<float>(x + 0.5 * y);
    funFindSum r;
    r.peakX = 200;
    r.peakY = 150;
    r.outerRadius = 14;
    std::vector<std::array<int, 4>> segments;
    writeCrossSections(r, p, folder.file(""), host, [&](int a, int b, int c, int d) {
        segments.push_back({a, b, c, d});
    });
    EXPECT_EQ(crossSectionFileName(200, 150), "Peak@(200,150).txt");
    const auto lines = crlfLines(fringel::test::readFileBytes(folder.file("Peak@(200,150).txt")));
    ASSERT_EQ(lines.size(), 31u);
    EXPECT_EQ(lines[0], "Przekroje piku o wspolrzednych (200,150)");
    EXPECT_EQ(lines[1], "R\tX\tY");
    EXPECT_EQ(lines[2], "-14\t261\t268"); // (186, 150) and (200, 136)
    EXPECT_EQ(lines[30], "14\t289\t282");

    // Peak value 275: a value v is lifted v x 50 / 275 above its base line.
    ASSERT_EQ(segments.size(), 2u * 29);
    const auto lift = [](int base, double v) {
        return static_cast<int>(std::trunc(base - v * 50 / 275));
    };
    EXPECT_EQ(segments[0], (std::array<int, 4>{185, lift(136, 260), 186, lift(136, 261)}));
    EXPECT_EQ(segments[1], (std::array<int, 4>{lift(186, 267.5), 135, lift(186, 268), 136}));
}

TEST(CrossSections, ZeroPeakIsNotPlottedAndAnEdgeStopsAfterTheHeader) {
    TempFolder folder;
    RecordingHost host;
    Plane p(50, 50);
    funFindSum r;
    r.peakX = 20;
    r.peakY = 20;
    r.outerRadius = 3;
    int segments = 0;
    writeCrossSections(r, p, folder.file(""), host, [&](int, int, int, int) { ++segments; });
    EXPECT_EQ(segments, 0);
    EXPECT_EQ(crlfLines(fringel::test::readFileBytes(folder.file("Peak@(20,20).txt"))).size(), 9u);

    r.peakX = 3; // the value left of the outer circle lies in column -1
    EXPECT_THROW(writeCrossSections(r, p, folder.file(""), host), DynArrayOutOfRange);
    EXPECT_EQ(crlfLines(fringel::test::readFileBytes(folder.file("Peak@(3,20).txt"))).size(), 2u);
}
