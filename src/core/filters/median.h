// The median filter of the "Filters" tab and of connecting.
//
// It smooths one colour channel of a 24-bit exposure with a square window of radius r and
// writes the result as grey (the median in all three bytes). The window is clipped at the
// borders; the result is the lower middle value of the clipped window (filters/median_kernel.h).
#pragma once

#include "base/host.h"
#include "image/bitmap.h"

#include <cstdint>
#include <optional>

namespace fringel {

// The byte of a blue, green, red pixel that a colour order filters: "Red" (0) byte 2,
// "Green" (1) byte 1, "Blue" (2) byte 0. "RGB" (3) and anything else select no channel.
std::optional<int> channelByteOfColorOrder(int colorOrder);

// One use of the filter: the region of the source that the caller copies (right and bottom
// exclusive) and the filter itself.
class TMediana {
public:
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    // Replaces the 24-bit `bitmap` by its filtered version: the channel that `colorOrder`
    // selects, median over the clipped (2r+1) x (2r+1) window, written into all three bytes.
    // Without a channel ("RGB") the bitmap is left as it is. A negative radius counts as 0.
    // Rows are split across the cores while the calling thread moves the progress bar and
    // lets events run; logs "Median calcuation time: <seconds> s" for every run.
    // Raises FringelError for a bitmap that is not 24-bit.
    void medianFilter(Host& host, int radius, int colorOrder, Bitmap& bitmap) const;
};

// "Apply": a 24-bit copy of the whole exposure (8-bit exposures arrive as grey), filtered.
Bitmap applyMedian(Host& host, const Bitmap& exposure, int radius, int colorOrder);

// The preview's source region: the previewWidth x previewHeight part centred on the exposure
// (halves truncated toward zero), clipped to the exposure.
TMediana previewRegion(std::int32_t exposureWidth, std::int32_t exposureHeight,
                       std::int32_t previewWidth, std::int32_t previewHeight);

// The radius preview: the centred region of the exposure, filtered, on a black 24-bit picture
// of previewWidth x previewHeight with the region at its top-left corner. An exposure
// smaller than the preview fills only part of it; the filter sees only exposure pixels.
Bitmap previewMedian(Host& host, const Bitmap& exposure, int radius, int colorOrder,
                     std::int32_t previewWidth = 200, std::int32_t previewHeight = 200);

} // namespace fringel
