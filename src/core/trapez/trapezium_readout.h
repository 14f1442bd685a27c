// Reading the simulated intensity under the pointer: the nearest half order, its cell and the
// texts shown beside a red mark on the visible picture.
#pragma once

#include "image/canvas.h"
#include "trapez/trapezium_model.h"

#include <cstdint>
#include <optional>
#include <string>

namespace fringel {

struct PointerReadout {
    int ix = 0; // half orders to the right
    int iy = 0; // half orders upward
    int markX = 0;
    int markY = 0;
    float value = 0;       // intensities[|iy|][|ix|]
    std::string valueText; // "F(0,5;-1) = 123,4567"
    std::string ratioText; // "F/F(0,0) = 12,3 %"
    std::string infoText;  // "F(0,5;-1) = 123" for the info label
};

// The read-out at pixel (x, y) of a picture of the given size. Empty when the nearest half
// order lies outside the grid (possible at the left and top edges) or nothing was computed.
std::optional<PointerReadout> readPointer(const TrapeziumModel& model, int x, int y, int width,
                                          int height);

// The red mark of radius `peakSize` and the two texts, white on black, onto `canvas`.
void drawReadout(Canvas& canvas, const PointerReadout& readout, int peakSize);

} // namespace fringel
