// fringel-cli: Fringel's analysis without a window, for scripts and machines with no display.
// Exit codes: 0 success, 1 processing failure, 2 bad usage.
#include "base/errors.h"
#include "commands.h"
#ifdef FRINGEL_QT_PICTURES
#include "qt_picture_formats.h"
#endif

#include <cstdio>
#include <exception>
#include <string>
#include <string_view>

namespace {

constexpr const char* kUsage =
    "Usage: fringel-cli <command> [options]\n"
    "\n"
    "Fringel measures diffraction patterns photographed as exposure series.\n"
    "\n"
    "Commands:\n"
    "  connect    connect an exposure series into a float layer and save it as a project\n"
    "  measure    measure the energy of a diffraction order in a project\n"
    "  median     median-filter one channel of a picture\n"
    "  simulate   simulate the diffraction image of a mesh of trapezium openings\n"
    "  info       describe a picture or a project file\n"
    "  line       write the horizontal profile through a row of a project layer\n"
    "  synth      write a synthetic exposure series with its true radiance\n"
    "\n"
    "Options:\n"
    "  --help       show this help and exit\n"
    "  --version    show the version and exit\n"
    "\n"
    "'fringel-cli <command> --help' describes a command.\n";

int usageError(std::string_view message) {
    std::fprintf(stderr, "fringel-cli: %.*s\nTry 'fringel-cli --help'.\n",
                 static_cast<int>(message.size()), message.data());
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    using namespace fringel::cli;
#ifdef FRINGEL_QT_PICTURES
    fringel::registerQtPictureFormats();
    fringel::silenceQtMessages();
#endif
    try {
        if (argc < 2) return usageError("no command given");
        const std::string_view first = argv[1];
        if (first == "--help" || first == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (first == "--version") {
            std::printf("fringel-cli %s (Fringel ver. 0.9 Beta)\n", FRINGEL_VERSION);
            return 0;
        }
        Arguments args(argc, argv, 2);
        if (first == "connect") return connectCommand(args);
        if (first == "median") return medianCommand(args);
        if (first == "measure") return measureCommand(args);
        if (first == "simulate") return simulateCommand(args);
        if (first == "info") return infoCommand(args);
        if (first == "line") return lineCommand(args);
        if (first == "synth") return synthCommand(args);
        if (first.starts_with("-"))
            return usageError("unknown option '" + std::string(first) + "'");
        return usageError("unknown command '" + std::string(first) + "'");
    } catch (const UsageError& e) {
        return usageError(e.what());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "fringel-cli: %s\n", e.what());
        return 1;
    }
}
