// The millisecond clock of the "... time: <seconds> s" log lines.
#pragma once

#include <chrono>

namespace fringel {

using ClockStart = std::chrono::steady_clock::time_point;

inline ClockStart startClock() {
    return std::chrono::steady_clock::now();
}

// Whole milliseconds since `start`, times 0.001.
inline double elapsedSeconds(ClockStart start) {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    return static_cast<double>(ms.count()) * 0.001;
}

} // namespace fringel
