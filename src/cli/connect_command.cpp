// fringel-cli connect: the "Connect" button on a series of files, saved as a project.
#include "base/errors.h"
#include "commands.h"
#include "connect/con_img.h"
#include "image/picture_formats.h"
#include "io/float_tiff.h"
#include "io/open_series.h"
#include "io/project.h"

#include <algorithm>
#include <cstdio>

namespace fringel::cli {

namespace {

constexpr const char* kHelp =
    "Usage: fringel-cli connect [options] -o NAME FILE...\n"
    "\n"
    "Connects the exposures FILE... (one stop apart, sorted by name) into one float layer,\n"
    "as the \"Connect\" button does, and saves it as the project NAME.mdt with NAME_0.bmp.\n"
    "The exposures may be BMP, TIFF, PNG, JPEG, PPM/PGM/PBM, TGA or ICO files, read by\n"
    "their extension.\n"
    "\n"
    "Options:\n"
    "  --channel red|green|blue|rgb  colour channel of 24-bit exposures (default green)\n"
    "  --time-index N                shutter-time table index of the first exposure, 0..18\n"
    "                                (default 0: 1/30 s; 5 is 1 s)\n"
    "  --cutoff LOW,TOP              band of pixel values that count (default 0,190)\n"
    "  --trim X,Y,W,H                connect only this region\n"
    "  --median R                    median-filter every exposure first, radius 0..100\n"
    "  --float-tiff OUT.tif          also write the linear float layer as a 32-bit float TIFF\n"
    "                                (rgb: the three channels)\n"
    "  -o NAME                       project name; a trailing \".mdt\" is dropped\n"
    "  --verbose                     write the log lines to stderr\n"
    "  --help                        show this help\n";

} // namespace

int colorOrderOption(std::string_view text, bool allowRgb) {
    if (text == "red") return 0;
    if (text == "green") return 1;
    if (text == "blue") return 2;
    if (allowRgb && text == "rgb") return 3;
    throw UsageError("option '--channel': unknown channel '" + std::string(text) + "'");
}

int connectCommand(Arguments& args) {
    CliHost host;
    ConnectSettings settings;
    settings.selectionStart = 255 - 190;
    settings.selectionEnd = 255 - 0;
    int timeIndex = 0;
    std::string name;
    std::string floatTiff;
    std::vector<std::string> files;
    while (!args.done()) {
        const std::string a = args.take();
        if (a == "--help") {
            std::fputs(kHelp, stdout);
            return 0;
        } else if (a == "--channel") {
            settings.colorOrder = colorOrderOption(args.valueOf(a), true);
        } else if (a == "--time-index") {
            timeIndex = intOption(a, args.valueOf(a), 0, ImageDocument::kExposureTimeCount - 1);
        } else if (a == "--cutoff") {
            const auto band = intListOption(a, args.valueOf(a), 2);
            for (const std::int32_t level : band)
                intOption(a, std::to_string(level), 0, 255);
            settings.selectionStart = 255 - band[1];
            settings.selectionEnd = 255 - band[0];
        } else if (a == "--trim") {
            const auto r = intListOption(a, args.valueOf(a), 4);
            settings.trimming = TrimmingBoxes{std::to_string(r[0]), std::to_string(r[1]),
                                              std::to_string(r[2]), std::to_string(r[3])};
        } else if (a == "--median") {
            settings.medianInCalculations = true;
            settings.medianRadius = intOption(a, args.valueOf(a), 0, 100);
        } else if (a == "--float-tiff") {
            floatTiff = args.valueOf(a);
        } else if (a == "-o") {
            name = args.valueOf(a);
        } else if (a == "--verbose") {
            host.verbose = true;
        } else if (a.starts_with("-") && a.size() > 1) {
            throw UsageError("connect: unknown option '" + a + "'");
        } else {
            files.push_back(a);
        }
    }
    if (name.empty()) throw UsageError("connect: no project name given (-o NAME)");
    if (files.empty()) throw UsageError("connect: no exposure files given");
    if (name.size() > 4 && name.ends_with(".mdt")) name.resize(name.size() - 4);

    requireFiles(files);
    ImageDocument document(host);
    NoOpenWindow window;
    // BMP series open as the BMP entry does, anything else by its extension's decoder.
    const bool allBmp = std::all_of(files.begin(), files.end(), [](const std::string& f) {
        return pictureExtension(f) == "BMP";
    });
    openFiles(document, window, files, allBmp ? kOpenBmpSeries : kOpenPictureSeries, files.front());
    const auto exposures = static_cast<int>(document.bufferBitmaps.length());
    if (timeIndex + exposures > ImageDocument::kExposureTimeCount)
        throw Failure(std::to_string(exposures) + " exposures from time index " +
                      std::to_string(timeIndex) + " run past the last shutter time (index " +
                      std::to_string(ImageDocument::kExposureTimeCount - 1) + ")");
    document.timeIndex = timeIndex;

    conImg connector(host);
    const ConnectOutcome outcome = connector.connect(document, settings);
    if (!outcome.connected) throw Failure(connector.refusal());
    writeProject(host, document, name);
    if (!floatTiff.empty()) {
        writeLayerFloatTiff(document, document.planes.length() - 1, floatTiff);
    }
    return 0;
}

} // namespace fringel::cli
