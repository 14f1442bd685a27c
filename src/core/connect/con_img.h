// Connecting an exposure series: the "Connect" button's work.
//
// The exposures of one pattern, taken one stop apart and held in a document's buffer, are
// merged pixel by pixel into one float layer appended to the document: each sample inside the
// cut-off band contributes its value divided by its exposure time, weighted by the value
// itself. Single-channel series give a linear layer (shown as a scaled logarithm); the colour
// order "RGB" gives a three-channel layer of scaled logarithms, shown in colour.
#pragma once

#include "base/host.h"
#include "document/image_document.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace fringel {

// The texts of the four trimming boxes, converted when connecting starts.
struct TrimmingBoxes {
    std::string x;
    std::string y;
    std::string width;
    std::string height;
};

// What the "Connecting" and "Filters" tabs hold when "Connect" is pressed.
struct ConnectSettings {
    int selectionStart = 65; // of the cut-off track bar: 255 - upper level
    int selectionEnd = 255;  // 255 - lower level
    int colorOrder = 1;      // 0 "Red", 1 "Green", 2 "Blue", 3 "RGB"
    std::optional<TrimmingBoxes> trimming;
    bool medianInCalculations = false;
    int medianRadius = 1;
};

// A region of the exposures: start and size.
struct Region {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// What a connect did, for the window's follow-up steps.
struct ConnectOutcome {
    bool connected = false; // a layer was appended
    bool photo = false;     // the layer is a three-channel colour picture
};

// Adds the sample v of exposure i to the running sum S and count C when
// cutoffLow <= v <= cutoffTop: S += F(i) x v x v, C += v, F(i) = exposureTimes[timeIndex + i].
void accumulateSample(int v, double& sum, std::int32_t& count, int cutoffLow, int cutoffTop,
                      int timeIndex, int exposure, const DynamicArray<float>& exposureTimes);

// Lengthens `planes` by one layer of `channels` channels of width x height zeros.
void appendLayer(int channels, Planes& planes, std::int32_t width, std::int32_t height);

// Frees every exposure bitmap, last first, and empties the buffer.
void freeBuffer(DynamicArray<BitmapRef>& bufferBitmaps);

class conImg {
public:
    explicit conImg(Host& host) : host_(host) {}

    // The whole "Connect" on `document`: copies the band and colour order into it, merges,
    // renders the new layer into a new layer bitmap and shows it. The document is held busy
    // meanwhile; a document that is already busy is refused with a log line.
    ConnectOutcome connect(ImageDocument& document, const ConnectSettings& settings);

    // Chooses the merge by the pixel format of exposure 0 and the colour order, merges, and
    // frees the buffer. Exposures that differ from exposure 0, a region outside them and
    // unsupported pixel formats are refused with a log line before anything changes. Returns
    // whether a layer was appended; refusal() then tells why not.
    bool connectExposures(ImageDocument& document, const ConnectSettings& settings);

    // Rescales channel 1 of layer `layer` to 0..255 (the display values). `progressDone` is
    // the count of progress units already done; each row adds its width, twice.
    void calibrateScale(Planes& planes, std::int32_t layer, class PixelProgress& progress,
                        std::int64_t progressDone);

    // The log line that explained the last refusal (empty after a connect that merged).
    const std::string& refusal() const { return refusal_; }

private:
    void refuse(std::string line);
    void mergeSingleChannel(ImageDocument& document, const ConnectSettings& settings,
                            const Region& region, int step, int byteOffset, bool eightBit);
    void mergeRGB(ImageDocument& document);
    // Maps the display channel from `range` to 0..255.
    void scaleDisplay(Plane& display, struct ValueRange range, class PixelProgress& progress,
                      std::int64_t progressDone);
    std::vector<float> exposureFactors(const ImageDocument& document) const;

    Host& host_;
    std::string refusal_;
};

} // namespace fringel
