// The float image data of a document: layers of channels of W x H float samples.
//
// A value is addressed as planes[layer][channel].at(x, y), x the column (0 at the left) and
// y the row (0 at the top). Every index is checked and raises DynArrayOutOfRange with the
// index and the length of the dimension it missed. A channel stores its samples row after row
// in one block, so kernels walk it with row pointers.
#pragma once

#include "base/dynamic_array.h"
#include "base/large_buffer_allocator.h"

#include <cstdint>

namespace fringel {

class Plane {
public:
    Plane() = default;
    // A width x height plane with every sample 0. Raises FringelError beyond the size limits
    // of pictures (image/bitmap.h).
    Plane(std::int32_t width, std::int32_t height);

    std::int32_t width() const { return width_; }
    std::int32_t height() const { return height_; }

    float& at(std::int64_t x, std::int64_t y) { return samples_.data()[offset(x, y)]; }
    float at(std::int64_t x, std::int64_t y) const { return samples_.data()[offset(x, y)]; }

    // Row y, unchecked: callers keep 0 <= y < height.
    float* row(std::int32_t y) { return samples_.data() + std::int64_t{y} * width_; }
    const float* row(std::int32_t y) const { return samples_.data() + std::int64_t{y} * width_; }

    // Changes the size; samples that still fit keep their place, new ones are 0.
    void resize(std::int32_t width, std::int32_t height);

    // True when both planes are copies of one another (share their samples).
    bool sharesWith(const Plane& other) const { return samples_.sharesWith(other.samples_); }

private:
    std::int64_t offset(std::int64_t x, std::int64_t y) const {
        if (x < 0 || x >= width_) throw DynArrayOutOfRange(x, width_);
        if (y < 0 || y >= height_) throw DynArrayOutOfRange(y, height_);
        return y * width_ + x;
    }

    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    // Camera-size planes are hundreds of megabytes: allocated on huge pages.
    DynamicArray<float, LargeBufferAllocator<float>> samples_;
};

using Layer = DynamicArray<Plane>;  // the channels of one layer
using Planes = DynamicArray<Layer>; // the layers of a document

} // namespace fringel
