// The image document: everything Fringel knows about one opened series.
//
// It owns the raw exposures as loaded (the buffer), the float layers that connecting and the
// project reader produce, one display bitmap per layer, the sorted file names of the series,
// and the per-document state of the measurement, connecting and trimming panels. The window
// that shows a document (or the command line) gives it a Host for log lines and a view that
// is told when the shown picture changes.
#pragma once

#include "base/dynamic_array.h"
#include "base/host.h"
#include "document/planes.h"
#include "image/bitmap.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace fringel {

// A holder for one picture file of a registered format before it becomes a buffer bitmap.
struct PictureHolder {
    Bitmap picture;
};

// Whoever shows the document: told after the shown picture was replaced or drawn on.
class DocumentView {
public:
    virtual ~DocumentView() = default;
    virtual void pictureChanged() = 0;
};

using BitmapRef = std::shared_ptr<Bitmap>;

// Compares two texts ignoring letter case (Unicode simple case folding of the current C
// locale), the way series file names are ordered. Returns <0, 0 or >0.
int compareTextInsensitive(const std::string& a, const std::string& b);

class ImageDocument {
public:
    static constexpr int kExposureTimeCount = 19;
    // The shutter table every document starts with: the factor of each entry, the
    // reciprocal of its exposure time in seconds, one stop apart.
    static const std::array<float, kExposureTimeCount>& exposureTable();

    explicit ImageDocument(Host& host);
    ImageDocument(const ImageDocument&) = delete;
    ImageDocument& operator=(const ImageDocument&) = delete;

    Host& host() { return host_; }
    void setView(DocumentView* view) { view_ = view; }

    // Image data.
    Planes planes;
    DynamicArray<BitmapRef> bitmaps;
    DynamicArray<BitmapRef> bufferBitmaps;
    DynamicArray<std::shared_ptr<PictureHolder>> bufferImages;
    std::vector<std::string> fileNames;
    DynamicArray<float> exposureTimes;

    // The picture the view shows (Image1): a copy of one bitmap, plus any marks drawn on it.
    Bitmap shownPicture;

    // Navigation and view state.
    std::int32_t currentLayer = 0;
    std::int32_t layerCount = 0;
    bool animating = false;
    bool bufferView = false;
    bool photoMode = false;
    bool canSave = false;
    bool loaded = false;

    // Measurement state.
    std::int32_t peakX = 100;
    std::int32_t peakY = 100;
    std::int32_t range = 25;
    std::int32_t diodeSize = 10;
    std::int32_t cutLevel = 1;
    std::int32_t fineTuning = 20;
    std::int32_t innerRadius = 0;
    std::int32_t outerRadius = 0;
    float energy = 0;
    float energyNoise = 0;
    float diodeReading = 0;
    float maxEnergy = 0;
    float maxDiodeReading = 0;

    // Connecting settings.
    std::int32_t cutoffLow = 0;
    std::int32_t cutoffTop = 0;
    std::int32_t timeIndex = 0;

    // Trimming region.
    std::int32_t trimX = 0;
    std::int32_t trimY = 0;
    std::int32_t trimWidth = 0;
    std::int32_t trimHeight = 0;

    // Replaces the file names by `names`, sorted ascending ignoring letter case, so a series
    // is always loaded in name order whatever order the file dialog returned.
    void setSeriesFileNames(const std::vector<std::string>& names);

    // Adds `addLayers` layers, then gives every layer `channels` channels of width x height
    // samples. Samples that still fit keep their place; new ones are 0.
    void resizePlanes(std::int32_t addLayers, std::int32_t channels, std::int32_t width,
                      std::int32_t height);

    // Clears `animating` and puts a new empty 24-bit bitmap into each of n layer slots.
    void sizeLayerBitmaps(std::int32_t n);

    // Appends one empty 24-bit layer bitmap; layerCount becomes the number of layer bitmaps.
    void growByOneLayer();

    // Clears `animating` and makes n empty 24-bit buffer bitmaps and n picture holders.
    // Logs "Utworzylem schowek na bitmape [n]".
    void createBuffer(std::int32_t n);

    // Shows a copy of `bitmap` (in its own pixel format); later changes to the bitmap do not
    // reach the view until it is shown again.
    void showBitmap(const Bitmap& bitmap);

    // Tells the view that shownPicture was drawn on.
    void pictureChanged();

    // Fills the shutter-speed table: 19 values from 1/30 to 8000, one stop apart; an entry v
    // stands for an exposure of 1/v second.
    void fillExposureTimes();

    // The closing steps of the window: stops a running animation, releases the layers and the
    // layer bitmaps, and logs "Dynamic Arrays deleted from memory..." and
    // "Bitmaps deleted from memory...".
    void close();

    // Long loops over this document hold a BusyScope; a window that is asked to close while
    // the document is busy defers closing until the loop has ended.
    bool busy() const { return busyDepth_ > 0; }
    class BusyScope {
    public:
        explicit BusyScope(ImageDocument& doc) : doc_(doc) { ++doc_.busyDepth_; }
        ~BusyScope() { --doc_.busyDepth_; }
        BusyScope(const BusyScope&) = delete;
        BusyScope& operator=(const BusyScope&) = delete;

    private:
        ImageDocument& doc_;
    };

private:
    Host& host_;
    DocumentView* view_ = nullptr;
    int busyDepth_ = 0;
};

} // namespace fringel
