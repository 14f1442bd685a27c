// A Host for tests: remembers every log line, progress call and message, so a test can check
// what the core told the user and in which order.
#pragma once

#include "base/host.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace fringel::test {

class RecordingHost : public Host {
public:
    enum class ProgressKind { Maximum, Position };
    struct ProgressCall {
        ProgressKind kind;
        int value;
        bool operator==(const ProgressCall&) const = default;
    };

    // What the core sent, in the order it came.
    std::vector<std::string> logLines;
    std::vector<ProgressCall> progressCalls;
    std::vector<std::string> messages;
    int eventsProcessed = 0;

    // The width the progress bar reports, in pixels.
    int barWidth = 1;

    // Called with each log line as it arrives, to look at the caller's state at that moment.
    std::function<void(std::string_view)> onLog;

    void log(std::string_view line) override {
        logLines.emplace_back(line);
        if (onLog) onLog(line);
    }
    void setProgressMaximum(int maximum) override {
        progressCalls.push_back({ProgressKind::Maximum, maximum});
    }
    void setProgressPosition(int position) override {
        position_ = position;
        progressCalls.push_back({ProgressKind::Position, position});
    }
    int progressPosition() const override { return position_; }
    int progressBarWidth() const override { return barWidth; }
    void processEvents() override { ++eventsProcessed; }
    void showMessage(std::string_view text) override { messages.emplace_back(text); }

    // The values of the calls of one kind, in order.
    std::vector<int> values(ProgressKind kind) const {
        std::vector<int> out;
        for (const ProgressCall& c : progressCalls)
            if (c.kind == kind) out.push_back(c.value);
        return out;
    }

private:
    int position_ = 0;
};

} // namespace fringel::test
