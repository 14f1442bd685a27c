// Turning image data into 24-bit display pictures.
#pragma once

#include "base/host.h"
#include "document/image_document.h"

#include <cstdint>

namespace fringel {

// The byte a float sample shows as: truncated toward zero to a 64-bit integer, low 8 bits
// kept (255.9 -> 255, 256 -> 0, 300 -> 44, -1 -> 255). Not-a-number and values beyond the
// 64-bit range give 0.
std::uint8_t floatToByte(float value);

// Fills the whole 24-bit `target` with layer `layer` of the document, starting at layer point
// (x0, y0): target pixel (i, j) shows layer point (x0 + i, y0 + j).
// Photo mode (document.photoMode): red, green and blue bytes from channels 0, 1 and 2.
// Standard mode: the layer's last channel as grey. Logs which mode runs. A layer, channel
// or area the layer does not have raises DynArrayOutOfRange; rows before the first missing
// row are rendered.
void renderLayer(ImageDocument& document, std::int32_t layer, std::int32_t x0, std::int32_t y0,
                 Bitmap& target);

// Copies the rectangle x0 <= x < x1, y0 <= y < y1 of an 8-bit or 24-bit source into the
// 24-bit destination at (x - x0, y - y0); an 8-bit byte becomes three equal bytes. Lets
// events run after every row. Any other source format logs
// "Nie rozpznalem przestrzeni kolorow..." and copies nothing. A rectangle outside the source
// or larger than the destination raises FringelError before anything is copied.
void copyRegion(Host& host, std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1,
                const Bitmap& source, Bitmap& destination);

} // namespace fringel
