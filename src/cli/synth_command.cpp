// fringel-cli synth: a synthetic exposure series of a fabric's diffraction pattern with its
// true radiance, for checking connecting and measuring against a known answer.
#include "base/errors.h"
#include "base/number_text.h"
#include "base/replacing_file.h"
#include "commands.h"
#include "image/bmp_codec.h"
#include "io/float_tiff.h"
#include "trapez/synthetic_series.h"

#include <cstdio>
#include <filesystem>

namespace fringel::cli {

namespace {

constexpr const char* kHelp =
    "Usage: fringel-cli synth -o DIR [options]\n"
    "\n"
    "Writes a synthetic exposure series of the diffraction pattern of a woven mesh: one\n"
    "smooth spot per order of the trapezium model on a dim background, taken at N shutter\n"
    "times one stop apart (the longest first) from the table entry --time-index, as\n"
    "DIR/exp_00.bmp, exp_01.bmp, ... and the true radiance as the 32-bit float TIFF\n"
    "DIR/truth.tif, with DIR/orders.txt listing every whole order's place and peak height.\n"
    "Connecting the series with the same time index gives back the truth.\n"
    "Exposure i holds v = min(255, round(L / F(i) + noise)), F(i) the table entry.\n"
    "\n"
    "Options:\n"
    "  -o DIR                 the folder to write (created if needed; required)\n"
    "  --exposures N          number of exposures, 1..19 (default 5)\n"
    "  --size WxH             picture size (default 320x240)\n"
    "  --period B0            mesh period (default 169)\n"
    "  --diameter D           wire diameter 2r (default 51)\n"
    "  --angle DEG            inclination angle in whole degrees, 0..90 (default 20)\n"
    "  --time-index N         table entry of the first exposure (default 0)\n"
    "  --noise SIGMA          read noise in grey levels (default 0)\n"
    "  --seed S               seed of the noise (default 1)\n"
    "  --format bmp|bmp8|tiff 24-bit BMP, 8-bit BMP or 8-bit TIFF exposures (default bmp)\n"
    "  --help                 show this help\n";

// The whole orders inside the picture: "i j x y peak" per line, i down and j right, peak the
// spot's height in the radiance (background excluded), for checking measured energy ratios.
void writeOrderList(const SyntheticSeries& series, const std::string& path) {
    std::string text = "i\tj\tx\ty\tpeak\n";
    const IntensityGrid& grid = series.model.intensities;
    const double origin = series.model.originIntensity;
    const double peak = series.zeroOrderPeak;
    for (std::int64_t p = 0; p < grid.length(); p += 2)
        for (std::int64_t q = 0; q < grid[p].length(); q += 2) {
            const int i = static_cast<int>(p / 2);
            const int j = static_cast<int>(q / 2);
            const PixelPoint at = synthOrderCentre(series, i, j);
            if (at.x >= series.radiance.width() || at.y >= series.radiance.height()) continue;
            text += std::to_string(i) + "\t" + std::to_string(j) + "\t" + std::to_string(at.x) +
                    "\t" + std::to_string(at.y) + "\t" + formatC6(peak * grid[p][q] / origin) +
                    "\n";
        }
    ReplacingFile file(path);
    file.write(text);
    file.commit();
}

} // namespace

int synthCommand(Arguments& args) {
    SynthSettings s;
    std::string folder;
    std::string format = "bmp";
    while (!args.done()) {
        const std::string a = args.take();
        if (a == "--help") {
            std::fputs(kHelp, stdout);
            return 0;
        } else if (a == "-o") {
            folder = args.valueOf(a);
        } else if (a == "--exposures") {
            s.exposures = intOption(a, args.valueOf(a), 1, 19);
        } else if (a == "--size") {
            const std::string v = args.valueOf(a);
            const std::size_t x = v.find_first_of("xX");
            if (x == std::string::npos)
                throw UsageError("option '--size': '" + v + "' is not WIDTHxHEIGHT");
            s.width = intOption(a, v.substr(0, x), 16, kMaxBitmapSide);
            s.height = intOption(a, v.substr(x + 1), 16, kMaxBitmapSide);
        } else if (a == "--period") {
            s.period = static_cast<float>(numberOption(a, args.valueOf(a)));
        } else if (a == "--diameter") {
            s.diameter = static_cast<float>(numberOption(a, args.valueOf(a)));
        } else if (a == "--angle") {
            s.angleDegrees = intOption(a, args.valueOf(a), 0, 90);
        } else if (a == "--time-index") {
            s.timeIndex = intOption(a, args.valueOf(a), 0, 18);
        } else if (a == "--noise") {
            s.noise = numberOption(a, args.valueOf(a));
            if (s.noise < 0) throw UsageError("option '--noise': the noise cannot be negative");
        } else if (a == "--seed") {
            s.seed = static_cast<std::uint32_t>(intOption(a, args.valueOf(a), 0, INT32_MAX));
        } else if (a == "--format") {
            format = args.valueOf(a);
            if (format != "bmp" && format != "bmp8" && format != "tiff")
                throw UsageError("option '--format': unknown format '" + format + "'");
        } else if (a.starts_with("-") && a.size() > 1) {
            throw UsageError("synth: unknown option '" + a + "'");
        } else {
            throw UsageError("synth: unexpected argument '" + a + "'");
        }
    }
    if (folder.empty()) throw UsageError("synth: no output folder given (-o DIR)");
    if (s.timeIndex + s.exposures > 19)
        throw UsageError("synth: " + std::to_string(s.exposures) + " exposures from time index " +
                         std::to_string(s.timeIndex) + " run past the shutter table");

    const SyntheticSeries series = synthesizeSeries(s);
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) throw FileError(folder, "cannot create the folder: " + ec.message());
    for (std::size_t i = 0; i < series.exposures.size(); ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "exp_%02zu.%s", i, format == "tiff" ? "tif" : "bmp");
        const std::string path = (std::filesystem::path(folder) / name).string();
        if (format == "tiff")
            writePictureTiff(series.exposures[i], path);
        else if (format == "bmp8")
            writeBmp(series.exposures[i], path);
        else
            writeBmp(toBgr24(series.exposures[i]), path);
    }
    writeFloatTiff((std::filesystem::path(folder) / "truth.tif").string(), {&series.radiance});
    writeOrderList(series, (std::filesystem::path(folder) / "orders.txt").string());
    return 0;
}

} // namespace fringel::cli
