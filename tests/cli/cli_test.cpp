// Runs the built fringel-cli on generated files and checks its outputs against the core
// functions the windows use.
#include "base/errors.h"
#include "connect/con_img.h"
#include "core/bmp_fixtures.h"
#include "core/picture_fixtures.h"
#include "core/recording_host.h"
#include "document/layer_commands.h"
#include "energy/measurement.h"
#include "energy/reports.h"
#include "filters/median.h"
#include "image/bmp_codec.h"
#include "io/open_series.h"
#include "io/project.h"
#include "trapez/trapezium_drawing.h"
#include "trapez/trapezium_files.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <sstream>
#include <sys/wait.h>
#include <tiffio.h>

using namespace fringel;
using fringel::test::readFileBytes;
using fringel::test::RecordingHost;
using fringel::test::TempFolder;

namespace {

struct CliRun {
    int exitCode;
    std::string out;
    std::string err;
};

std::string quoted(const std::string& s) {
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// Runs fringel-cli with the arguments in `folder` as the working directory.
CliRun runCli(const TempFolder& folder, const std::vector<std::string>& args) {
    std::string command = "cd " + quoted(folder.file("")) + " && " + quoted(FRINGEL_CLI);
    for (const std::string& a : args)
        command += " " + quoted(a);
    const std::string errFile = folder.file("stderr.txt");
    command += " 2>" + quoted(errFile);
    std::FILE* pipe = popen(command.c_str(), "r");
    std::string out;
    char buf[4096];
    std::size_t n = 0;
    while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0)
        out.append(buf, n);
    const int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out,
            fringel::test::readFileBytes(errFile)};
}

// A series of n exposures with a bright spot that saturates in the later ones.
std::vector<std::string> writeSeries(const TempFolder& folder, int n, int w, int h,
                                     PixelFormat format = PixelFormat::Bgr24) {
    std::mt19937 rng(7);
    std::vector<std::string> files;
    for (int i = 0; i < n; ++i) {
        Bitmap b(w, h, format);
        const int bytes = format == PixelFormat::Gray8 ? 1 : 3;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const double d2 = (x - w / 2.0) * (x - w / 2.0) + (y - h / 2.0) * (y - h / 2.0);
                const double radiance = 5 + 400 * std::exp(-d2 / 40.0);
                for (int k = 0; k < bytes; ++k)
                    b.row(y)[x * bytes + k] = static_cast<std::uint8_t>(
                        std::min(255.0, radiance * (1 << i) / (k + 1) + rng() % 3));
            }
        const std::string name = "exp" + std::to_string(i) + ".bmp";
        writeBmp(b, folder.file(name));
        files.push_back(folder.file(name));
    }
    return files;
}

// The same connect and save through the core functions.
void connectThroughCore(const std::vector<std::string>& files, const ConnectSettings& settings,
                        int timeIndex, const std::string& name) {
    RecordingHost host;
    ImageDocument doc(host);
    NoOpenWindow window;
    openFiles(doc, window, files, kOpenBmpSeries, files.front());
    doc.timeIndex = timeIndex;
    ASSERT_TRUE(conImg(host).connect(doc, settings).connected);
    writeProject(host, doc, name);
}

// The shortest text that reads back as the same float32.
std::string shortestText(float v) {
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, res.ptr);
}

} // namespace

TEST(CliConnect, WritesTheSameProjectAsTheCoreFunctions) {
    TempFolder folder;
    const auto files = writeSeries(folder, 3, 40, 30);
    const CliRun run =
        runCli(folder, {"connect", "--time-index", "5", "--cutoff", "10,200", "--trim", "2,3,30,20",
                        "--channel", "red", "-o", "cli.mdt", files[2], files[0], files[1]});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    ConnectSettings s;
    s.selectionStart = 255 - 200;
    s.selectionEnd = 255 - 10;
    s.colorOrder = 0;
    s.trimming = TrimmingBoxes{"2", "3", "30", "20"};
    connectThroughCore(files, s, 5, folder.file("core"));
    EXPECT_EQ(fringel::test::readFileBytes(folder.file("cli.mdt")),
              fringel::test::readFileBytes(folder.file("core.mdt")));
    EXPECT_EQ(fringel::test::readFileBytes(folder.file("cli_0.bmp")),
              fringel::test::readFileBytes(folder.file("core_0.bmp")));
    EXPECT_EQ(fringel::test::readFileBytes(folder.file("cli.mdt")).substr(0, 12), "1\n1,1,30,20\n");
}

TEST(CliConnect, DefaultsAreTheConnectingTabsStartValues) {
    TempFolder folder;
    const auto files = writeSeries(folder, 2, 16, 12);
    ASSERT_EQ(runCli(folder, {"connect", "-o", "p", files[0], files[1]}).exitCode, 0);
    connectThroughCore(files, ConnectSettings{}, 0, folder.file("core"));
    EXPECT_EQ(fringel::test::readFileBytes(folder.file("p.mdt")),
              fringel::test::readFileBytes(folder.file("core.mdt")));

    ASSERT_EQ(runCli(folder, {"connect", "--median", "2", "-o", "m", files[0], files[1]}).exitCode,
              0);
    ConnectSettings filtered;
    filtered.medianInCalculations = true;
    filtered.medianRadius = 2;
    connectThroughCore(files, filtered, 0, folder.file("corem"));
    EXPECT_EQ(fringel::test::readFileBytes(folder.file("m.mdt")),
              fringel::test::readFileBytes(folder.file("corem.mdt")));
}

TEST(CliConnect, FloatTiffHoldsTheLinearLayer) {
    TempFolder folder;
    const auto files = writeSeries(folder, 2, 20, 10);
    for (const std::string channel : {"green", "rgb"}) {
        const CliRun run = runCli(folder, {"connect", "--channel", channel, "--float-tiff", "f.tif",
                                           "-o", "p", files[0], files[1]});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        TIFF* t = TIFFOpen(folder.file("f.tif").c_str(), "r");
        ASSERT_NE(t, nullptr);
        std::uint16_t samples = 0, bits = 0;
        TIFFGetField(t, TIFFTAG_SAMPLESPERPIXEL, &samples);
        TIFFGetField(t, TIFFTAG_BITSPERSAMPLE, &bits);
        EXPECT_EQ(samples, channel == "rgb" ? 3 : 1);
        EXPECT_EQ(bits, 32);
        std::vector<float> row(20 * samples);
        ASSERT_EQ(TIFFReadScanline(t, row.data(), 5, 0), 1);
        TIFFClose(t);
        // The spot's rim was exposed within the band: its merged values are positive.
        const auto rim = std::find_if(row.begin(), row.end(), [](float v) { return v > 1; });
        ASSERT_NE(rim, row.end());
        if (channel == "green") {
            const std::string mdt = fringel::test::readFileBytes(folder.file("p.mdt"));
            EXPECT_NE(mdt.find(projectValueText(*rim) + ","), std::string::npos);
        }
    }
}

TEST(CliConnect, FailuresExitWithOneNamingTheCause) {
    TempFolder folder;
    auto files = writeSeries(folder, 2, 10, 10);
    writeBmp(Bitmap(12, 10, PixelFormat::Bgr24), folder.file("odd.bmp"));
    struct Case {
        std::vector<std::string> args;
        std::string inError;
    };
    const Case cases[] = {
        {{"connect", "-o", "p", files[0], folder.file("missing.bmp")}, "missing.bmp"},
        {{"connect", "-o", "p", files[0], folder.file("odd.bmp")}, "Exposure 1 is 12 x 10"},
        {{"connect", "--time-index", "18", "-o", "p", files[0], files[1]}, "time index 18"},
        {{"connect", "--trim", "5,5,10,10", "-o", "p", files[0], files[1]}, "Trimming region"},
    };
    for (const Case& c : cases) {
        const CliRun run = runCli(folder, c.args);
        EXPECT_EQ(run.exitCode, 1) << c.inError;
        EXPECT_NE(run.err.find(c.inError), std::string::npos) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    }
    EXPECT_FALSE(std::filesystem::exists(folder.file("p.mdt")));
}

TEST(CliConnect, BadUsageExitsWithTwoNamingTheOption) {
    TempFolder folder;
    const auto files = writeSeries(folder, 2, 8, 8);
    struct Case {
        std::vector<std::string> args;
        std::string inError;
    };
    const Case cases[] = {
        {{"connect", files[0]}, "-o NAME"},
        {{"connect", "-o", "p"}, "no exposure files"},
        {{"connect", "--channel", "purple", "-o", "p", files[0]}, "--channel"},
        {{"connect", "--time-index", "19", "-o", "p", files[0]}, "--time-index"},
        {{"connect", "--cutoff", "0,300", "-o", "p", files[0]}, "--cutoff"},
        {{"connect", "--cutoff", "0", "-o", "p", files[0]}, "--cutoff"},
        {{"connect", "--trim", "1,2,3", "-o", "p", files[0]}, "--trim"},
        {{"connect", "--median", "x", "-o", "p", files[0]}, "--median"},
        {{"connect", "--bogus", "-o", "p", files[0]}, "--bogus"},
        {{"connect", "-o"}, "'-o' needs a value"},
        {{"median", files[0], "-o", "out.bmp"}, "--radius"},
        {{"median", files[0], "--radius", "101", "-o", "out.bmp"}, "--radius"},
        {{"median", files[0], "--radius", "1", "--channel", "rgb", "-o", "x.bmp"}, "--channel"},
        {{"frobnicate"}, "frobnicate"},
    };
    for (const Case& c : cases) {
        const CliRun run = runCli(folder, c.args);
        EXPECT_EQ(run.exitCode, 2) << c.inError;
        EXPECT_NE(run.err.find(c.inError), std::string::npos) << run.err;
    }
}

TEST(CliMedian, WritesTheFilteredPictureOfTheFiltersTab) {
    TempFolder folder;
    const auto files = writeSeries(folder, 1, 33, 21);
    for (const auto& [channel, order] :
         std::vector<std::pair<std::string, int>>{{"", 1}, {"blue", 2}, {"red", 0}}) {
        std::vector<std::string> args = {"median", files[0], "--radius", "3", "-o", "out.bmp"};
        if (!channel.empty()) args.insert(args.end(), {"--channel", channel});
        const CliRun run = runCli(folder, args);
        ASSERT_EQ(run.exitCode, 0) << run.err;
        RecordingHost host;
        const Bitmap expected = applyMedian(host, readBmp(files[0]), 3, order);
        EXPECT_EQ(readBmp(folder.file("out.bmp")), expected) << channel;
    }
}

TEST(Cli, EveryCommandHasHelp) {
    TempFolder folder;
    for (const char* command :
         {"connect", "median", "measure", "simulate", "info", "line", "synth"}) {
        const CliRun run = runCli(folder, {command, "--help"});
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_NE(run.out.find("Usage: fringel-cli"), std::string::npos);
    }
    EXPECT_NE(runCli(folder, {"--help"}).out.find("connect"), std::string::npos);
}

TEST(CliMeasure, PrintsTheSameResultAsTheCoreAndWritesTheReports) {
    TempFolder folder;
    const auto files = writeSeries(folder, 3, 120, 90);
    ASSERT_EQ(
        runCli(folder, {"connect", "--time-index", "5", "-o", "p", files[0], files[1], files[2]})
            .exitCode,
        0);
    const CliRun run = runCli(folder, {"measure", "p.mdt", "--at", "58,43", "--auto"});
    ASSERT_EQ(run.exitCode, 0) << run.err;

    RecordingHost host;
    ImageDocument doc(host);
    NoOpenWindow window;
    openFiles(doc, window, {folder.file("p.mdt")}, kOpenProject, folder.file("p.mdt"));
    MeasurementInput input;
    input.startX = "58";
    input.startY = "43";
    input.reportFolder = folder.file("core");
    std::filesystem::create_directory(input.reportFolder);
    SilentMeasurementView view;
    const auto result = runMeasurement(doc, input, view);
    ASSERT_TRUE(result);
    const funFindSum& r = result->record;
    std::istringstream line(run.out);
    int x, y, inner, outer;
    float energy, diode;
    std::string noise;
    line >> x >> y >> inner >> outer >> energy >> noise >> diode;
    EXPECT_EQ(x, r.peakX);
    EXPECT_EQ(y, r.peakY);
    EXPECT_EQ(inner, r.innerRadius);
    EXPECT_EQ(outer, r.outerRadius);
    EXPECT_EQ(energy, r.energy);
    EXPECT_EQ(diode, r.diodeReading);
    const std::string peakFile = crossSectionFileName(r.peakX, r.peakY);
    EXPECT_EQ(fringel::test::readFileBytes(folder.file(peakFile)),
              fringel::test::readFileBytes(folder.file("core/" + peakFile)));
    EXPECT_EQ(fringel::test::readFileBytes(folder.file("energy.txt")),
              EnergyFile::resultLine(r.peakX, r.peakY, r.energy));

    const CliRun json = runCli(folder, {"measure", "p.mdt", "--at", "58,43", "--json"});
    ASSERT_EQ(json.exitCode, 0) << json.err;
    for (const char* key :
         {"\"x\": ", "\"R\": ", "\"E\": ", "\"noise\": ", "\"peakValue\": ", "\"range\": "})
        EXPECT_NE(json.out.find(key), std::string::npos) << key;
    EXPECT_EQ(json.out.front(), '{');
    EXPECT_EQ(fringel::test::readFileBytes(folder.file("energy.txt")), "");
}

TEST(CliMeasure, FailuresAndBadUsage) {
    TempFolder folder;
    const auto files = writeSeries(folder, 2, 40, 30);
    ASSERT_EQ(runCli(folder, {"connect", "-o", "p", files[0], files[1]}).exitCode, 0);
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        std::string inError;
    };
    const Case cases[] = {
        {{"measure", "p.mdt", "--at", "2,13"}, 1, kNothingFoundMessage},
        {{"measure", "p.mdt", "--at", "18,13", "--layer", "3"}, 1, "layer 3 does not exist"},
        {{"measure", "missing.mdt", "--at", "18,13"}, 1, "missing.mdt"},
        {{"measure", "p.mdt"}, 2, "--at"},
        {{"measure", "p.mdt", "--at", "1"}, 2, "--at"},
        {{"measure", "p.mdt", "--at", "18,13", "--method", "best"}, 2, "--method"},
        {{"measure", "p.mdt", "--at", "18,13", "--range", "500"}, 2, "--range"},
    };
    for (const Case& c : cases) {
        const CliRun run = runCli(folder, c.args);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.inError;
        EXPECT_NE(run.err.find(c.inError), std::string::npos) << run.err;
    }
}

TEST(CliSimulate, WritesThePictureReportAndEnvelopeOfTheWindow) {
    TempFolder folder;
    const CliRun run = runCli(folder, {"simulate", "--period", "180", "--diameter", "40,5",
                                       "--angle", "10", "--spacing", "15", "--image", "sim.bmp",
                                       "--report", "r.mts", "--envelope", "1,5,0,5"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    TrapeziumInput input;
    input.period = 180;
    input.diameter = 40.5f;
    input.angleDegrees = 10;
    input.spacing = 15;
    const TrapeziumModel model = computeTrapeziumModel(input);
    Bitmap picture(600, 600);
    drawSimulation(picture, model, DrawingOptions{});
    EXPECT_EQ(readBmp(folder.file("sim.bmp")), picture);
    writeSimulationReport(folder.file("expected.mts"), model);
    EXPECT_EQ(readFileBytes(folder.file("r.mts.mts")), readFileBytes(folder.file("expected.mts")));
    writeEnvelope(folder.file("expected_envelope.mts"), model, 1.5f, 0.5f);
    EXPECT_EQ(readFileBytes(folder.file(envelopeFileName(1.5f, 0.5f))),
              readFileBytes(folder.file("expected_envelope.mts")));
    EXPECT_EQ(envelopeFileName(1.5f, 0.5f), "k(1,5)_byStep[0,5].mts");
    const TrapeziumParameters& p = model.parameters;
    char expected[256];
    std::snprintf(expected, sizeof expected, "%s %s 180 %s %s %s\n", shortestText(p.f).c_str(),
                  shortestText(p.g).c_str(), shortestText(p.a0).c_str(), shortestText(p.c).c_str(),
                  shortestText(model.originIntensity).c_str());
    EXPECT_EQ(run.out, expected);
}

TEST(CliSimulate, DefaultsAndJson) {
    TempFolder folder;
    const CliRun line = runCli(folder, {"simulate"});
    EXPECT_EQ(line.exitCode, 0);
    EXPECT_EQ(line.out, "53.904026 59 169 158.80806 0.14782226 40458188\n");
    const CliRun json = runCli(folder, {"simulate", "--json"});
    EXPECT_EQ(json.out, "{\"f\": 53.904026, \"g\": 59, \"b0\": 169, \"a0\": 158.80806, "
                        "\"c\": 0.14782226, \"originIntensity\": 40458188}\n");
}

TEST(CliSimulate, FailuresAndBadUsage) {
    TempFolder folder;
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        std::string message;
    };
    for (const Case& c :
         {Case{{"simulate", "--diameter", "169"}, 1, "period equals the wire diameter"},
          Case{{"simulate", "--period", "0"}, 1, "mesh period is 0"},
          Case{{"simulate", "--spacing", "0"}, 2, "--spacing"},
          Case{{"simulate", "--angle", "91"}, 2, "--angle"},
          Case{{"simulate", "--envelope", "1,0"}, 2, "greater than 0"},
          Case{{"simulate", "--envelope", "1,0,1"}, 2, "not two numbers"},
          Case{{"simulate", "--period", "abc"}, 2, "--period"},
          Case{{"simulate", "extra"}, 2, "extra"}}) {
        const CliRun run = runCli(folder, c.args);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.message;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
}

TEST(CliInfo, DescribesPicturesAndProjects) {
    TempFolder folder;
    folder.writeBmpFile("grey.bmp", 5, 4, PixelFormat::Gray8);
    test::writeGreyPng(folder.file("shot.png"), 6, 3, [](int x, int) { return x; });
    std::ofstream(folder.file("p.mdt"), std::ios::binary) << "1\n2,1,3,2\n0\n1,2,\n";
    // Formats read through Qt: a text grey map, a bit map and a 4 x 4 Targa picture.
    std::ofstream(folder.file("t.PGM")) << "P2\n3 2\n255\n0 10 20\n30 40 50\n";
    std::ofstream(folder.file("t.pbm")) << "P1\n2 2\n1 0\n0 1\n";
    std::string tga{0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4, 0, 4, 0, 24, 0x20};
    for (int i = 0; i < 48; ++i)
        tga += static_cast<char>(i * 5); // colours, not greys
    tga += std::string(8, '\0') + "TRUEVISION-XFILE." + '\0';
    std::ofstream(folder.file("t.tga"), std::ios::binary) << tga;
    struct Case {
        std::vector<std::string> args;
        std::string out;
    };
    for (const Case& c :
         {Case{{"info", "grey.bmp"}, "picture 5 4 gray8\n"},
          Case{{"info", "t.PGM"}, "picture 3 2 gray8\n"},
          Case{{"info", "t.pbm"}, "picture 2 2 gray8\n"},
          Case{{"info", "t.tga"}, "picture 4 4 bgr24\n"},
          Case{{"info", "shot.png", "--json"},
               "{\"kind\": \"picture\", \"width\": 6, \"height\": 3, \"format\": \"gray8\"}\n"},
          Case{{"info", "p.mdt"}, "project 3 2 float32 2 1\n"},
          Case{{"info", "--json", "p.mdt"},
               "{\"kind\": \"project\", \"width\": 3, \"height\": 2, \"format\": \"float32\", "
               "\"layers\": 2, \"channels\": 1, \"version\": 1}\n"}}) {
        const CliRun run = runCli(folder, c.args);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.out, c.out);
    }
}

TEST(CliInfo, UnreadableFilesExitWithOneNamingTheFault) {
    TempFolder folder;
    std::ofstream(folder.file("v7.mdt")) << "7\n";
    std::ofstream(folder.file("x.dat")) << "data";
    std::ofstream(folder.file("bad.png")) << "not a png";
    for (const auto& [file, says] :
         {std::pair{"v7.mdt", "unknown project file version 7"},
          std::pair{"x.dat", "unknown picture format"}, std::pair{"bad.png", "bad.png"},
          std::pair{"missing.bmp", "file not found"}}) {
        const CliRun run = runCli(folder, {"info", file});
        EXPECT_EQ(run.exitCode, 1) << file;
        EXPECT_NE(run.err.find(says), std::string::npos) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    }
}

TEST(CliConnect, ReadsTiffSeriesByTheirExtension) {
    TempFolder folder;
    std::vector<std::string> files;
    for (int i = 0; i < 3; ++i) {
        files.push_back(folder.file("t" + std::to_string(i) + ".tif"));
        test::writeGreyTiff(files.back(), 9, 7, 16, [i](int x, int y) {
            return static_cast<std::uint16_t>(std::min(65535, (x * 900 + y * 500 + 300) << i));
        });
    }
    std::vector<std::string> args{"connect", "-o", "cli"};
    args.insert(args.end(), files.begin(), files.end());
    const CliRun run = runCli(folder, args);
    ASSERT_EQ(run.exitCode, 0) << run.err;

    RecordingHost host;
    ImageDocument doc(host);
    NoOpenWindow window;
    openFiles(doc, window, files, kOpenPictureSeries, files[0]);
    ConnectSettings s;
    s.selectionStart = 255 - 190;
    s.selectionEnd = 255;
    ASSERT_TRUE(conImg(host).connect(doc, s).connected);
    writeProject(host, doc, folder.file("core"));
    EXPECT_EQ(readFileBytes(folder.file("cli.mdt")), readFileBytes(folder.file("core.mdt")));
}

TEST(CliMeasure, AProjectThatCannotBeReadExitsWithOne) {
    TempFolder folder;
    std::ofstream(folder.file("bad.mdt")) << "1\n0,1,2,3\n";
    const CliRun run = runCli(folder, {"measure", "bad.mdt", "--at", "1,1"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("bad.mdt"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("the project is not read"), std::string::npos) << run.err;
}

TEST(CliLine, WritesTheProfileOfTheWindowsCommand) {
    TempFolder folder;
    const std::vector<std::string> files = writeSeries(folder, 3, 30, 50);
    std::vector<std::string> args{"connect", "-o", "p"};
    args.insert(args.end(), files.begin(), files.end());
    ASSERT_EQ(runCli(folder, args).exitCode, 0);
    const CliRun run = runCli(folder, {"line", "p.mdt", "--y", "25", "-o", "profile.txt"});
    ASSERT_EQ(run.exitCode, 0) << run.err;

    RecordingHost host;
    ImageDocument doc(host);
    NoOpenWindow window;
    openFiles(doc, window, {folder.file("p.mdt")}, kOpenProject, folder.file("p.mdt"));
    ASSERT_TRUE(writeHorizontalLineTo(host, doc, 25, folder.file("expected.txt")));
    EXPECT_EQ(readFileBytes(folder.file("profile.txt")),
              readFileBytes(folder.file("expected.txt")));
    EXPECT_EQ(runCli(folder, {"line", "p.mdt", "--y", "25"}).exitCode, 0);
    EXPECT_TRUE(std::filesystem::exists(folder.file("line.txt")));

    const CliRun edge = runCli(folder, {"line", "p.mdt", "--y", "35"});
    EXPECT_EQ(edge.exitCode, 2);
    EXPECT_NE(edge.err.find("--y"), std::string::npos) << edge.err;
    EXPECT_EQ(runCli(folder, {"line", "p.mdt", "--y", "25", "--layer", "1"}).exitCode, 1);
    EXPECT_EQ(runCli(folder, {"line", "p.mdt"}).exitCode, 2);
}

namespace {

// A one-channel 32-bit float TIFF as rows of floats.
std::vector<float> readFloatTiff(const std::string& path, std::uint32_t& w, std::uint32_t& h) {
    TIFF* t = TIFFOpen(path.c_str(), "r");
    EXPECT_NE(t, nullptr) << path;
    if (!t) return {};
    TIFFGetField(t, TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(t, TIFFTAG_IMAGELENGTH, &h);
    std::vector<float> values(std::size_t{w} * h);
    for (std::uint32_t y = 0; y < h; ++y)
        TIFFReadScanline(t, values.data() + std::size_t{y} * w, y, 0);
    TIFFClose(t);
    return values;
}

} // namespace

// Connecting a synthetic series gives back its radiance L. Each exposure holds
// v = L t + d with t = 1 / F and a rounding error |d| <= 0.5, so the merged
// E = sum(F v^2) / sum(v) differs from L by (L sum(d) + sum(d^2 F)) / sum(v): at most
// (0.5 m L + 0.25 sum F) / sum(v) over the m samples in the band. The test holds every
// pixel to that bound (plus float rounding) and checks that pixels without a sample in the
// band stay 0.
TEST(CliSynth, ConnectingTheSeriesRecoversTheTruth) {
    TempFolder folder;
    const CliRun synth =
        runCli(folder, {"synth", "-o", "s", "--size", "96x64", "--exposures", "5"});
    ASSERT_EQ(synth.exitCode, 0) << synth.err;
    std::vector<std::string> args{"connect", "-o", "p", "--float-tiff", "p.tif"};
    for (int i = 0; i < 5; ++i)
        args.push_back("s/exp_0" + std::to_string(i) + ".bmp");
    const CliRun connect = runCli(folder, args);
    ASSERT_EQ(connect.exitCode, 0) << connect.err;

    std::uint32_t w = 0, h = 0, w2 = 0, h2 = 0;
    const std::vector<float> truth = readFloatTiff(folder.file("s/truth.tif"), w, h);
    const std::vector<float> merged = readFloatTiff(folder.file("p.tif"), w2, h2);
    ASSERT_EQ(w, 96u);
    ASSERT_EQ(h, 64u);
    ASSERT_EQ(w2, w);
    ASSERT_EQ(h2, h);
    std::vector<Bitmap> exposures;
    for (int i = 0; i < 5; ++i)
        exposures.push_back(readBmp(folder.file("s/exp_0" + std::to_string(i) + ".bmp")));
    const float factors[] = {1.0f / 30, 1.0f / 15, 0.125f, 0.25f, 0.5f};
    int compared = 0;
    for (std::uint32_t y = 0; y < h; ++y)
        for (std::uint32_t x = 0; x < w; ++x) {
            const double l = truth[y * w + x];
            const double e = merged[y * w + x];
            double sumV = 0, sumF = 0;
            int m = 0;
            for (int i = 0; i < 5; ++i) {
                const int v =
                    exposures[static_cast<std::size_t>(i)].row(static_cast<int>(y))[3 * x + 1];
                if (v >= 1 && v <= 190) {
                    ++m;
                    sumV += v;
                    sumF += factors[i];
                }
            }
            if (m == 0) {
                EXPECT_EQ(e, 0.0) << x << "," << y;
                continue;
            }
            const double bound = (0.5 * m * l + 0.25 * sumF) / sumV + 1e-5 * l;
            ASSERT_NEAR(e, l, bound) << x << "," << y;
            ++compared;
        }
    EXPECT_GT(compared, static_cast<int>(w * h) / 2);
}

TEST(CliSynth, BadUsageExitsWithTwo) {
    TempFolder folder;
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"synth"},
          {"synth", "-o", "s", "--size", "10"},
          {"synth", "-o", "s", "--format", "gif"},
          {"synth", "-o", "s", "--exposures", "5", "--time-index", "16"}}) {
        const CliRun run = runCli(folder, args);
        EXPECT_EQ(run.exitCode, 2) << args.back();
        EXPECT_EQ(run.err.rfind("fringel-cli: ", 0), 0u) << run.err;
    }
}
