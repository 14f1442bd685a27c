#include "io/project.h"

#include "base/errors.h"
#include "base/number_text.h"
#include "base/parallel.h"
#include "base/progress.h"
#include "base/replacing_file.h"
#include "image/bmp_codec.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <sstream>
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

namespace {

// The tolerant number reader: white space before a number, one separator after it.
class ProjectText {
public:
    explicit ProjectText(std::string text) : text_(std::move(text)) {}

    template <typename T> bool number(T& value) {
        while (pos_ < text_.size() && isSpace(text_[pos_]))
            ++pos_;
        const char* begin = text_.data() + pos_;
        const char* end = text_.data() + text_.size();
        if (begin < end && *begin == '+') ++begin; // from_chars takes no plus sign
        const auto res = std::from_chars(begin, end, value);
        if (res.ec != std::errc()) return false;
        pos_ = static_cast<std::size_t>(res.ptr - text_.data());
        return true;
    }
    void separator() {
        if (pos_ < text_.size()) ++pos_;
    }

private:
    static bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
    std::string text_;
    std::size_t pos_ = 0;
};

std::string readWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw FileError(path, "cannot open the project file");
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace

void readProject(ImageDocument& document, OpenWindow& window, const std::string& path) {
    Host& host = document.host();
    ProjectText text(readWholeFile(path));
    const std::string base = path.size() >= 4 ? path.substr(0, path.size() - 4) : std::string();

    std::int32_t version = 0;
    text.number(version); // a file that starts without a number reads as version 0
    host.log("File ver: " + std::to_string(version));
    if (version == 2) return;
    if (version != 1) {
        host.log("Unknow file version (" + std::to_string(version) + ") !!!");
        return;
    }
    std::int32_t header[4] = {0, 0, 0, 0}; // layers, channels, width, height
    for (std::int32_t& v : header) {
        if (!text.number(v)) break;
        text.separator();
    }
    const auto [layers, channels, width, height] = header;
    if (layers <= 0 || channels <= 0 || !bitmapSizeAllowed(width, height))
        throw FileError(path, "the header declares " + std::to_string(layers) + " layers of " +
                                  std::to_string(channels) + " channels of " +
                                  std::to_string(width) + " x " + std::to_string(height));
    if (std::int64_t{layers} * channels * width * height > kMaxProjectValues)
        throw FileError(path, "the header declares more than " + std::to_string(kMaxProjectValues) +
                                  " values");

    document.resizePlanes(layers, channels, width, height);
    document.layerCount = layers;
    document.sizeLayerBitmaps(layers);
    const Plane& first = document.planes[0][0];
    host.log("Project Settings: ( " + std::to_string(document.planes.length()) + " [ " +
             std::to_string(document.planes[0].length()) + " | " + std::to_string(first.width()) +
             "," + std::to_string(first.height()) + " ])");
    PixelProgress progress(host, std::int64_t{width} * height * layers * channels);
    std::int64_t done = 0;
    bool reading = true;
    for (std::int32_t i = 0; i < layers; ++i) {
        std::int32_t number = 0;
        reading = reading && text.number(number);
        host.log("Reading: ( " + std::to_string(number) + " [ " + std::to_string(channels) + " | " +
                 std::to_string(width) + "," + std::to_string(height) + " ])");
        Plane& plane = document.planes[i][0];
        for (std::int32_t x = 0; x < width && reading; ++x) {
            for (std::int32_t y = 0; y < height; ++y) {
                float value = 0;
                if (!text.number(value)) {
                    reading = false; // the rest stays as it is
                    break;
                }
                plane.row(y)[x] = value;
                text.separator();
            }
            done += height;
            progress.update(done);
            host.processEvents();
        }
        *document.bitmaps[i] = readBmp(base + "_" + std::to_string(i) + ".bmp");
    }

    const Bitmap& shown = *document.bitmaps[0];
    window.sizeForPicture(shown.width(), shown.height());
    document.animating = document.layerCount > 0;
    document.currentLayer = 0;
    document.showBitmap(shown);
    document.bufferView = false;
    document.canSave = true;
    document.loaded = true;
    window.selectPage(0);
}

} // namespace fringel
