// fringel-cli measure: the "Find" button on one layer of a project.
#include "base/errors.h"
#include "commands.h"
#include "energy/measurement.h"
#include "image/bmp_codec.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace fringel::cli {

namespace {

constexpr const char* kHelp =
    "Usage: fringel-cli measure PROJECT.mdt --at X,Y [options]\n"
    "\n"
    "Finds the diffraction order next to (X, Y) on a layer of the project and measures its\n"
    "energy (the sum inside r less the ring out to R) and the diode reading, as the \"Find\"\n"
    "button does. Writes energy.txt and Peak@(x,y).txt into the current directory and prints\n"
    "one line: x y r R E noise diode (noise in percent of the inner sum).\n"
    "\n"
    "Options:\n"
    "  --at X,Y               start point (required)\n"
    "  --layer L              layer, counted from 0 (default 0)\n"
    "  --method quick|fine|gauss   peak search (default fine)\n"
    "  --range N              search range, 2..200 (default 25)\n"
    "  --cut-level N          radius level in tenths of a percent of the peak, 1..200\n"
    "                         (default 20)\n"
    "  --fine-tuning N        centring level in percent of the peak, 1..99 (default 20)\n"
    "  --diode N              diode size, 2..200 (default 10)\n"
    "  --freeze-radius r      use the inner radius r (and R = r x sqrt 2) instead of finding it\n"
    "  --max-energy E         maximum energy for the E/Em label\n"
    "  --max-diode D          maximum diode reading for the Ed/Edm label\n"
    "  --auto                 write the result line into energy.txt (\"Auto Calculate\")\n"
    "  --marks OUT.bmp        write the layer picture with the marks (labels are not drawn)\n"
    "  --json                 print one JSON object instead of the line\n"
    "  --verbose              write the log lines to stderr\n"
    "  --help                 show this help\n";

} // namespace

int measureCommand(Arguments& args) {
    CliHost host;
    MeasurementInput input;
    std::string project;
    std::string marks;
    std::int32_t layer = 0;
    bool at = false;
    bool json = false;
    double maxEnergy = 0;
    double maxDiode = 0;
    while (!args.done()) {
        const std::string a = args.take();
        if (a == "--help") {
            std::fputs(kHelp, stdout);
            return 0;
        } else if (a == "--at") {
            const auto xy = intListOption(a, args.valueOf(a), 2);
            for (const std::int32_t v : xy)
                intOption(a, std::to_string(v), 0, INT32_MAX);
            input.startX = std::to_string(xy[0]);
            input.startY = std::to_string(xy[1]);
            at = true;
        } else if (a == "--layer") {
            layer = intOption(a, args.valueOf(a), 0, INT32_MAX);
        } else if (a == "--method") {
            const std::string m = args.valueOf(a);
            if (m == "quick")
                input.method = kQuickMethod;
            else if (m == "fine")
                input.method = kFineMethod;
            else if (m == "gauss")
                input.method = kGaussMethod;
            else
                throw UsageError("option '--method': unknown method '" + m + "'");
        } else if (a == "--range") {
            input.range = intOption(a, args.valueOf(a), 2, 200);
        } else if (a == "--cut-level") {
            input.cutLevel = intOption(a, args.valueOf(a), 1, 200);
        } else if (a == "--fine-tuning") {
            input.fineTuning = intOption(a, args.valueOf(a), 1, 99);
        } else if (a == "--diode") {
            input.diodeSize = intOption(a, args.valueOf(a), 2, 200);
        } else if (a == "--freeze-radius") {
            const std::int32_t r = intOption(a, args.valueOf(a), 0, 100000);
            input.freezeRadius = true;
            input.innerRadius = std::to_string(r);
            const float square = static_cast<float>(r) * static_cast<float>(r);
            input.outerRadius =
                std::to_string(static_cast<std::int32_t>(std::trunc(std::sqrt(2.0 * square))));
        } else if (a == "--max-energy") {
            maxEnergy = numberOption(a, args.valueOf(a));
        } else if (a == "--max-diode") {
            maxDiode = numberOption(a, args.valueOf(a));
        } else if (a == "--auto") {
            input.autoCalculate = true;
        } else if (a == "--marks") {
            marks = args.valueOf(a);
        } else if (a == "--json") {
            json = true;
        } else if (a == "--verbose") {
            host.verbose = true;
        } else if (a.starts_with("-") && a.size() > 1) {
            throw UsageError("measure: unknown option '" + a + "'");
        } else if (project.empty()) {
            project = a;
        } else {
            throw UsageError("measure: more than one project ('" + a + "')");
        }
    }
    if (project.empty()) throw UsageError("measure: no project given");
    if (!at) throw UsageError("measure: no start point given (--at X,Y)");

    ImageDocument document(host);
    openProjectLayer(document, project, layer);
    document.showBitmap(*document.bitmaps[layer]);
    document.maxEnergy = static_cast<float>(maxEnergy);
    document.maxDiodeReading = static_cast<float>(maxDiode);

    SilentMeasurementView view;
    const auto result = runMeasurement(document, input, view);
    if (!result) throw Failure(host.messages.empty() ? kNothingFoundMessage : host.messages.back());
    for (const std::string& m : host.messages)
        std::fprintf(stderr, "fringel-cli: warning: %s\n", m.c_str());
    if (!marks.empty()) writeBmp(document.shownPicture, marks);

    const funFindSum* record = &result->record;
    const double noise = result->noisePercent.value_or(std::numeric_limits<double>::quiet_NaN());
    if (json) {
        std::printf("{\"x\": %d, \"y\": %d, \"r\": %d, \"R\": %d, \"E\": %s, \"noise\": %s, "
                    "\"diode\": %s, \"peakValue\": %s, \"range\": %d}\n",
                    record->peakX, record->peakY, record->innerRadius, record->outerRadius,
                    shortestNumber(record->energy, true).c_str(),
                    shortestNumber(noise, true).c_str(),
                    shortestNumber(record->diodeReading, true).c_str(),
                    shortestNumber(record->peakValue, true).c_str(), record->range);
    } else {
        std::printf("%d %d %d %d %s %s %s\n", record->peakX, record->peakY, record->innerRadius,
                    record->outerRadius, shortestNumber(record->energy, false).c_str(),
                    shortestNumber(noise, false).c_str(),
                    shortestNumber(record->diodeReading, false).c_str());
    }
    return 0;
}

} // namespace fringel::cli
