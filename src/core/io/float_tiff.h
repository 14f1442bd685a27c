// Float layers as 32-bit floating-point TIFF files, the form ImageJ/Fiji, tifffile and MATLAB
// read without loss.
#pragma once

#include "document/planes.h"
#include "image/bitmap.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace fringel {

// Writes the planes (1 for a grey picture, 3 for red, green and blue; all of one size) as one
// uncompressed TIFF with 32-bit IEEE float samples, interleaved. The file is written whole or
// not at all; failures raise FileError naming it.
void writeFloatTiff(const std::string& fileName, const std::vector<const Plane*>& channels);

// An 8-bit grey or 24-bit colour picture as an uncompressed TIFF, written whole or not at all.
void writePictureTiff(const Bitmap& picture, const std::string& fileName);

// The size and samples per pixel of a TIFF file with 32-bit float samples, as written above;
// nullopt for any other file.
struct FloatTiffShape {
    std::int32_t width;
    std::int32_t height;
    std::int32_t samples;
};
std::optional<FloatTiffShape> floatTiffShape(const std::string& fileName);

class ImageDocument;
// The float layer `layer` of a document as such a TIFF: the three channels of a colour layer
// (one merged in "RGB" order and shown in photo mode), otherwise channel 0 alone.
void writeLayerFloatTiff(const ImageDocument& document, std::int64_t layer,
                         const std::string& fileName);

} // namespace fringel
