#include "document/planes.h"

#include "image/bitmap.h"

#include <algorithm>
#include <string>

namespace fringel {

Plane::Plane(std::int32_t width, std::int32_t height) {
    resize(width, height);
}

void Plane::resize(std::int32_t width, std::int32_t height) {
    if (!bitmapSizeAllowed(width, height))
        throw FringelError("Plane size " + std::to_string(width) + " x " + std::to_string(height) +
                           " is outside the allowed range");
    if (width == width_ && height == height_) return;
    DynamicArray<float, LargeBufferAllocator<float>> resized(std::int64_t{width} * height);
    const std::int32_t keepW = std::min(width, width_);
    const std::int32_t keepH = std::min(height, height_);
    for (std::int32_t y = 0; y < keepH; ++y)
        std::copy_n(row(y), keepW, resized.data() + std::int64_t{y} * width);
    samples_ = resized;
    width_ = width;
    height_ = height;
}

} // namespace fringel
