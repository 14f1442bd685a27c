#include "io/add_images.h"

#include "image/bmp_codec.h"
#include "image/picture_formats.h"

namespace fringel {

namespace {

// The window as the add command sees it while the series is read into a scratch document:
// captions and sizes are kept back until everything was read.
class DeferredWindow : public OpenWindow {
public:
    explicit DeferredWindow(OpenWindow& real) : real_(real) {}
    int documentWindowCount() const override { return real_.documentWindowCount(); }
    void setCaption(const std::string& caption) override { caption_ = caption; }
    void sizeForPicture(std::int32_t width, std::int32_t height) override {
        size_ = {width, height};
        sized_ = true;
    }
    void selectPage(int page) override { real_.selectPage(page); }
    void finishOpen(ImageDocument& document) override { real_.finishOpen(document); }

    void apply() {
        if (!caption_.empty()) real_.setCaption(caption_);
        if (sized_) real_.sizeForPicture(size_.first, size_.second);
    }

private:
    OpenWindow& real_;
    std::string caption_;
    std::pair<std::int32_t, std::int32_t> size_{0, 0};
    bool sized_ = false;
};

} // namespace

void addImagesAsLayer(ImageDocument& d, OpenWindow& window, const std::vector<std::string>& files,
                      std::int32_t filterIndex) {
    Host& host = d.host();
    const bool bmp = filterIndex == kOpenBmpSeries;
    const bool pictures = filterIndex == kOpenFormattedText || filterIndex == kOpenPictureSeries;
    if (filterIndex == kOpenProject) {
        host.log("A project cannot be added as a layer; nothing was added");
        return;
    }
    if (!bmp && !pictures) {
        host.showMessage(kUnknownAddKindMessage);
        return;
    }
    if (files.empty()) return;

    // The exposures are read before anything of the document changes, so a file that cannot
    // be read leaves the document as it was.
    const auto n = static_cast<std::int32_t>(files.size());
    std::vector<BitmapRef> exposures(files.size());
    for (BitmapRef& b : exposures)
        b = std::make_shared<Bitmap>();
    DeferredWindow deferred(window);
    std::vector<std::string> mismatches;
    {
        // The reading itself follows the open command's steps on a scratch document.
        SilentHost quiet;
        ImageDocument scratch(quiet);
        scratch.createBuffer(n);
        scratch.setSeriesFileNames(files);
        const SeriesSteps steps =
            bmp ? SeriesSteps{false, false, "Rozmiar obrazkow nie jest identyczny !!!"}
                : SeriesSteps{true, true, "Image dimentions didn't match !!!"};
        readSeriesInto(scratch, deferred, files, bmp ? ExposureReader(readBmp) : loadPicture,
                       steps);
        for (std::int32_t i = 0; i < n; ++i)
            exposures[static_cast<std::size_t>(i)] = scratch.bufferBitmaps[i];
        const Bitmap& first = *exposures[0];
        for (std::int32_t i = 1; i < n; ++i) {
            const Bitmap& b = *exposures[static_cast<std::size_t>(i)];
            if (!first.isEmpty() && (b.width() != first.width() || b.height() != first.height()))
                mismatches.push_back(steps.mismatchLine);
        }
    }

    d.layerCount = n;
    host.log("Number of files: " + std::to_string(n));
    d.setSeriesFileNames(files);
    d.bufferView = true;
    d.createBuffer(n);
    deferred.apply();
    for (std::int32_t i = 0; i < n; ++i)
        d.bufferBitmaps[i] = exposures[static_cast<std::size_t>(i)];
    for (const std::string& line : mismatches)
        host.log(line);
    if (n > 1 && !exposures[0]->isEmpty()) d.animating = true;
    d.loaded = true;

    d.currentLayer = 0;
    d.showBitmap(*d.bufferBitmaps[0]);
    window.finishOpen(d);
    window.selectPage(1);
    host.setProgressPosition(0);
}

} // namespace fringel
