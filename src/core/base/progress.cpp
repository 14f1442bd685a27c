#include "base/progress.h"

#include <algorithm>
#include <limits>

namespace fringel {

namespace {
int clampToInt(std::int64_t v) {
    return static_cast<int>(std::clamp<std::int64_t>(v, 0, std::numeric_limits<int>::max()));
}
} // namespace

PixelProgress::PixelProgress(Host& host, std::int64_t units)
    : host_(host), width_(std::max(1, host.progressBarWidth())) {
    host_.setProgressMaximum(clampToInt(units / width_));
    host_.setProgressPosition(0);
}

PixelProgress::~PixelProgress() {
    host_.setProgressPosition(0);
}

void PixelProgress::update(std::int64_t done) {
    const int step = clampToInt(done / width_);
    if (step - host_.progressPosition() > 1) host_.setProgressPosition(step);
}

} // namespace fringel
