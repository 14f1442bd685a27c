#include "cli_support.h"

#include "base/errors.h"
#include "base/number_text.h"
#include "io/open_series.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>

namespace fringel::cli {

void CliHost::log(std::string_view line) {
    if (verbose) std::fprintf(stderr, "%.*s\n", static_cast<int>(line.size()), line.data());
}

void CliHost::showMessage(std::string_view text) {
    messages.emplace_back(text);
}

Arguments::Arguments(int argc, char** argv, int first) {
    for (int i = first; i < argc; ++i)
        args_.emplace_back(argv[i]);
}

std::string Arguments::take() {
    return args_.at(next_++);
}

std::string Arguments::valueOf(std::string_view name) {
    if (done()) throw UsageError("option '" + std::string(name) + "' needs a value");
    return take();
}

std::int32_t intOption(std::string_view option, std::string_view text, std::int32_t min,
                       std::int32_t max) {
    std::int32_t value = 0;
    try {
        value = parseInt(text);
    } catch (const ConversionError&) {
        throw UsageError("option '" + std::string(option) + "': '" + std::string(text) +
                         "' is no integer");
    }
    if (value < min || value > max)
        throw UsageError("option '" + std::string(option) + "': " + std::to_string(value) +
                         " is outside " + std::to_string(min) + ".." + std::to_string(max));
    return value;
}

std::vector<std::int32_t> intListOption(std::string_view option, std::string_view text,
                                        std::size_t count) {
    std::vector<std::int32_t> values;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        const std::string_view part = text.substr(start, comma - start);
        values.push_back(intOption(option, part, INT32_MIN, INT32_MAX));
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    if (values.size() != count)
        throw UsageError("option '" + std::string(option) + "' needs " + std::to_string(count) +
                         " comma-separated integers, got '" + std::string(text) + "'");
    return values;
}

double numberOption(std::string_view option, std::string_view text) {
    std::string typed(text);
    for (char& c : typed)
        if (c == '.') c = ',';
    try {
        return parseFloat(typed);
    } catch (const ConversionError&) {
        throw UsageError("option '" + std::string(option) + "': '" + std::string(text) +
                         "' is no number");
    }
}

std::pair<double, double> numberPairOption(std::string_view option, std::string_view text) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (std::size_t comma; (comma = text.find(',', start)) != std::string_view::npos;
         start = comma + 1)
        parts.push_back(text.substr(start, comma - start));
    parts.push_back(text.substr(start));
    if (parts.size() == 2) return {numberOption(option, parts[0]), numberOption(option, parts[1])};
    if (parts.size() == 4) {
        const auto joined = [&](std::size_t i) {
            return std::string(parts[i]) + "," + std::string(parts[i + 1]);
        };
        return {numberOption(option, joined(0)), numberOption(option, joined(2))};
    }
    throw UsageError("option '" + std::string(option) + "': '" + std::string(text) +
                     "' is not two numbers (write them as 1,0.1)");
}

std::string shortestNumber(double value, bool json) {
    if (!std::isfinite(value)) return json ? "null" : "nan";
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, static_cast<float>(value));
    return std::string(buf, res.ptr);
}

void openProjectLayer(ImageDocument& document, const std::string& project, std::int32_t layer) {
    requireFiles({project});
    NoOpenWindow window;
    openFiles(document, window, {project}, kOpenProject, project);
    if (document.planes.length() == 0) throw FileError(project, "the project holds no layers");
    if (layer >= document.planes.length())
        throw Failure("layer " + std::to_string(layer) + " does not exist; " + project + " has " +
                      std::to_string(document.planes.length()) + " layers");
    document.currentLayer = layer;
}

void requireFiles(const std::vector<std::string>& files) {
    for (const std::string& f : files) {
        std::error_code ec;
        const auto status =
            std::filesystem::status(std::filesystem::path(std::u8string(f.begin(), f.end())), ec);
        if (status.type() == std::filesystem::file_type::not_found)
            throw FileError(f, "file not found");
        if (status.type() != std::filesystem::file_type::regular)
            throw FileError(f, "not a regular file");
    }
}

} // namespace fringel::cli
