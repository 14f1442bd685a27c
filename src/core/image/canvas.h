// Canvas: the drawing the program does on pictures, rasterised by our own code so marks are
// the same on every platform and testable pixel by pixel.
//
// Works on a 24-bit bitmap. Lines are drawn like a classic raster API: from the current
// position to the end point, without the end point itself. Pixels outside the bitmap are
// skipped (clipped), never written.
#pragma once

#include "image/bitmap.h"

#include <cstdint>

namespace fringel {

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    bool operator==(const Rgb&) const = default;
};

class Canvas {
public:
    // The bitmap must be 24-bit; raises FringelError otherwise.
    explicit Canvas(Bitmap& target);

    void setPenColor(Rgb color) { pen_ = color; }
    Rgb penColor() const { return pen_; }

    void moveTo(int x, int y);
    // A line from the current position to (x, y), the end point not painted; the end point
    // becomes the current position.
    void lineTo(int x, int y);
    // One pixel in the given colour (clipped).
    void setPixel(int x, int y, Rgb color);
    Rgb pixel(int x, int y) const;

private:
    Bitmap& bitmap_;
    Rgb pen_{};
    int penX_ = 0;
    int penY_ = 0;
};

} // namespace fringel
