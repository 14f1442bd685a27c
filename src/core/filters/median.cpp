#include "filters/median.h"

#include "base/background.h"
#include "base/clock.h"
#include "base/errors.h"
#include "base/number_text.h"
#include "base/progress.h"
#include "document/render.h"
#include "filters/median_kernel.h"

#include <algorithm>
#include <atomic>
#include <cstring>

namespace fringel {

std::optional<int> channelByteOfColorOrder(int colorOrder) {
    switch (colorOrder) {
    case 0:
        return 2;
    case 1:
        return 1;
    case 2:
        return 0;
    default:
        return std::nullopt;
    }
}

void TMediana::medianFilter(Host& host, int radius, int colorOrder, Bitmap& bitmap) const {
    if (bitmap.format() != PixelFormat::Bgr24)
        throw FringelError("The median filter needs a 24-bit picture");
    const auto started = startClock();
    const std::int32_t width = bitmap.width();
    const std::int32_t height = bitmap.height();
    radius = std::max(radius, 0);
    {
        PixelProgress progress(host, std::int64_t{width} * height);
        const std::optional<int> channel = channelByteOfColorOrder(colorOrder);
        if (channel && width > 0 && height > 0) {
            // Every window must see unfiltered values, so the result goes to a second picture
            // that then replaces the input.
            Bitmap output(width, height, PixelFormat::Bgr24);
            std::atomic<std::int64_t> rowsDone{0};
            const ByteChannelIn in{bitmap.bits() + *channel, bitmap.stride(), 3};
            const ByteChannelOut out{output.bits(), output.stride(), 3};
            runWithEvents(
                host, [&] { medianAllRows(in, width, height, radius, out, &rowsDone); },
                [&] { progress.update(rowsDone.load(std::memory_order_relaxed) * width); });
            bitmap = std::move(output);
        }
    }
    host.log("Median calcuation time: " + formatGeneral(elapsedSeconds(started)) + " s");
}

Bitmap applyMedian(Host& host, const Bitmap& exposure, int radius, int colorOrder) {
    Bitmap picture(exposure.width(), exposure.height(), PixelFormat::Bgr24);
    TMediana median;
    median.right = exposure.width();
    median.bottom = exposure.height();
    copyRegion(host, median.left, median.top, median.right, median.bottom, exposure, picture);
    median.medianFilter(host, radius, colorOrder, picture);
    return picture;
}

TMediana previewRegion(std::int32_t exposureWidth, std::int32_t exposureHeight,
                       std::int32_t previewWidth, std::int32_t previewHeight) {
    TMediana region;
    region.left = std::max(0, exposureWidth / 2 - previewWidth / 2);
    region.top = std::max(0, exposureHeight / 2 - previewHeight / 2);
    region.right = std::min(exposureWidth, exposureWidth / 2 + previewWidth / 2);
    region.bottom = std::min(exposureHeight, exposureHeight / 2 + previewHeight / 2);
    return region;
}

Bitmap previewMedian(Host& host, const Bitmap& exposure, int radius, int colorOrder,
                     std::int32_t previewWidth, std::int32_t previewHeight) {
    const TMediana region =
        previewRegion(exposure.width(), exposure.height(), previewWidth, previewHeight);
    Bitmap part(region.right - region.left, region.bottom - region.top, PixelFormat::Bgr24);
    copyRegion(host, region.left, region.top, region.right, region.bottom, exposure, part);
    region.medianFilter(host, radius, colorOrder, part);

    Bitmap preview(previewWidth, previewHeight, PixelFormat::Bgr24);
    const std::int32_t rows = std::min(part.height(), previewHeight);
    const std::size_t bytes = static_cast<std::size_t>(std::min(part.width(), previewWidth)) * 3;
    for (std::int32_t y = 0; y < rows; ++y)
        std::memcpy(preview.row(y), part.row(y), bytes);
    return preview;
}

} // namespace fringel
