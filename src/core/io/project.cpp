#include "io/project.h"

#include "base/background.h"
#include "base/errors.h"
#include "base/float_text.h"
#include "base/mapped_file.h"
#include "base/parallel.h"
#include "base/progress.h"
#include "base/replacing_file.h"
#include "image/bmp_codec.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <future>
#include <memory>
#include <optional>
#include <vector>

namespace fringel {

std::string projectValueText(float value) {
    char buf[kFloatC6MaxChars];
    return std::string(buf, writeFloatC6(buf, value));
}

namespace {

std::string layerFileName(const std::string& base, std::int64_t layer) {
    return base + "_" + std::to_string(layer) + ".bmp";
}

// A run of neighbouring columns formatted as their lines: every value followed by ",", then
// LF. Each column has a fixed slice of one buffer; the plane is read row by row, the columns
// shared between the cores.
struct ColumnBlock {
    std::int32_t x0 = 0;
    std::int32_t count = 0;
    std::size_t slice = 0; // bytes reserved per column
    std::vector<char> text;
    std::vector<std::size_t> lengths;
};

constexpr std::int32_t kColumnsPerBlock = 64;

void formatBlock(const Plane& plane, ColumnBlock& block) {
    block.slice = static_cast<std::size_t>(plane.height()) * (kFloatC6MaxChars + 1) + 1;
    block.text.resize(block.slice * kColumnsPerBlock);
    block.lengths.resize(kColumnsPerBlock);
    parallelRows(0, block.count, 8, [&](std::int64_t begin, std::int64_t end) {
        char* cursor[kColumnsPerBlock];
        for (std::int64_t i = begin; i < end; ++i)
            cursor[i] = block.text.data() + static_cast<std::size_t>(i) * block.slice;
        for (std::int32_t y = 0; y < plane.height(); ++y) {
            const float* row = plane.row(y) + block.x0;
            for (std::int64_t i = begin; i < end; ++i) {
                char* stop = writeFloatC6(cursor[i], row[i]);
                *stop++ = ',';
                cursor[i] = stop;
            }
        }
        for (std::int64_t i = begin; i < end; ++i) {
            *cursor[i]++ = '\n';
            block.lengths[i] = static_cast<std::size_t>(
                cursor[i] - (block.text.data() + static_cast<std::size_t>(i) * block.slice));
        }
    });
}

} // namespace

void writeProject(Host& host, const ImageDocument& document, const std::string& name) {
    const Planes& planes = document.planes;
    const std::int64_t layers = planes.length();
    const Plane& first = planes[0][0];
    const std::int64_t channels = planes[0].length();
    PixelProgress progress(host, std::int64_t{first.width()} * first.height() * layers);

    // Every file goes to a temporary file first; only when all are complete do they replace
    // the old ones, the layer bitmaps first and the project file last. A failure on the way
    // leaves the earlier project exactly as it was.
    ReplacingFile file(name + ".mdt");
    std::vector<std::unique_ptr<ReplacingFile>> bitmaps;
    file.write("1\n" + std::to_string(layers) + "," + std::to_string(channels) + "," +
               std::to_string(first.width()) + "," + std::to_string(first.height()) + "\n");
    std::int64_t written = 0;
    for (std::int64_t l = 0; l < layers; ++l) {
        file.write(std::to_string(l) + "\n");
        host.log("Saving: (" + std::to_string(l) + "[0|x,y])");
        const Plane& plane = planes[l][0];
        // Each block is written while the next one is formatted.
        ColumnBlock blocks[2];
        std::future<void> writing;
        for (std::int32_t x0 = 0, k = 0; x0 < plane.width(); x0 += kColumnsPerBlock, k ^= 1) {
            ColumnBlock& block = blocks[k];
            block.x0 = x0;
            block.count = std::min(kColumnsPerBlock, plane.width() - x0);
            formatBlock(plane, block);
            if (writing.valid()) writing.get();
            writing = std::async(std::launch::async, [&file, &block] {
                for (std::int32_t i = 0; i < block.count; ++i)
                    file.write(block.text.data() + static_cast<std::size_t>(i) * block.slice,
                               block.lengths[i]);
            });
            written += std::int64_t{block.count} * plane.height();
            progress.update(written);
            host.processEvents();
        }
        writing.get();
        bitmaps.push_back(std::make_unique<ReplacingFile>(layerFileName(name, l)));
        writeBmp(*document.bitmaps[l], *bitmaps.back());
    }
    file.finish();
    for (auto& bitmap : bitmaps)
        bitmap->commit();
    file.commit();
}

namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The tolerant number reader: white space before a number, one separator after it.
class ProjectText {
public:
    ProjectText(const char* begin, const char* end) : pos_(begin), end_(end) {}

    bool number(std::int32_t& value) {
        skipSpace();
        if (pos_ < end_ && *pos_ == '+') ++pos_; // from_chars takes no plus sign
        const auto res = std::from_chars(pos_, end_, value);
        if (res.ec != std::errc()) return false;
        pos_ = res.ptr;
        return true;
    }
    bool number(float& value) {
        skipSpace();
        if (pos_ < end_ && *pos_ == '+') ++pos_;
        const char* end = parseFloatFast(pos_, end_, value);
        if (!end) return false;
        pos_ = end;
        return true;
    }
    void separator() {
        if (pos_ < end_) ++pos_;
    }
    void skipSpace() {
        while (pos_ < end_ && isSpace(*pos_))
            ++pos_;
    }
    const char* position() const { return pos_; }

private:
    const char* pos_;
    const char* end_;
};

// Where reading stopped short: the layer, and the column and row, or -1 for the layer number.
struct ShortRead {
    std::int32_t layer = 0;
    std::int32_t column = -1;
    std::int32_t row = 0;
};

// The body as the program writes it, read across the cores: one line per layer number and
// one per column, every column line with exactly `height` values. Returns false, having
// perhaps stored some values, when the text is laid out in any other way; the tolerant
// reader then reads the whole body again, so both always give the same values.
bool readCanonicalBody(const char* begin, const char* end, const ProjectHeader& h,
                       ImageDocument& document, std::vector<std::int32_t>& layerNumbers,
                       std::atomic<std::int64_t>& linesDone) {
    const std::int64_t linesPerLayer = std::int64_t{h.width} + 1;
    const std::int64_t lineCount = linesPerLayer * h.layers;
    // Where every line starts and ends (its LF, or the end of the text): the line ends are
    // found across the cores, each core scanning its own stretch of the text.
    const auto workers = static_cast<std::int64_t>(workerCount());
    const std::int64_t stretch = (end - begin + workers - 1) / workers;
    std::vector<std::vector<const char*>> found(static_cast<std::size_t>(workers));
    parallelRows(0, workers, 1, [&](std::int64_t first, std::int64_t stop) {
        for (std::int64_t w = first; w < stop; ++w) {
            const char* p = begin + std::min<std::int64_t>(w * stretch, end - begin);
            const char* e = begin + std::min<std::int64_t>((w + 1) * stretch, end - begin);
            auto& ends = found[static_cast<std::size_t>(w)];
            while (const void* nl = std::memchr(p, '\n', static_cast<std::size_t>(e - p))) {
                ends.push_back(static_cast<const char*>(nl));
                p = static_cast<const char*>(nl) + 1;
                if (static_cast<std::int64_t>(ends.size()) >= lineCount) break;
            }
        }
    });
    std::vector<const char*> starts;
    std::vector<const char*> ends;
    for (const auto& part : found)
        for (const char* nl : part) {
            if (static_cast<std::int64_t>(ends.size()) >= lineCount) break;
            starts.push_back(ends.empty() ? begin : ends.back() + 1);
            ends.push_back(nl);
        }
    // A last line without LF ends the text.
    if (static_cast<std::int64_t>(ends.size()) < lineCount) {
        const char* last = ends.empty() ? begin : ends.back() + 1;
        if (last < end) {
            starts.push_back(last);
            ends.push_back(end);
        }
    }
    if (static_cast<std::int64_t>(ends.size()) < lineCount)
        return false; // fewer lines than values: the tolerant reader says where
    const auto lineEnd = [&](std::int64_t i) { return ends[static_cast<std::size_t>(i)]; };
    const auto skipBlanks = [](const char* p, const char* e) {
        while (p < e && (*p == ' ' || *p == '\t' || *p == '\r'))
            ++p;
        return p;
    };
    // One separator after a value: any character, or the line end after the line's last one.
    const auto afterSeparator = [](const char* p, const char* e, bool last) -> const char* {
        if (p < e) return p + 1;
        return last ? p : nullptr;
    };
    std::atomic<bool> canonical = true;
    // The layer numbers, one short line per layer.
    for (std::int64_t layer = 0; layer < h.layers && canonical; ++layer) {
        const std::int64_t i = layer * linesPerLayer;
        const char* e = lineEnd(i);
        std::int32_t number = 0;
        const auto res = std::from_chars(skipBlanks(starts[i], e), e, number);
        const char* p = res.ec == std::errc() ? afterSeparator(res.ptr, e, true) : nullptr;
        layerNumbers[static_cast<std::size_t>(layer)] = number;
        if (!p || skipBlanks(p, e) != e) canonical = false;
    }
    // The columns in tiles of kTile neighbours: each column parsed into a scratch column,
    // then the tile stored row by row, so the plane is written a cache line at a time.
    constexpr std::int64_t kTile = 16;
    const std::int64_t tilesPerLayer = (h.width + kTile - 1) / kTile;
    parallelRows(0, tilesPerLayer * h.layers, 4, [&](std::int64_t first, std::int64_t stop) {
        std::vector<float> scratch(static_cast<std::size_t>(kTile * h.height));
        for (std::int64_t t = first; t < stop && canonical.load(std::memory_order_relaxed); ++t) {
            const std::int64_t layer = t / tilesPerLayer;
            const auto x0 = static_cast<std::int32_t>(t % tilesPerLayer * kTile);
            const std::int32_t count = std::min<std::int32_t>(kTile, h.width - x0);
            for (std::int32_t c = 0; c < count && canonical; ++c) {
                const std::int64_t i = layer * linesPerLayer + 1 + x0 + c;
                const char* e = lineEnd(i);
                const char* p = skipBlanks(starts[i], e);
                float* column = scratch.data() + std::int64_t{c} * h.height;
                for (std::int32_t y = 0; y < h.height && p; ++y) {
                    p = parseFloatFast(skipBlanks(p, e), e, column[y]);
                    if (p) p = afterSeparator(p, e, y == h.height - 1);
                }
                // Anything but blanks after the last separator would be read as a value.
                if (!p || skipBlanks(p, e) != e) canonical = false;
            }
            if (!canonical) break;
            Plane& plane = document.planes[layer][0];
            for (std::int32_t y = 0; y < h.height; ++y) {
                float* row = plane.row(y) + x0;
                for (std::int32_t c = 0; c < count; ++c)
                    row[c] = scratch[static_cast<std::size_t>(std::int64_t{c} * h.height + y)];
            }
            linesDone.fetch_add(count, std::memory_order_relaxed);
        }
    });
    return canonical;
}

// The body read value by value, as loosely as the header. Stops at the first place without a
// number; the values not read stay 0.
std::optional<ShortRead> readTolerantBody(ProjectText& text, const ProjectHeader& h,
                                          ImageDocument& document,
                                          std::vector<std::int32_t>& layerNumbers) {
    for (std::int32_t i = 0; i < h.layers; ++i) {
        if (!text.number(layerNumbers[static_cast<std::size_t>(i)])) return ShortRead{i, -1, 0};
        text.separator();
        Plane& plane = document.planes[i][0];
        for (std::int32_t x = 0; x < h.width; ++x)
            for (std::int32_t y = 0; y < h.height; ++y) {
                float value = 0;
                if (!text.number(value)) return ShortRead{i, x, y};
                plane.row(y)[x] = value;
                text.separator();
            }
    }
    return std::nullopt;
}

// The version, and for version 1 the sizes; `text` is left after them.
ProjectHeader parseHeader(ProjectText& text) {
    ProjectHeader h;
    text.number(h.version); // a file that starts without a number reads as version 0
    if (h.version != 1) return h;
    for (std::int32_t* v : {&h.layers, &h.channels, &h.width, &h.height}) {
        if (!text.number(*v)) break;
        text.separator();
    }
    return h;
}

} // namespace

ProjectHeader readProjectHeader(const std::string& path) {
    const MappedFile content(path);
    ProjectText text(content.begin(), content.end());
    return parseHeader(text);
}

void readProject(ImageDocument& document, OpenWindow& window, const std::string& path) {
    Host& host = document.host();
    const MappedFile content(path);
    ProjectText text(content.begin(), content.end());
    const std::string base = path.size() >= 4 ? path.substr(0, path.size() - 4) : std::string();

    const ProjectHeader h = parseHeader(text);
    host.log("File ver: " + std::to_string(h.version));
    if (h.version == 2) return;
    if (h.version != 1) {
        host.log("Unknow file version (" + std::to_string(h.version) + ") !!!");
        return;
    }
    const auto refuse = [&](const std::string& reason) {
        const FileError error(path, reason);
        host.log(error.what());
        throw error;
    };
    if (h.layers <= 0 || h.channels <= 0 || h.width <= 0 || h.height <= 0 ||
        !bitmapSizeAllowed(h.width, h.height))
        refuse("the header declares " + std::to_string(h.layers) + " layers of " +
               std::to_string(h.channels) + " channels of " + std::to_string(h.width) + " x " +
               std::to_string(h.height) + " values; the project is not read");
    if (std::int64_t{h.layers} * h.channels * h.width * h.height > kMaxProjectValues)
        refuse("the header declares more than " + std::to_string(kMaxProjectValues) +
               " values, the most a project may hold; the project is not read");
    // Every value takes at least two bytes ("0,"). A file far too short for its header is not
    // a project that ends early but a hostile one: it would make us allocate gigabytes. All
    // channels count, since every channel is allocated though only the first is stored.
    const std::int64_t declared = std::int64_t{h.layers} * h.channels * h.width * h.height;
    const auto holds = static_cast<std::int64_t>(content.size() / 2);
    if (declared > 64 * holds + (std::int64_t{1} << 20))
        refuse("the header declares " + std::to_string(declared) + " values, far more than the " +
               std::to_string(content.size()) +
               " bytes of the file can hold; the project is "
               "not read");

    document.resizePlanes(h.layers, h.channels, h.width, h.height);
    document.layerCount = h.layers;
    document.sizeLayerBitmaps(h.layers);
    const Plane& first = document.planes[0][0];
    host.log("Project Settings: ( " + std::to_string(document.planes.length()) + " [ " +
             std::to_string(document.planes[0].length()) + " | " + std::to_string(first.width()) +
             "," + std::to_string(first.height()) + " ])");

    // The values of every layer, read across the cores while the window stays responsive.
    std::vector<std::int32_t> layerNumbers(static_cast<std::size_t>(h.layers), 0);
    std::optional<ShortRead> shortRead;
    {
        PixelProgress progress(host, std::int64_t{h.width} * h.height * h.layers * h.channels);
        std::atomic<std::int64_t> linesDone = 0;
        text.skipSpace();
        const char* body = text.position();
        runWithEvents(
            host,
            [&] {
                if (readCanonicalBody(body, content.end(), h, document, layerNumbers, linesDone))
                    return;
                for (std::int32_t i = 0; i < h.layers; ++i)
                    document.planes[i][0] = Plane(h.width, h.height); // all 0 again
                ProjectText again(body, content.end());
                shortRead = readTolerantBody(again, h, document, layerNumbers);
            },
            [&] { progress.update(linesDone.load() * h.height); });
    }
    if (shortRead) {
        const std::string where = shortRead->column < 0
                                      ? "the number of layer " + std::to_string(shortRead->layer)
                                      : "layer " + std::to_string(shortRead->layer) + ", column " +
                                            std::to_string(shortRead->column) + ", row " +
                                            std::to_string(shortRead->row);
        host.log(path + ": no number at " + where +
                 " (the file ends early or holds text there); the values not read are 0");
    }

    for (std::int32_t i = 0; i < h.layers; ++i) {
        host.log("Reading: ( " + std::to_string(layerNumbers[static_cast<std::size_t>(i)]) + " [ " +
                 std::to_string(h.channels) + " | " + std::to_string(h.width) + "," +
                 std::to_string(h.height) + " ])");
        *document.bitmaps[i] = readBmp(layerFileName(base, i));
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
