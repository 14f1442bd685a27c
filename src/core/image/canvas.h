// Canvas: the drawing the program does on pictures, rasterised by our own code so marks are
// the same on every platform and testable pixel by pixel.
//
// Works on a 24-bit bitmap. Lines are drawn like a classic raster API: from the current
// position to the end point, without the end point itself. Pixels outside the bitmap are
// skipped (clipped), never written.
#pragma once

#include "image/bitmap.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace fringel {

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    bool operator==(const Rgb&) const = default;
};

// Draws a text with its top-left corner at (x, y) in the given colour onto a 24-bit bitmap,
// on a background box in `background` unless that is empty (transparent). The window side
// provides it (fonts are the platform's); without one, texts are skipped.
using TextPainter = std::function<void(Bitmap& target, int x, int y, const std::string& text,
                                       Rgb color, std::optional<Rgb> background)>;

class Canvas {
public:
    // The bitmap must be 24-bit; raises FringelError otherwise.
    explicit Canvas(Bitmap& target, TextPainter text = {});

    void setPenColor(Rgb color) { pen_ = color; }
    Rgb penColor() const { return pen_; }
    // The fill of ellipses: a colour, or nothing (hollow, the start value).
    void setBrush(std::optional<Rgb> color) { brush_ = color; }
    void setFontColor(Rgb color) { font_ = color; }

    // Copies `source` onto the canvas with its corner at (0, 0) (8-bit bytes as grey, other
    // depths through their palette or bit fields).
    void drawBitmap(const Bitmap& source);
    // The ellipse inscribed in the box x1 <= x < x2, y1 <= y < y2: filled with the brush
    // unless hollow, outlined with the pen.
    void ellipse(int x1, int y1, int x2, int y2);
    // The rectangle x1 <= x < x2, y1 <= y < y2 in the brush colour (nothing when hollow).
    void fillRect(int x1, int y1, int x2, int y2);
    // Text in the font colour, on the brush colour as its background unless hollow.
    void textOut(int x, int y, const std::string& text);

    void moveTo(int x, int y);
    // A line from the current position to (x, y), the end point not painted; the end point
    // becomes the current position.
    void lineTo(int x, int y);
    // One pixel in the given colour (clipped).
    void setPixel(int x, int y, Rgb color);
    Rgb pixel(int x, int y) const;

private:
    Bitmap& bitmap_;
    TextPainter text_;
    Rgb pen_{};
    std::optional<Rgb> brush_;
    Rgb font_{};
    int penX_ = 0;
    int penY_ = 0;
};

} // namespace fringel
