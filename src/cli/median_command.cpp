// fringel-cli median: the "Filters" tab's median filter on one picture.
#include "base/errors.h"
#include "commands.h"
#include "filters/median.h"
#include "image/bmp_codec.h"
#include "image/picture_formats.h"

#include <cstdio>

namespace fringel::cli {

namespace {

constexpr const char* kHelp =
    "Usage: fringel-cli median IN --radius R [--channel red|green|blue] -o OUT.bmp\n"
    "\n"
    "Median-filters one colour channel of the picture IN over a (2R+1) x (2R+1) window\n"
    "(clipped at the borders) and writes the result as a grey 24-bit BMP. IN may be any\n"
    "readable picture (BMP, TIFF, PNG, JPEG, ...).\n"
    "\n"
    "Options:\n"
    "  --radius R                  window radius, 0..100 (required)\n"
    "  --channel red|green|blue    channel to filter (default green)\n"
    "  -o OUT.bmp                  output file, written under exactly this name\n"
    "  --verbose                   write the log lines to stderr\n"
    "  --help                      show this help\n";

} // namespace

int medianCommand(Arguments& args) {
    CliHost host;
    int radius = -1;
    int colorOrder = 1;
    std::string input;
    std::string output;
    while (!args.done()) {
        const std::string a = args.take();
        if (a == "--help") {
            std::fputs(kHelp, stdout);
            return 0;
        } else if (a == "--radius") {
            radius = intOption(a, args.valueOf(a), 0, 100);
        } else if (a == "--channel") {
            colorOrder = colorOrderOption(args.valueOf(a), false);
        } else if (a == "-o") {
            output = args.valueOf(a);
        } else if (a == "--verbose") {
            host.verbose = true;
        } else if (a.starts_with("-") && a.size() > 1) {
            throw UsageError("median: unknown option '" + a + "'");
        } else if (input.empty()) {
            input = a;
        } else {
            throw UsageError("median: more than one input picture ('" + a + "')");
        }
    }
    if (input.empty()) throw UsageError("median: no input picture given");
    if (radius < 0) throw UsageError("median: no radius given (--radius R)");
    if (output.empty()) throw UsageError("median: no output file given (-o OUT.bmp)");

    Bitmap picture = loadPicture(input);
    // Pictures of other depths are read as colour first, so every BMP can be filtered.
    if (picture.format() != PixelFormat::Gray8 && picture.format() != PixelFormat::Bgr24)
        picture = toBgr24(picture);
    writeBmp(applyMedian(host, picture, radius, colorOrder), output);
    return 0;
}

} // namespace fringel::cli
