// fringel-cli line: the "Get Horizontal Line" profile of a project layer.
#include "base/errors.h"
#include "commands.h"
#include "document/layer_commands.h"

#include <climits>
#include <cstdio>

namespace fringel::cli {

namespace {

constexpr const char* kHelp =
    "Usage: fringel-cli line PROJECT.mdt --y Y [--layer L] [-o FILE]\n"
    "\n"
    "Writes the horizontal profile through row Y of a project layer, as \"Get Horizontal\n"
    "Line\" does: for every column the largest value of rows Y-20 .. Y+20, one number per\n"
    "line (C format, a point as decimal separator).\n"
    "\n"
    "Options:\n"
    "  --y Y                  the row, 20 .. height-21 (required)\n"
    "  --layer L              layer, counted from 0 (default 0)\n"
    "  -o FILE                the file to write (default line.txt)\n"
    "  --verbose              write the log lines to stderr\n"
    "  --help                 show this help\n";

} // namespace

int lineCommand(Arguments& args) {
    CliHost host;
    std::string project;
    std::string output = "line.txt";
    std::int32_t y = -1;
    std::int32_t layer = 0;
    while (!args.done()) {
        const std::string a = args.take();
        if (a == "--help") {
            std::fputs(kHelp, stdout);
            return 0;
        } else if (a == "--y") {
            y = intOption(a, args.valueOf(a), 0, INT32_MAX);
        } else if (a == "--layer") {
            layer = intOption(a, args.valueOf(a), 0, INT32_MAX);
        } else if (a == "-o") {
            output = args.valueOf(a);
        } else if (a == "--verbose") {
            host.verbose = true;
        } else if (a.starts_with("-") && a.size() > 1) {
            throw UsageError("line: unknown option '" + a + "'");
        } else if (project.empty()) {
            project = a;
        } else {
            throw UsageError("line: more than one project ('" + a + "')");
        }
    }
    if (project.empty()) throw UsageError("line: no project given");
    if (y < 0) throw UsageError("line: no row given (--y Y)");

    ImageDocument document(host);
    openProjectLayer(document, project, layer);
    const std::int32_t height = document.planes[layer][0].height();
    if (y < 20 || y + 20 >= height)
        throw UsageError("option '--y': row " + std::to_string(y) + " needs rows " +
                         std::to_string(y - 20) + " .. " + std::to_string(y + 20) +
                         ", the layer has rows 0 .. " + std::to_string(height - 1));
    if (!writeHorizontalLineTo(host, document, y, output))
        throw FileError(output, "cannot create the file");
    return 0;
}

} // namespace fringel::cli
