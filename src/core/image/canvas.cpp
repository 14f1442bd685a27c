#include "image/canvas.h"

#include "base/errors.h"

#include <cstdlib>

namespace fringel {

Canvas::Canvas(Bitmap& target) : bitmap_(target) {
    if (target.format() != PixelFormat::Bgr24) throw FringelError("Drawing needs a 24-bit picture");
}

void Canvas::moveTo(int x, int y) {
    penX_ = x;
    penY_ = y;
}

void Canvas::setPixel(int x, int y, Rgb color) {
    if (x < 0 || y < 0 || x >= bitmap_.width() || y >= bitmap_.height()) return;
    std::uint8_t* p = bitmap_.row(y) + 3 * std::int64_t{x};
    p[0] = color.b;
    p[1] = color.g;
    p[2] = color.r;
}

Rgb Canvas::pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= bitmap_.width() || y >= bitmap_.height()) return {};
    const std::uint8_t* p = bitmap_.row(y) + 3 * std::int64_t{x};
    return {p[2], p[1], p[0]};
}

void Canvas::lineTo(int x, int y) {
    // Bresenham from the current position; stops before the end point.
    int cx = penX_;
    int cy = penY_;
    const int dx = std::abs(x - cx);
    const int dy = -std::abs(y - cy);
    const int sx = cx < x ? 1 : -1;
    const int sy = cy < y ? 1 : -1;
    int err = dx + dy;
    while (cx != x || cy != y) {
        setPixel(cx, cy, pen_);
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            cx += sx;
        }
        if (e2 <= dx) {
            err += dx;
            cy += sy;
        }
    }
    penX_ = x;
    penY_ = y;
}

} // namespace fringel
