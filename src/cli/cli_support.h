// What every fringel-cli command shares: the host, usage errors and option values.
#pragma once

#include "base/host.h"
#include "document/image_document.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace fringel::cli {

// Bad usage: the command ends with exit code 2 and this one line.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A processing failure the core reported in its log rather than by an exception: exit code 1.
class Failure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Log lines go to stderr with --verbose; there is no progress bar and no event loop. Messages
// the windows would show in a box are kept for the command to report.
class CliHost : public Host {
public:
    bool verbose = false;
    std::vector<std::string> messages;

    void log(std::string_view line) override;
    void setProgressMaximum(int) override {}
    void setProgressPosition(int position) override { position_ = position; }
    int progressPosition() const override { return position_; }
    int progressBarWidth() const override { return 1; }
    void processEvents() override {}
    void showMessage(std::string_view text) override;

private:
    int position_ = 0;
};

// The arguments after the command name, taken one by one.
class Arguments {
public:
    Arguments(int argc, char** argv, int first);
    bool done() const { return next_ >= args_.size(); }
    std::string take();
    // The value after option `name`; a missing value is a usage error.
    std::string valueOf(std::string_view name);

private:
    std::vector<std::string> args_;
    std::size_t next_ = 0;
};

// An integer option value within [min, max]; anything else is a usage error naming the option.
std::int32_t intOption(std::string_view option, std::string_view text, std::int32_t min,
                       std::int32_t max);

// A list of exactly `count` integers separated by commas ("0,190").
std::vector<std::int32_t> intListOption(std::string_view option, std::string_view text,
                                        std::size_t count);

// A floating-point option value; the decimal separator may be a point or a comma.
double numberOption(std::string_view option, std::string_view text);

// Two numbers separated by a comma ("1,0.1"), each with a point as decimal separator; or four
// comma-separated parts read as two numbers with decimal commas ("1,5,0,1" is 1.5 and 0.1).
std::pair<double, double> numberPairOption(std::string_view option, std::string_view text);

// The shortest text that reads back as the same float32, with a point; not-a-number prints
// "nan", or "null" for JSON.
std::string shortestNumber(double value, bool json = false);

// Reads the project into the empty document and makes layer `layer` current. A project that
// cannot be read or has no layers raises FileError; a layer it does not have, Failure.
void openProjectLayer(ImageDocument& document, const std::string& project, std::int32_t layer);

// Ends with a usage error unless every file exists and is a regular file (exit code 1 then).
void requireFiles(const std::vector<std::string>& files);

} // namespace fringel::cli
