#include "io/project.h"

#include "base/number_text.h"
#include "base/parallel.h"
#include "base/progress.h"
#include "base/replacing_file.h"
#include "image/bmp_codec.h"

#include <algorithm>
#include <charconv>
#include <vector>

namespace fringel {

std::string projectValueText(float value) {
    return formatC6(static_cast<double>(value));
}

namespace {

// Column x of the plane as one line: every value followed by ",", then LF.
void appendColumn(const Plane& plane, std::int32_t x, std::string& out) {
    char buf[32];
    for (std::int32_t y = 0; y < plane.height(); ++y) {
        const auto res =
            std::to_chars(buf, buf + sizeof buf - 1, static_cast<double>(plane.row(y)[x]),
                          std::chars_format::general, 6);
        *res.ptr = ',';
        out.append(buf, res.ptr + 1);
    }
    out.push_back('\n');
}

} // namespace

void writeProject(Host& host, const ImageDocument& document, const std::string& name) {
    const Planes& planes = document.planes;
    const std::int64_t layers = planes.length();
    const Plane& first = planes[0][0];
    const std::int64_t channels = planes[0].length();
    PixelProgress progress(host, std::int64_t{first.width()} * first.height() * layers);

    ReplacingFile file(name + ".mdt");
    file.write("1\n" + std::to_string(layers) + "," + std::to_string(channels) + "," +
               std::to_string(first.width()) + "," + std::to_string(first.height()) + "\n");
    std::int64_t written = 0;
    // Columns are formatted in blocks across the cores and written in order.
    constexpr std::int32_t kBlock = 64;
    std::vector<std::string> lines(kBlock);
    for (std::int64_t l = 0; l < layers; ++l) {
        file.write(std::to_string(l) + "\n");
        host.log("Saving: (" + std::to_string(l) + "[0|x,y])");
        const Plane& plane = planes[l][0];
        for (std::int32_t x0 = 0; x0 < plane.width(); x0 += kBlock) {
            const std::int32_t count = std::min(kBlock, plane.width() - x0);
            parallelRows(0, count, 8, [&](std::int64_t begin, std::int64_t end) {
                for (std::int64_t i = begin; i < end; ++i) {
                    lines[i].clear();
                    appendColumn(plane, x0 + static_cast<std::int32_t>(i), lines[i]);
                }
            });
            for (std::int32_t i = 0; i < count; ++i)
                file.write(lines[i]);
            written += std::int64_t{count} * plane.height();
            progress.update(written);
            host.processEvents();
        }
        writeBmp(*document.bitmaps[l], name + "_" + std::to_string(l) + ".bmp");
    }
    file.commit();
}

} // namespace fringel
