#include "document/layer_commands.h"

#include "base/number_text.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace fringel {

void writeHorizontalLine(Host& host, const ImageDocument& document, std::int32_t y0,
                         const std::string& folder) {
    writeHorizontalLineTo(host, document, y0, folder.empty() ? "line.txt" : folder + "/line.txt");
}

bool writeHorizontalLineTo(Host& host, const ImageDocument& document, std::int32_t y0,
                           const std::string& path) {
    const Plane& plane = document.planes[document.currentLayer][0];
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "wb"),
                                                               std::fclose);
    if (!file) {
        host.log("Cannot write " + path + ": " + std::strerror(errno));
        return false;
    }
    for (std::int32_t x = 0; x < plane.width(); ++x) {
        float m = plane.at(x, std::int64_t{y0} - 20);
        for (std::int64_t j = 1; j <= 40; ++j) {
            const float v = plane.at(x, std::int64_t{y0} - 20 + j);
            if (v > m) m = v;
        }
        const std::string line = formatC6(m) + "\n";
        std::fwrite(line.data(), 1, line.size(), file.get());
    }
    return true;
}

bool deleteLastLayer(ImageDocument& document) {
    if (document.planes.length() <= 1 || document.bitmaps.length() <= 1) {
        document.host().log("The only layer is kept: close the document to discard it.");
        return false;
    }
    document.planes.setLength(document.planes.length() - 1);
    document.bitmaps.setLength(document.bitmaps.length() - 1);
    document.layerCount = static_cast<std::int32_t>(document.planes.length());
    document.currentLayer = document.layerCount - 1;
    document.showBitmap(*document.bitmaps[document.currentLayer]);
    return true;
}

} // namespace fringel
