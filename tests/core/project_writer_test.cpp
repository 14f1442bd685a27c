#include "base/errors.h"
#include "core/bmp_fixtures.h"
#include "core/recording_host.h"
#include "image/bmp_codec.h"
#include "io/float_tiff.h"
#include "io/project.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <sstream>
#include <tiffio.h>

using namespace fringel;
using fringel::test::RecordingHost;
using fringel::test::TempFolder;

namespace {

// Appends a layer of one channel with the given columns and a display bitmap of its size.
void addLayer(ImageDocument& doc, const std::vector<std::vector<float>>& columns,
              std::uint8_t shade) {
    const auto w = static_cast<std::int32_t>(columns.size());
    const auto h = static_cast<std::int32_t>(columns[0].size());
    doc.planes.setLength(doc.planes.length() + 1);
    Layer layer(1);
    layer[0] = Plane(w, h);
    for (int x = 0; x < w; ++x)
        for (int y = 0; y < h; ++y)
            layer[0].at(x, y) = columns[x][y];
    doc.planes[doc.planes.length() - 1] = layer;
    doc.growByOneLayer();
    Bitmap& b = *doc.bitmaps[doc.bitmaps.length() - 1];
    b.reset(w, h, PixelFormat::Bgr24);
    for (int y = 0; y < h; ++y)
        std::fill(b.row(y), b.row(y) + 3 * w, shade);
}

} // namespace

TEST(ProjectValueText, WritesSixSignificantDigitsWithAPoint) {
    const std::pair<float, const char*> cases[] = {
        {0.0f, "0"},
        {4.0f, "4"},
        {107.5f, "107.5"},
        {0.1f, "0.1"},
        {0.0001f, "0.0001"},
        {123456.0f, "123456"},
        {1234567.0f, "1.23457e+06"},
        {0.00001f, "1e-05"},
        {-2.5f, "-2.5"},
        {3.14159274f, "3.14159"},
    };
    for (const auto& [value, text] : cases)
        EXPECT_EQ(projectValueText(value), text) << text;
}

TEST(WriteProject, WritesTheColumnsOfEveryLayerAndItsBitmap) {
    TempFolder folder;
    RecordingHost host;
    ImageDocument doc(host);
    addLayer(doc, {{1, 2.5f, 0}, {4, 5, 6}}, 7);
    addLayer(doc, {{-1, 1e-5f, 1234567}, {0.1f, 0, 0}}, 9);
    const std::string name = folder.file("p");
    writeProject(host, doc, name);

    EXPECT_EQ(fringel::test::readFileBytes(name + ".mdt"), "1\n2,1,2,3\n0\n1,2.5,0,\n4,5,6,\n"
                                                           "1\n-1,1e-05,1.23457e+06,\n0.1,0,0,\n");
    EXPECT_EQ(readBmp(name + "_0.bmp"), *doc.bitmaps[0]);
    EXPECT_EQ(readBmp(name + "_1.bmp"), *doc.bitmaps[1]);
    EXPECT_EQ(host.logLines,
              (std::vector<std::string>{"Saving: (0[0|x,y])", "Saving: (1[0|x,y])"}));
    EXPECT_EQ(host.values(RecordingHost::ProgressKind::Position).back(), 0);
    // Only the project's own files are left: no temporary files.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.file("")),
                            std::filesystem::directory_iterator()),
              3);
}

TEST(WriteProject, AppendsTheExtensionEvenWhenTheNameHasIt) {
    TempFolder folder;
    RecordingHost host;
    ImageDocument doc(host);
    addLayer(doc, {{1}}, 0);
    writeProject(host, doc, folder.file("q.mdt"));
    EXPECT_TRUE(std::filesystem::exists(folder.file("q.mdt.mdt")));
    EXPECT_TRUE(std::filesystem::exists(folder.file("q.mdt_0.bmp")));
}

TEST(WriteProject, AFailureHalfwayLeavesTheEarlierProjectAsItWas) {
    TempFolder folder;
    RecordingHost host;
    ImageDocument good(host);
    addLayer(good, {{1, 2}}, 7);
    addLayer(good, {{3, 4}}, 8);
    writeProject(host, good, folder.file("p"));
    const std::string files[] = {"p.mdt", "p_0.bmp", "p_1.bmp"};
    std::vector<std::string> before;
    for (const std::string& f : files)
        before.push_back(fringel::test::readFileBytes(folder.file(f)));

    // The second layer's bitmap cannot be written: nothing may change, nothing may be left.
    ImageDocument bad(host);
    addLayer(bad, {{5, 6}}, 9);
    addLayer(bad, {{7, 8}}, 10);
    *bad.bitmaps[1] = Bitmap();
    EXPECT_THROW(writeProject(host, bad, folder.file("p")), FileError);
    for (std::size_t i = 0; i < std::size(files); ++i)
        EXPECT_EQ(fringel::test::readFileBytes(folder.file(files[i])), before[i]) << files[i];
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.file("")),
                            std::filesystem::directory_iterator()),
              3);
}

TEST(WriteProject, RefusesADocumentWithoutLayersAndReportsUnwritableFiles) {
    TempFolder folder;
    RecordingHost host;
    ImageDocument doc(host);
    EXPECT_THROW(writeProject(host, doc, folder.file("empty")), DynArrayOutOfRange);
    EXPECT_FALSE(std::filesystem::exists(folder.file("empty.mdt")));

    addLayer(doc, {{1}}, 0);
    try {
        writeProject(host, doc, folder.file("no/such/folder/p"));
        FAIL() << "no error";
    } catch (const FileError& e) {
        EXPECT_EQ(e.fileName(), folder.file("no/such/folder/p.mdt"));
    }
}

TEST(FloatTiff, HoldsTheLayerAsThirtyTwoBitFloats) {
    TempFolder folder;
    Plane red(3, 2), green(3, 2), blue(3, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            red.at(x, y) = 107.5f * x + y;
            green.at(x, y) = -1.0f * x;
            blue.at(x, y) = 1e-7f * (y + 1);
        }
    struct Case {
        std::vector<const Plane*> channels;
        std::uint16_t photometric;
    };
    const Case cases[] = {{{&red}, PHOTOMETRIC_MINISBLACK},
                          {{&red, &green, &blue}, PHOTOMETRIC_RGB}};
    for (const Case& c : cases) {
        const std::string path = folder.file("f.tif");
        writeFloatTiff(path, c.channels);
        TIFF* t = TIFFOpen(path.c_str(), "r");
        ASSERT_NE(t, nullptr);
        std::uint32_t w = 0, h = 0;
        std::uint16_t bits = 0, format = 0, samples = 0, photometric = 0;
        TIFFGetField(t, TIFFTAG_IMAGEWIDTH, &w);
        TIFFGetField(t, TIFFTAG_IMAGELENGTH, &h);
        TIFFGetField(t, TIFFTAG_BITSPERSAMPLE, &bits);
        TIFFGetField(t, TIFFTAG_SAMPLEFORMAT, &format);
        TIFFGetField(t, TIFFTAG_SAMPLESPERPIXEL, &samples);
        TIFFGetField(t, TIFFTAG_PHOTOMETRIC, &photometric);
        EXPECT_EQ(w, 3u);
        EXPECT_EQ(h, 2u);
        EXPECT_EQ(bits, 32);
        EXPECT_EQ(format, SAMPLEFORMAT_IEEEFP);
        EXPECT_EQ(samples, c.channels.size());
        EXPECT_EQ(photometric, c.photometric);
        std::vector<float> row(3 * samples);
        for (std::uint32_t y = 0; y < h; ++y) {
            ASSERT_EQ(TIFFReadScanline(t, row.data(), y, 0), 1);
            for (std::uint32_t x = 0; x < w; ++x)
                for (std::uint16_t s = 0; s < samples; ++s)
                    EXPECT_EQ(row[x * samples + s], c.channels[s]->at(x, y));
        }
        TIFFClose(t);
    }
    EXPECT_THROW(writeFloatTiff(folder.file("g.tif"), {&red, &green}), FileError);
    EXPECT_FALSE(std::filesystem::exists(folder.file("g.tif")));
}

namespace {

// Writes `text` as a project file plus `layers` 2 x 3 layer bitmaps; returns the file's path.
std::string writeProjectFiles(const TempFolder& folder, const std::string& text, int layers) {
    const std::string path = folder.file("p.mdt");
    std::ofstream(path, std::ios::binary) << text;
    for (int l = 0; l < layers; ++l) {
        Bitmap b(2, 3, PixelFormat::Bgr24);
        b.row(0)[0] = static_cast<std::uint8_t>(l + 1);
        writeBmp(b, folder.file("p_" + std::to_string(l) + ".bmp"));
    }
    return path;
}

std::vector<float> column(const ImageDocument& doc, int layer, int x) {
    std::vector<float> out;
    for (int y = 0; y < doc.planes[layer][0].height(); ++y)
        out.push_back(doc.planes[layer][0].at(x, y));
    return out;
}

} // namespace

TEST(ReadProject, ReadsBackWhatWasWrittenToSixDigits) {
    TempFolder folder;
    RecordingHost host;
    ImageDocument written(host);
    addLayer(written, {{1, 2.5f, 0}, {4, 5, 3.14159274f}}, 7);
    addLayer(written, {{-1, 1e-5f, 1234567}, {0.1f, 0, 0}}, 9);
    writeProject(host, written, folder.file("p"));

    RecordingHost readHost;
    ImageDocument doc(readHost);
    NoOpenWindow window;
    openFiles(doc, window, {folder.file("p.mdt")}, kOpenProject, folder.file("p.mdt"));
    ASSERT_EQ(doc.planes.length(), 2);
    EXPECT_EQ(column(doc, 0, 0), (std::vector<float>{1, 2.5f, 0}));
    EXPECT_EQ(column(doc, 0, 1), (std::vector<float>{4, 5, 3.14159f}));
    EXPECT_EQ(column(doc, 1, 0), (std::vector<float>{-1, 1e-5f, 1.23457e6f}));
    EXPECT_EQ(*doc.bitmaps[1], *written.bitmaps[1]);
    EXPECT_EQ(readHost.logLines,
              (std::vector<std::string>{"File ver: 1", "Project Settings: ( 2 [ 1 | 2,3 ])",
                                        "Reading: ( 0 [ 1 | 2,3 ])", "Reading: ( 1 [ 1 | 2,3 ])"}));
    EXPECT_EQ(doc.layerCount, 2);
    EXPECT_EQ(doc.currentLayer, 0);
    EXPECT_FALSE(doc.bufferView);
    EXPECT_TRUE(doc.canSave);
    EXPECT_TRUE(doc.loaded);
    EXPECT_TRUE(doc.animating);
    EXPECT_EQ(doc.shownPicture, *doc.bitmaps[0]);
}

TEST(ReadProject, AnySeparatorAndAnyWhiteSpaceReadTheSame) {
    for (const std::string text :
         {"1\n1,1,2,3\n0\n1,2.5,0,\n4,5,6,\n", "1\r\n1,1,2,3\r\n0\r\n1,2.5,0,\r\n4,5,6,\r\n",
          "1\n1;1;2;3\n0\n1;2.5;0;\n4;5;6;\n", "  1 \t\n 1,1,2,3\n\n0\n 1, 2.5, 0,\n4,  5,6,"}) {
        TempFolder folder;
        RecordingHost host;
        ImageDocument doc(host);
        NoOpenWindow window;
        readProject(doc, window, writeProjectFiles(folder, text, 1));
        EXPECT_EQ(column(doc, 0, 0), (std::vector<float>{1, 2.5f, 0}));
        EXPECT_EQ(column(doc, 0, 1), (std::vector<float>{4, 5, 6}));
    }
}

TEST(ReadProject, OtherVersionsReadNothingFurther) {
    struct Case {
        const char* text;
        std::vector<std::string> log;
    };
    const Case cases[] = {
        {"2\n1,1,2,3\n", {"File ver: 2"}},
        {"7\n1,1,2,3\n", {"File ver: 7", "Unknow file version (7) !!!"}},
        {"abc", {"File ver: 0", "Unknow file version (0) !!!"}},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        RecordingHost host;
        ImageDocument doc(host);
        NoOpenWindow window;
        readProject(doc, window, writeProjectFiles(folder, c.text, 0));
        EXPECT_EQ(host.logLines, c.log);
        EXPECT_EQ(doc.planes.length(), 0);
        EXPECT_FALSE(doc.canSave);
    }
}

TEST(ReadProject, AFileThatEndsEarlySaysWhereAndLeavesTheRestZero) {
    struct Case {
        const char* text;
        const char* where;
    };
    for (const Case& c :
         {Case{"1\n2,1,2,3\n0\n1,2.5,x", "layer 0, column 0, row 2"},
          Case{"1\n2,1,2,3\n0\n1,2.5,7,\n4,5,6,\n", "the number of layer 1"},
          Case{"1\n2,1,2,3\n0\n1,2.5,7,\n4,5,6,\n1\n8,9,10,\n11", "layer 1, column 1, row 1"}}) {
        TempFolder folder;
        RecordingHost host;
        ImageDocument doc(host);
        NoOpenWindow window;
        const std::string path = writeProjectFiles(folder, c.text, 2);
        readProject(doc, window, path);
        EXPECT_EQ(column(doc, 0, 0)[1], 2.5f);
        EXPECT_EQ(column(doc, 1, 1)[2], 0.0f);
        EXPECT_EQ(doc.bitmaps[1]->row(0)[0], 2); // the bitmaps are still loaded
        const std::string line = path + ": no number at " + c.where +
                                 " (the file ends early or holds text there); the values not "
                                 "read are 0";
        EXPECT_NE(std::find(host.logLines.begin(), host.logLines.end(), line), host.logLines.end())
            << c.where;
    }
}

TEST(ReadProject, EveryLayoutOfTheSameNumbersReadsTheSameValues) {
    // A project of three 37 x 23 layers of awkward values, written the usual way.
    std::mt19937 rng(3);
    std::uniform_real_distribution<float> spread(-8, 8);
    RecordingHost host;
    ImageDocument written(host);
    for (int l = 0; l < 3; ++l) {
        std::vector<std::vector<float>> columns(37, std::vector<float>(23));
        for (auto& col : columns)
            for (float& v : col)
                v = std::ldexp(spread(rng), static_cast<int>(rng() % 60) - 30);
        addLayer(written, columns, static_cast<std::uint8_t>(l));
    }
    TempFolder folder;
    writeProject(host, written, folder.file("p"));
    const std::string canonical = fringel::test::readFileBytes(folder.file("p.mdt"));
    const auto replaced = [](std::string t, const std::string& from, const std::string& to) {
        for (std::size_t at = 0; (at = t.find(from, at)) != std::string::npos; at += to.size())
            t.replace(at, from.size(), to);
        return t;
    };
    std::string splitColumn = canonical;
    splitColumn.insert(splitColumn.find(',', splitColumn.find(",23\n0\n") + 6) + 1, "\n");
    const std::string layouts[] = {
        canonical,
        replaced(canonical, "\n", "\r\n"),
        replaced(canonical, ",", ";"),
        replaced(canonical, ",", ", "),
        replaced(canonical, "\n", "\n+"),
        canonical + "trailing text is never read",
        replaced(canonical, ",23\n", ",23\n\n\n"), // blank lines before the first layer
        splitColumn,                               // one column over two lines
    };
    for (const std::string& text : layouts) {
        std::ofstream(folder.file("p.mdt"), std::ios::binary | std::ios::trunc) << text;
        RecordingHost readHost;
        ImageDocument doc(readHost);
        NoOpenWindow window;
        readProject(doc, window, folder.file("p.mdt"));
        ASSERT_EQ(doc.planes.length(), 3);
        for (int l = 0; l < 3; ++l)
            for (int x = 0; x < 37; ++x)
                for (int y = 0; y < 23; ++y) {
                    const float expected = std::strtof(
                        projectValueText(written.planes[l][0].at(x, y)).c_str(), nullptr);
                    ASSERT_EQ(doc.planes[l][0].at(x, y), expected)
                        << "layout " << (&text - layouts) << " at " << l << "," << x << "," << y;
                }
        EXPECT_EQ(readHost.logLines.size(), 5u) << "layout " << (&text - layouts);
    }
}

TEST(ReadProject, BadHeadersAndMissingBitmapsAreFileErrors) {
    struct Case {
        const char* text;
        int bitmaps;
    };
    const Case cases[] = {
        {"1\n100000,1,100000,100000\n", 0}, // refused before anything is allocated
        {"1\n3,100,4000,4000\n", 0},        // more values than a project may hold
        {"1\n0,1,2,3\n", 0},
        {"1\n1,1,-2,3\n", 0},
        {"1\nx,y\n", 0},
        {"1\n16,1,8000,8000\n0\n1,2,\n", 0}, // a tiny file cannot hold a gigabyte of values
        {"1\n211,6661,3,124\n0\n1,2,\n", 0},  // nor can it ask for thousands of channels
        {"1\n1,1,99999999999,3\n", 0},
        {"1\n2,1,2,3\n0\n1,2,3,\n4,5,6,\n1\n1,2,3,\n4,5,6,\n", 1}, // p_1.bmp is missing
    };
    for (const Case& c : cases) {
        TempFolder folder;
        RecordingHost host;
        ImageDocument doc(host);
        NoOpenWindow window;
        const std::string path = writeProjectFiles(folder, c.text, c.bitmaps);
        try {
            readProject(doc, window, path);
            ADD_FAILURE() << "read " << c.text;
        } catch (const FileError& e) {
            // Refused headers leave an empty document and say why in the log.
            if (c.bitmaps == 0) {
                EXPECT_EQ(doc.planes.length(), 0) << c.text;
                EXPECT_EQ(host.logLines.back(), e.what());
                EXPECT_NE(std::string(e.what()).find(path), std::string::npos);
            }
        }
    }
    RecordingHost host;
    ImageDocument doc(host);
    NoOpenWindow window;
    EXPECT_THROW(readProject(doc, window, "/no/such/project.mdt"), FileError);
}
