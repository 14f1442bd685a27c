// The median kernel: one byte channel, square window clipped at the picture's borders.
//
// The result at (x, y) is the value of rank (n - 1) / 2 (the lower middle value when n is
// even) among the n samples (x', y') with |x' - x| <= radius, |y' - y| <= radius that lie
// inside the picture. Input and output are strided byte views, so the same kernel reads one
// channel of a 24-bit bitmap or an 8-bit plane, and writes a grey 24-bit bitmap or a plane.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace fringel {

// Sample (x, y) is data[y * stride + x * step].
struct ByteChannelIn {
    const std::uint8_t* data;
    std::ptrdiff_t stride;
    int step;
};

// Pixel (x, y) starts at data[y * stride + x * step]; the median is written into each of its
// `step` bytes.
struct ByteChannelOut {
    std::uint8_t* data;
    std::ptrdiff_t stride;
    int step;
};

// Computes output rows rowBegin <= y < rowEnd of the width x height picture. Any radius >= 0
// is accepted (a radius beyond the picture's size gives the same result as the picture's
// size). After each finished row, rowsDone (when given) is raised by one. Input and output
// must not overlap.
void medianRows(ByteChannelIn in, int width, int height, int radius, ByteChannelOut out,
                int rowBegin, int rowEnd, std::atomic<std::int64_t>* rowsDone = nullptr);

// All rows, split across the machine's cores; returns when every row is done.
void medianAllRows(ByteChannelIn in, int width, int height, int radius, ByteChannelOut out,
                   std::atomic<std::int64_t>* rowsDone = nullptr);

} // namespace fringel
