#include "image/canvas.h"

#include "base/errors.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace fringel {

Canvas::Canvas(Bitmap& target, TextPainter text) : bitmap_(target), text_(std::move(text)) {
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

void Canvas::drawBitmap(const Bitmap& source) {
    const int w = std::min(source.width(), bitmap_.width());
    const int h = std::min(source.height(), bitmap_.height());
    for (int y = 0; y < h; ++y) {
        std::uint8_t* out = bitmap_.row(y);
        const std::uint8_t* in = source.row(y);
        if (source.format() == PixelFormat::Bgr24) {
            std::memcpy(out, in, static_cast<std::size_t>(w) * 3);
        } else if (source.format() == PixelFormat::Gray8) {
            for (int x = 0; x < w; ++x)
                out[3 * x] = out[3 * x + 1] = out[3 * x + 2] = in[x];
        } else {
            drawBitmap(toBgr24(source)); // other depths through their colours
            return;
        }
    }
}

void Canvas::ellipse(int x1, int y1, int x2, int y2) {
    if (x2 <= x1 || y2 <= y1) return;
    // The ellipse touching the box's edges; a pixel belongs to it when its centre lies inside.
    // The box's right column x2 and bottom row y2 therefore stay outside.
    const double cx = (x1 + x2 - 1) / 2.0;
    const double cy = (y1 + y2 - 1) / 2.0;
    const double a = (x2 - x1) / 2.0;
    const double b = (y2 - y1) / 2.0;
    const int rows = y2 - y1;
    // Small ellipses (spots, marks) keep their spans on the stack.
    constexpr int kStackRows = 256;
    std::array<int, 2 * kStackRows> stackSpans;
    std::vector<int> heapSpans;
    int* spans = stackSpans.data();
    if (rows > kStackRows) {
        heapSpans.resize(2 * static_cast<std::size_t>(rows));
        spans = heapSpans.data();
    }
    int* left = spans;
    int* right = spans + rows;
    for (int j = 0; j < rows; ++j) {
        const double t = (y1 + j - cy) / b;
        const double span = a * std::sqrt(std::max(0.0, 1.0 - t * t));
        left[j] = static_cast<int>(std::ceil(cx - span));
        right[j] = static_cast<int>(std::floor(cx + span));
        // A row the curve only grazes still gets its centre pixel(s).
        if (left[j] > right[j]) {
            left[j] = static_cast<int>(std::floor(cx));
            right[j] = static_cast<int>(std::ceil(cx));
        }
    }
    const auto inside = [&](int x, int j) {
        return j >= 0 && j < rows && x >= left[j] && x <= right[j];
    };
    for (int j = 0; j < rows; ++j)
        for (int x = left[j]; x <= right[j]; ++x) {
            // The outline: pixels of the ellipse with a side neighbour outside it.
            const bool edge =
                !inside(x - 1, j) || !inside(x + 1, j) || !inside(x, j - 1) || !inside(x, j + 1);
            if (edge)
                setPixel(x, y1 + j, pen_);
            else if (brush_)
                setPixel(x, y1 + j, *brush_);
        }
}

void Canvas::fillRect(int x1, int y1, int x2, int y2) {
    if (!brush_) return;
    const int left = std::max(x1, 0);
    const int right = std::min(x2, bitmap_.width());
    for (int y = std::max(y1, 0); y < std::min(y2, bitmap_.height()); ++y)
        for (int x = left; x < right; ++x)
            setPixel(x, y, *brush_);
}

void Canvas::textOut(int x, int y, const std::string& text) {
    if (text_) text_(bitmap_, x, y, text, font_, brush_);
}

} // namespace fringel
