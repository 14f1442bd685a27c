// Progress in pixel steps of the host's bar.
//
// A long loop of `units` work units sets the bar's maximum to units / width (width = the
// bar's width in pixels), raises the position to done / width whenever that is more than one
// step ahead of the shown position, and puts the position back to 0 when it ends.
#pragma once

#include "base/host.h"

#include <cstdint>

namespace fringel {

class PixelProgress {
public:
    PixelProgress(Host& host, std::int64_t units);
    ~PixelProgress();
    PixelProgress(const PixelProgress&) = delete;
    PixelProgress& operator=(const PixelProgress&) = delete;

    // Reports that `done` units (in all) are finished.
    void update(std::int64_t done);

private:
    Host& host_;
    int width_;
};

} // namespace fringel
