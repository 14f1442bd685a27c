// Host hooks: the five things the core needs from whoever runs it.
//
// The GUI implements them with the status bar and log panel, the progress bar, the event loop
// and a message box; the command line with stderr and no-ops; the tests with recorders.
// Only the thread that called into the core touches the host.
#pragma once

#include <string>
#include <string_view>

namespace fringel {

class Host {
public:
    virtual ~Host() = default;

    // One log line: no prefix, no time stamp.
    virtual void log(std::string_view line) = 0;

    // The progress bar: its maximum, its position, and its width in pixels (long loops scale
    // their work units by the width, so the bar moves one pixel per step).
    virtual void setProgressMaximum(int maximum) = 0;
    virtual void setProgressPosition(int position) = 0;
    virtual int progressPosition() const = 0;
    virtual int progressBarWidth() const = 0;

    // Lets pending user-interface events run, so the window stays responsive in long loops.
    virtual void processEvents() = 0;

    // A modal message the user must acknowledge.
    virtual void showMessage(std::string_view text) = 0;
};

// A host that does nothing: for callers that want no log, no progress and no messages.
class SilentHost : public Host {
public:
    void log(std::string_view) override {}
    void setProgressMaximum(int) override {}
    void setProgressPosition(int position) override { position_ = position; }
    int progressPosition() const override { return position_; }
    int progressBarWidth() const override { return 1; }
    void processEvents() override {}
    void showMessage(std::string_view) override {}

private:
    int position_ = 0;
};

} // namespace fringel
