// fringel-cli info: what a picture or project file holds, without loading it all.
#include "base/errors.h"
#include "commands.h"
#include "image/picture_formats.h"
#include "io/float_tiff.h"
#include "io/project.h"

#include <cstdio>

namespace fringel::cli {

namespace {

constexpr const char* kHelp =
    "Usage: fringel-cli info FILE [--json]\n"
    "\n"
    "Describes a picture or a project. Prints one line:\n"
    "  picture WIDTH HEIGHT FORMAT    (FORMAT: gray8, bgr24, indexed1, ..., float32 and\n"
    "                                  float32x3 for float TIFF files)\n"
    "  project WIDTH HEIGHT float32 LAYERS CHANNELS\n"
    "A picture is any file of a readable format (BMP, TIFF, PNG, JPEG, PPM/PGM/PBM, TGA,\n"
    "ICO); a project is a .mdt file (only its head is read).\n"
    "\n"
    "Options:\n"
    "  --json                 print one JSON object instead of the line\n"
    "  --help                 show this help\n";

const char* formatName(PixelFormat format) {
    switch (format) {
    case PixelFormat::Indexed1:
        return "indexed1";
    case PixelFormat::Indexed4:
        return "indexed4";
    case PixelFormat::Gray8:
        return "gray8";
    case PixelFormat::Rgb555:
        return "rgb555";
    case PixelFormat::Rgb565:
        return "rgb565";
    case PixelFormat::Bgr24:
        return "bgr24";
    case PixelFormat::Bgra32:
        return "bgra32";
    }
    return "unknown";
}

} // namespace

int infoCommand(Arguments& args) {
    std::string file;
    bool json = false;
    while (!args.done()) {
        const std::string a = args.take();
        if (a == "--help") {
            std::fputs(kHelp, stdout);
            return 0;
        } else if (a == "--json") {
            json = true;
        } else if (a.starts_with("-") && a.size() > 1) {
            throw UsageError("info: unknown option '" + a + "'");
        } else if (file.empty()) {
            file = a;
        } else {
            throw UsageError("info: more than one file ('" + a + "')");
        }
    }
    if (file.empty()) throw UsageError("info: no file given");
    requireFiles({file});

    if (pictureExtension(file) == "MDT") {
        const ProjectHeader h = readProjectHeader(file);
        if (h.version != 1)
            throw FileError(file, "unknown project file version " + std::to_string(h.version));
        if (h.layers <= 0 || h.channels <= 0 || h.width <= 0 || h.height <= 0)
            throw FileError(file, "the project's head holds no valid sizes");
        if (json)
            std::printf("{\"kind\": \"project\", \"width\": %d, \"height\": %d, \"format\": "
                        "\"float32\", \"layers\": %d, \"channels\": %d, \"version\": %d}\n",
                        h.width, h.height, h.layers, h.channels, h.version);
        else
            std::printf("project %d %d float32 %d %d\n", h.width, h.height, h.layers, h.channels);
        return 0;
    }
    // Float TIFF files (the float layers exported for other tools) are described, not read.
    if (const auto shape = floatTiffShape(file)) {
        const std::string format =
            shape->samples == 1 ? "float32" : "float32x" + std::to_string(shape->samples);
        if (json)
            std::printf("{\"kind\": \"picture\", \"width\": %d, \"height\": %d, \"format\": "
                        "\"%s\"}\n",
                        shape->width, shape->height, format.c_str());
        else
            std::printf("picture %d %d %s\n", shape->width, shape->height, format.c_str());
        return 0;
    }
    const Bitmap picture = loadPicture(file);
    if (json)
        std::printf("{\"kind\": \"picture\", \"width\": %d, \"height\": %d, \"format\": \"%s\"}\n",
                    picture.width(), picture.height(), formatName(picture.format()));
    else
        std::printf("picture %d %d %s\n", picture.width(), picture.height(),
                    formatName(picture.format()));
    return 0;
}

} // namespace fringel::cli
