// fringel-cli simulate: the trapezium simulation window's run, picture and files.
#include "base/number_text.h"
#include "commands.h"
#include "image/bmp_codec.h"
#include "trapez/trapezium_drawing.h"
#include "trapez/trapezium_files.h"
#include "trapez/trapezium_model.h"

#include <cstdio>
#include <optional>

namespace fringel::cli {

namespace {

constexpr const char* kHelp =
    "Usage: fringel-cli simulate [options]\n"
    "\n"
    "Simulates the diffraction image of a woven mesh whose openings, seen at an inclination\n"
    "angle, are trapeziums, as the \"Trapezium Theorem\" window does, and prints one line:\n"
    "f g b0 a0 c originIntensity.\n"
    "\n"
    "Options:\n"
    "  --period B0            mesh period (default 169)\n"
    "  --diameter D           wire diameter 2r (default 51)\n"
    "  --angle DEG            inclination angle in whole degrees, 0..90 (default 20)\n"
    "  --spacing S            pixels between neighbouring orders, 1..100 (default 20)\n"
    "  --image OUT.bmp        write the 600 x 600 picture (the window's drawing defaults)\n"
    "  --report NAME          write the report NAME.mts (\".mts\" is always appended)\n"
    "  --envelope K,STEP      write the envelope |R| at horizontal order K every STEP into\n"
    "                         k(K)_byStep[STEP].mts in the current directory\n"
    "  --json                 print one JSON object instead of the line\n"
    "  --help                 show this help\n";

constexpr std::int32_t kPictureSize = 600;

} // namespace

int simulateCommand(Arguments& args) {
    TrapeziumInput input;
    input.imageWidth = kPictureSize;
    std::string image;
    std::string report;
    std::optional<std::pair<double, double>> envelope;
    bool json = false;
    while (!args.done()) {
        const std::string a = args.take();
        if (a == "--help") {
            std::fputs(kHelp, stdout);
            return 0;
        } else if (a == "--period") {
            input.period = static_cast<float>(numberOption(a, args.valueOf(a)));
        } else if (a == "--diameter") {
            input.diameter = static_cast<float>(numberOption(a, args.valueOf(a)));
        } else if (a == "--angle") {
            input.angleDegrees = intOption(a, args.valueOf(a), 0, 90);
        } else if (a == "--spacing") {
            input.spacing = intOption(a, args.valueOf(a), 1, 100);
        } else if (a == "--image") {
            image = args.valueOf(a);
        } else if (a == "--report") {
            report = args.valueOf(a);
        } else if (a == "--envelope") {
            envelope = numberPairOption(a, args.valueOf(a));
            if (!(envelope->second > 0))
                throw UsageError("option '--envelope': the step must be greater than 0");
        } else if (a == "--json") {
            json = true;
        } else if (a.starts_with("-") && a.size() > 1) {
            throw UsageError("simulate: unknown option '" + a + "'");
        } else {
            throw UsageError("simulate: unexpected argument '" + a + "'");
        }
    }

    const TrapeziumModel model = computeTrapeziumModel(input);
    if (!image.empty()) {
        Bitmap picture(kPictureSize, kPictureSize);
        drawSimulation(picture, model, DrawingOptions{});
        writeBmp(picture, image);
    }
    if (!report.empty()) writeSimulationReport(simulationReportName(report), model);
    if (envelope) {
        const auto k = static_cast<float>(envelope->first);
        const auto step = static_cast<float>(envelope->second);
        writeEnvelope(envelopeFileName(k, step), model, k, step);
    }

    const TrapeziumParameters& p = model.parameters;
    if (json) {
        std::printf("{\"f\": %s, \"g\": %s, \"b0\": %s, \"a0\": %s, \"c\": %s, "
                    "\"originIntensity\": %s}\n",
                    shortestNumber(p.f, true).c_str(), shortestNumber(p.g, true).c_str(),
                    shortestNumber(p.b0, true).c_str(), shortestNumber(p.a0, true).c_str(),
                    shortestNumber(p.c, true).c_str(),
                    shortestNumber(model.originIntensity, true).c_str());
    } else {
        std::printf("%s %s %s %s %s %s\n", shortestNumber(p.f).c_str(), shortestNumber(p.g).c_str(),
                    shortestNumber(p.b0).c_str(), shortestNumber(p.a0).c_str(),
                    shortestNumber(p.c).c_str(), shortestNumber(model.originIntensity).c_str());
    }
    return 0;
}

} // namespace fringel::cli
