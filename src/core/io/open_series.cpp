#include "io/open_series.h"

#include "image/bmp_codec.h"
#include "image/picture_formats.h"
#include "io/camera_raw.h"
#include "io/project.h"

#include <filesystem>

namespace fringel {

FinishingState finishingState(const ImageDocument& d) {
    FinishingState s;
    // A document without layers has no navigation range to set; the steps that need one are
    // skipped instead of failing.
    s.navigationRange = d.layerCount > 0;
    s.layerMaximum = d.layerCount - 1;
    s.layerPosition = d.currentLayer;
    s.connecting = d.bufferView;
    s.measurement = !d.bufferView;
    s.filters = d.bufferView;
    s.saving = d.canSave;
    s.navigation = d.animating;
    const std::int64_t highestBuffer = d.bufferBitmaps.empty() ? 0 : d.bufferBitmaps.length() - 1;
    s.timeDownMaximum =
        static_cast<std::int32_t>(ImageDocument::kExposureTimeCount - 1 - highestBuffer);
    return s;
}

void readSeriesInto(ImageDocument& d, OpenWindow& window, const std::vector<std::string>& files,
                    const ExposureReader& read, const SeriesSteps& steps) {
    Host& host = d.host();
    const auto n = static_cast<std::int32_t>(files.size());
    if (n == 0) return;
    std::error_code ec;
    if (!std::filesystem::exists(d.fileNames[0], ec)) return;
    window.setCaption(steps.captionWithWindowCount
                          ? d.fileNames[0] +
                                ", okno: " + std::to_string(window.documentWindowCount())
                          : d.fileNames[0]);
    d.bufferBitmaps[0] = std::make_shared<Bitmap>(read(d.fileNames[0]));
    const Bitmap& first = *d.bufferBitmaps[0];
    if (steps.sizeWindow) window.sizeForPicture(first.width(), first.height());

    if (n > 1) {
        host.setProgressMaximum(n - 1);
        host.setProgressPosition(1);
        for (std::int32_t i = 1; i < n; ++i) {
            d.bufferBitmaps[i] =
                std::make_shared<Bitmap>(read(d.fileNames[static_cast<std::size_t>(i)]));
            const Bitmap& b = *d.bufferBitmaps[i];
            if (b.width() == first.width() && b.height() == first.height())
                host.setProgressPosition(i);
            else
                host.log(steps.mismatchLine);
        }
        d.animating = true;
    }
}

namespace {

constexpr SeriesSteps kOpenSteps{true, true, "Image dimentions didn't match !!!"};

void startSeries(ImageDocument& d, const std::vector<std::string>& files) {
    const auto n = static_cast<std::int32_t>(files.size());
    d.layerCount = n;
    d.host().log("Number of files: " + std::to_string(n));
    d.createBuffer(n);
    d.bufferView = true;
    d.canSave = false;
    d.setSeriesFileNames(files);
}

} // namespace

void loadBmpSeries(ImageDocument& d, OpenWindow& window, const std::vector<std::string>& files) {
    startSeries(d, files);
    readSeriesInto(d, window, files, readBmp, kOpenSteps);
}

void loadPictureSeries(ImageDocument& d, OpenWindow& window,
                       const std::vector<std::string>& files) {
    startSeries(d, files);
    readSeriesInto(d, window, files, loadPicture, kOpenSteps);
}

void showLoadedSeries(ImageDocument& d, OpenWindow& window) {
    d.currentLayer = 0;
    d.showBitmap(*d.bufferBitmaps[0]);
    d.loaded = true;
    window.selectPage(1);
    d.host().setProgressPosition(0);
}

void openFiles(ImageDocument& d, OpenWindow& window, const std::vector<std::string>& files,
               std::int32_t filterIndex, const std::string& /*fileName*/) {
    Host& host = d.host();
    switch (filterIndex) {
    case kOpenBmpSeries:
        loadBmpSeries(d, window, files);
        showLoadedSeries(d, window);
        break;
    case kOpenProject:
        readProject(d, window, files.empty() ? std::string() : files.front());
        break;
    case kOpenPictureSeries:
        loadPictureSeries(d, window, files);
        if (!d.bufferBitmaps.empty()) showLoadedSeries(d, window);
        break;
    case kOpenCameraRaw:
        if (!files.empty()) convertCameraRaw(host, files.front());
        break;
    default:
        host.showMessage("This isnt a vaild file extenasion [" + std::to_string(filterIndex) + "]");
        break;
    }
    window.finishOpen(d);
}

} // namespace fringel
