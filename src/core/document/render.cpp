#include "document/render.h"

#include "base/errors.h"
#include "base/parallel.h"

#include <cmath>
#include <cstring>
#include <string>

namespace fringel {

std::uint8_t floatToByte(float value) {
    // 2^63 is the first float beyond the int64 range; NaN fails both comparisons.
    if (!(value > -9.2233720368547758e18f && value < 9.2233720368547758e18f)) return 0;
    return static_cast<std::uint8_t>(static_cast<std::uint64_t>(static_cast<std::int64_t>(value)));
}

void renderLayer(ImageDocument& document, std::int32_t layer, std::int32_t x0, std::int32_t y0,
                 Bitmap& target) {
    const bool photo = document.photoMode;
    document.host().log(photo ? "Running Photo Mode..." : "Running Standard Mode...");
    if (target.format() != PixelFormat::Bgr24)
        throw FringelError("Rendering needs a 24-bit picture");

    Layer& channels = document.planes[layer];
    const std::int64_t channelCount = channels.length();
    const Plane* red = nullptr;
    const Plane* green = nullptr;
    const Plane* blue = nullptr;
    if (photo) {
        red = &channels[0];
        green = &channels[1];
        blue = &channels[2];
    } else {
        red = green = blue = &channels[channelCount - 1];
    }

    const std::int32_t width = target.width();
    const std::int32_t height = target.height();
    if (width == 0 || height == 0) return;
    // Check the area up front, so the rows can be rendered in parallel without throwing.
    for (const Plane* p : {red, green, blue}) {
        if (x0 < 0 || x0 >= p->width()) throw DynArrayOutOfRange(x0, p->width());
        if (std::int64_t{x0} + width > p->width())
            throw DynArrayOutOfRange(std::int64_t{x0} + width - 1, p->width());
        if (y0 < 0 || y0 >= p->height()) throw DynArrayOutOfRange(y0, p->height());
    }
    std::int64_t rows = height;
    for (const Plane* p : {red, green, blue})
        rows = std::min<std::int64_t>(rows, p->height() - y0);

    parallelRows(0, rows, 64, [&](std::int64_t begin, std::int64_t end) {
        for (std::int64_t j = begin; j < end; ++j) {
            const auto y = static_cast<std::int32_t>(y0 + j);
            const float* r = red->row(y) + x0;
            const float* g = green->row(y) + x0;
            const float* b = blue->row(y) + x0;
            std::uint8_t* out = target.row(static_cast<std::int32_t>(j));
            if (photo) {
                for (std::int32_t i = 0; i < width; ++i, out += 3) {
                    out[0] = floatToByte(b[i]);
                    out[1] = floatToByte(g[i]);
                    out[2] = floatToByte(r[i]);
                }
            } else {
                for (std::int32_t i = 0; i < width; ++i, out += 3)
                    out[0] = out[1] = out[2] = floatToByte(r[i]);
            }
        }
    });
    if (rows < height) throw DynArrayOutOfRange(y0 + rows, red->height());
}

void copyRegion(Host& host, std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1,
                const Bitmap& source, Bitmap& destination) {
    const PixelFormat format = source.format();
    if (format != PixelFormat::Gray8 && format != PixelFormat::Bgr24) {
        host.log("Nie rozpznalem przestrzeni kolorow...");
        return;
    }
    if (x1 <= x0 || y1 <= y0) return;
    if (x0 < 0 || y0 < 0 || x1 > source.width() || y1 > source.height())
        throw FringelError("Region (" + std::to_string(x0) + "," + std::to_string(y0) + ")-(" +
                           std::to_string(x1) + "," + std::to_string(y1) + ") lies outside the " +
                           std::to_string(source.width()) + " x " +
                           std::to_string(source.height()) + " picture");
    if (destination.format() != PixelFormat::Bgr24 || x1 - x0 > destination.width() ||
        y1 - y0 > destination.height())
        throw FringelError("The destination picture is too small for the region");

    const std::int32_t w = x1 - x0;
    for (std::int32_t y = y0; y < y1; ++y) {
        std::uint8_t* out = destination.row(y - y0);
        if (format == PixelFormat::Gray8) {
            const std::uint8_t* in = source.row(y) + x0;
            for (std::int32_t i = 0; i < w; ++i, out += 3)
                out[0] = out[1] = out[2] = in[i];
        } else {
            std::memcpy(out, source.row(y) + 3 * std::int64_t{x0}, 3 * static_cast<std::size_t>(w));
        }
        host.processEvents();
    }
}

} // namespace fringel
