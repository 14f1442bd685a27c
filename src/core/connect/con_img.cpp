#include "connect/con_img.h"

#include "base/background.h"
#include "base/clock.h"
#include "base/errors.h"
#include "base/number_text.h"
#include "base/parallel.h"
#include "base/progress.h"
#include "connect/merge_rows.h"
#include "document/render.h"
#include "filters/median.h"

#include <atomic>
#include <mutex>
#include <optional>
#include <string>

namespace fringel {

void accumulateSample(int v, double& sum, std::int32_t& count, int cutoffLow, int cutoffTop,
                      int timeIndex, int exposure, const DynamicArray<float>& exposureTimes) {
    if (cutoffLow <= v && v <= cutoffTop) {
        sum += static_cast<double>(exposureTimes[timeIndex + exposure]) * v * v;
        count += v;
    }
}

void appendLayer(int channels, Planes& planes, std::int32_t width, std::int32_t height) {
    Layer layer(channels);
    for (Plane& plane : layer)
        plane = Plane(width, height);
    planes.setLength(planes.length() + 1);
    planes[planes.length() - 1] = layer;
}

void freeBuffer(DynamicArray<BitmapRef>& bufferBitmaps) {
    for (std::int64_t i = bufferBitmaps.length() - 1; i >= 0; --i)
        bufferBitmaps[i].reset();
    bufferBitmaps.setLength(0);
}

namespace {

// Where the searches for the smallest value start: far above any value the merges store.
constexpr float kDisplayMinStart = 1000000.0f;
constexpr float kRgbMinStart = 1000.0f;

std::string describe(const Bitmap& b) {
    return std::to_string(b.width()) + " x " + std::to_string(b.height()) + " at " +
           std::to_string(bitsPerPixel(b.format())) + " bits per pixel";
}

// A line that says why the exposures cannot be merged, or nothing when they can.
std::optional<std::string> exposureMismatch(const DynamicArray<BitmapRef>& exposures) {
    const Bitmap& first = *exposures[0];
    for (std::int64_t i = 1; i < exposures.length(); ++i) {
        const Bitmap& b = *exposures[i];
        if (b.width() != first.width() || b.height() != first.height() ||
            b.format() != first.format())
            return "Exposure " + std::to_string(i) + " is " + describe(b) + ", exposure 0 is " +
                   describe(first) + ": nothing connected.";
    }
    return std::nullopt;
}

Region readRegion(const ConnectSettings& settings, const Bitmap& first) {
    if (!settings.trimming) return {0, 0, first.width(), first.height()};
    const TrimmingBoxes& t = *settings.trimming;
    return {parseInt(t.x), parseInt(t.y), parseInt(t.width), parseInt(t.height)};
}

bool regionInside(const Region& r, const Bitmap& first) {
    return r.x >= 0 && r.y >= 0 && r.width > 0 && r.height > 0 &&
           std::int64_t{r.x} + r.width <= first.width() &&
           std::int64_t{r.y} + r.height <= first.height();
}

} // namespace

std::vector<float> conImg::exposureFactors(const ImageDocument& document) const {
    std::vector<float> factors;
    for (std::int64_t i = 0; i < document.bufferBitmaps.length(); ++i)
        factors.push_back(document.exposureTimes[document.timeIndex + i]);
    return factors;
}

void conImg::refuse(std::string line) {
    host_.log(line);
    refusal_ = std::move(line);
}

ConnectOutcome conImg::connect(ImageDocument& document, const ConnectSettings& settings) {
    if (document.busy()) {
        refuse("This document is still busy; connect again when its running work has ended.");
        return {};
    }
    ImageDocument::BusyScope busy(document);
    document.photoMode = settings.colorOrder >= 3;
    document.cutoffTop = 255 - settings.selectionStart;
    document.cutoffLow = 255 - settings.selectionEnd;
    if (!connectExposures(document, settings)) return {};
    document.bufferView = false;

    const std::int32_t layer = static_cast<std::int32_t>(document.planes.length() - 1);
    // An 8-bit series merged under "RGB" still gives a single-channel layer.
    const bool photo = document.planes[layer].length() == 3;
    document.photoMode = photo;
    const Plane& first = document.planes[layer][0];

    document.growByOneLayer();
    Bitmap& bitmap = *document.bitmaps[document.bitmaps.length() - 1];
    bitmap.reset(first.width(), first.height(), PixelFormat::Bgr24);
    renderLayer(document, layer, 0, 0, bitmap);
    if (!photo) document.planes[layer].setLength(1);
    document.layerCount = static_cast<std::int32_t>(document.bitmaps.length());
    document.currentLayer = static_cast<std::int32_t>(document.bitmaps.length() - 1);
    document.showBitmap(bitmap);
    document.canSave = true;
    return {true, photo};
}

bool conImg::connectExposures(ImageDocument& document, const ConnectSettings& settings) {
    refusal_.clear();
    host_.log("Creating variables...");
    const ClockStart started = startClock();
    DynamicArray<BitmapRef>& exposures = document.bufferBitmaps;
    const Bitmap& first = *exposures[0];

    bool merged = false;
    const PixelFormat format = first.format();
    if (format != PixelFormat::Gray8 && format != PixelFormat::Bgr24) {
        refuse("Unsuported Pixel Format...");
    } else if (const auto mismatch = exposureMismatch(exposures)) {
        refuse(*mismatch);
    } else {
        const bool rgb = format == PixelFormat::Bgr24 && settings.colorOrder >= 3;
        const Region region =
            rgb ? Region{0, 0, first.width(), first.height()} : readRegion(settings, first);
        const std::optional<int> channel = channelByteOfColorOrder(settings.colorOrder);
        if (!regionInside(region, first)) {
            refuse("Trimming region (" + std::to_string(region.x) + ", " +
                   std::to_string(region.y) + ", " + std::to_string(region.width) + " x " +
                   std::to_string(region.height) + ") lies outside the exposures (" +
                   std::to_string(first.width()) + " x " + std::to_string(first.height()) +
                   "): nothing connected.");
        } else if (format == PixelFormat::Bgr24 && !rgb && !channel) {
            refuse("No colour channel chosen: nothing connected.");
        } else {
            exposureFactors(document); // an index beyond the table fails here, before any change
            if (format == PixelFormat::Gray8)
                mergeSingleChannel(document, settings, region, 1, 0, true);
            else if (rgb)
                mergeRGB(document);
            else
                mergeSingleChannel(document, settings, region, 3, *channel, false);
            freeBuffer(exposures);
            merged = true;
        }
    }
    host_.log("Connecting time: " + formatGeneral(elapsedSeconds(started)) + " s");
    host_.setProgressPosition(0);
    return merged;
}

namespace {

// Splits rows 0..rows-1 into bands across the cores. band(begin, end, rowDone) works on one
// band and calls rowDone() after each row; the calling thread meanwhile moves the progress
// bar to progressBase + finished rows x unitsPerRow and lets events run.
template <typename Band>
void forRowBands(Host& host, PixelProgress& progress, std::int64_t rows, std::int64_t progressBase,
                 std::int64_t unitsPerRow, Band band) {
    std::atomic<std::int64_t> finished{0};
    const auto rowDone = [&finished] { finished.fetch_add(1, std::memory_order_relaxed); };
    runWithEvents(
        host,
        [&] {
            parallelRows(0, rows, 8, [&](std::int64_t b, std::int64_t e) { band(b, e, rowDone); });
        },
        [&] {
            progress.update(progressBase + finished.load(std::memory_order_relaxed) * unitsPerRow);
        });
}

// A value range the bands merge their own ranges into.
class SharedRange {
public:
    explicit SharedRange(ValueRange start) : range_(start) {}
    void merge(const ValueRange& band) {
        const std::lock_guard lock(lock_);
        range_.merge(band);
    }
    ValueRange get() const { return range_; }

private:
    std::mutex lock_;
    ValueRange range_;
};

} // namespace

void conImg::mergeSingleChannel(ImageDocument& document, const ConnectSettings& settings,
                                const Region& region, int step, int byteOffset, bool eightBit) {
    DynamicArray<BitmapRef>& exposures = document.bufferBitmaps;
    const int n = static_cast<int>(exposures.length());
    appendLayer(2, document.planes, region.width, region.height);
    const auto layer = static_cast<std::int32_t>(document.planes.length() - 1);
    host_.log("Relax...");
    if (eightBit) {
        if (settings.medianInCalculations)
            host_.log("For 8bit pic median is temporary unavailible.");
    } else if (settings.medianInCalculations) {
        for (int i = 0; i < n; ++i)
            TMediana{}.medianFilter(host_, settings.medianRadius, settings.colorOrder,
                                    *exposures[i]);
    }

    const std::int32_t width = region.width;
    const std::int32_t height = region.height;
    const std::int64_t area = std::int64_t{width} * height;
    PixelProgress progress(host_, area * (n + 2));
    const SingleMergeTables tables(exposureFactors(document), document.cutoffLow,
                                   document.cutoffTop);
    std::vector<const std::uint8_t*> origins;
    for (int i = 0; i < n; ++i)
        origins.push_back(exposures[i]->bits() + std::int64_t{region.x} * step + byteOffset);
    const std::int64_t stride = exposures[0]->stride();
    Plane& linear = document.planes[layer][0];
    Plane& display = document.planes[layer][1];

    // The display range is gathered while merging, which saves the scale its search pass.
    SharedRange displayRange(ValueRange(kDisplayMinStart, 0.0f));
    forRowBands(host_, progress, height, 0, std::int64_t{width} * n,
                [&](std::int64_t begin, std::int64_t end, auto rowDone) {
                    std::vector<double> sum(static_cast<std::size_t>(width));
                    std::vector<std::int32_t> count(static_cast<std::size_t>(width));
                    std::vector<const std::uint8_t*> rows(static_cast<std::size_t>(n));
                    ValueRange band(kDisplayMinStart, 0.0f);
                    for (std::int64_t y = begin; y < end; ++y) {
                        for (int i = 0; i < n; ++i)
                            rows[i] = origins[i] + (region.y + y) * stride;
                        const auto row = static_cast<std::int32_t>(y);
                        mergeSingleRow(rows.data(), n, step, width, tables, sum.data(),
                                       count.data(), linear.row(row), display.row(row), band);
                        rowDone();
                    }
                    displayRange.merge(band);
                });
    host_.log("Calibrating scale...");
    scaleDisplay(display, displayRange.get(), progress, area * (n + 1));
}

void conImg::calibrateScale(Planes& planes, std::int32_t layer, PixelProgress& progress,
                            std::int64_t progressDone) {
    host_.log("Calibrating scale...");
    Plane& display = planes[layer][1];
    const std::int32_t width = display.width();
    SharedRange range(ValueRange(kDisplayMinStart, 0.0f));
    forRowBands(host_, progress, display.height(), progressDone, width,
                [&](std::int64_t begin, std::int64_t end, auto rowDone) {
                    ValueRange band(kDisplayMinStart, 0.0f);
                    for (std::int64_t y = begin; y < end; ++y) {
                        const float* v = display.row(static_cast<std::int32_t>(y));
                        for (std::int32_t x = 0; x < width; ++x)
                            band.include(v[x]);
                        rowDone();
                    }
                    range.merge(band);
                });
    scaleDisplay(display, range.get(), progress,
                 progressDone + std::int64_t{width} * display.height());
}

void conImg::scaleDisplay(Plane& display, ValueRange range, PixelProgress& progress,
                          std::int64_t progressDone) {
    const std::int32_t width = display.width();
    // A display channel that is the same everywhere has no scale; it shows as 0.
    const auto scale = static_cast<float>((static_cast<double>(range.max) - range.min) / 255.0);
    const double min = range.min;
    forRowBands(host_, progress, display.height(), progressDone, width,
                [&](std::int64_t begin, std::int64_t end, auto rowDone) {
                    for (std::int64_t y = begin; y < end; ++y) {
                        float* v = display.row(static_cast<std::int32_t>(y));
                        for (std::int32_t x = 0; x < width; ++x)
                            v[x] = scale > 0 ? static_cast<float>((v[x] - min) / scale) : 0.0f;
                        rowDone();
                    }
                });
}

void conImg::mergeRGB(ImageDocument& document) {
    DynamicArray<BitmapRef>& exposures = document.bufferBitmaps;
    const int n = static_cast<int>(exposures.length());
    const std::int32_t width = exposures[0]->width();
    const std::int32_t height = exposures[0]->height();
    appendLayer(3, document.planes, width, height);
    const auto layer = static_cast<std::int32_t>(document.planes.length() - 1);
    PixelProgress progress(host_, std::int64_t{width} * height * (n + 1));
    host_.log("Relax...");

    const RgbMergeTables tables(exposureFactors(document), document.cutoffLow, document.cutoffTop);
    std::vector<const std::uint8_t*> origins;
    for (int i = 0; i < n; ++i)
        origins.push_back(exposures[i]->bits());
    const std::int64_t stride = exposures[0]->stride();
    Layer& channels = document.planes[layer];
    Plane& red = channels[0];
    Plane& green = channels[1];
    Plane& blue = channels[2];

    SharedRange total(ValueRange(kRgbMinStart, 0.0f));
    forRowBands(host_, progress, height, 0, std::int64_t{width} * n,
                [&](std::int64_t begin, std::int64_t end, auto rowDone) {
                    RgbScratch scratch(width);
                    std::vector<const std::uint8_t*> rows(static_cast<std::size_t>(n));
                    ValueRange band(kRgbMinStart, 0.0f);
                    for (std::int64_t y = begin; y < end; ++y) {
                        for (int i = 0; i < n; ++i)
                            rows[i] = origins[i] + y * stride;
                        const auto row = static_cast<std::int32_t>(y);
                        mergeRgbRow(rows.data(), n, width, tables, scratch, red.row(row),
                                    green.row(row), blue.row(row), band);
                        rowDone();
                    }
                    total.merge(band);
                });

    host_.log("Calibrating scale...");
    // Without a usable sample, or with one value everywhere, there is no range: show 0.
    const ValueRange found = total.get();
    const double range = static_cast<double>(found.max) - found.min;
    const double low = found.min;
    forRowBands(host_, progress, height, std::int64_t{width} * height * n, width,
                [&](std::int64_t begin, std::int64_t end, auto rowDone) {
                    for (std::int64_t y = begin; y < end; ++y) {
                        for (Plane* plane : {&red, &green, &blue}) {
                            float* v = plane->row(static_cast<std::int32_t>(y));
                            for (std::int32_t x = 0; x < width; ++x)
                                v[x] = range > 0 ? static_cast<float>(255.0 * (v[x] - low) / range)
                                                 : 0.0f;
                        }
                        rowDone();
                    }
                });
}

} // namespace fringel
