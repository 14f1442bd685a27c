// Picture formats by file extension: the decoder that reads a file of an exposure series,
// chosen by the file's extension without regard to case.
//
// TIFF, PNG, JPEG and BMP are built in. The windows and the command line add the formats they
// read through Qt (the portable any-maps, Targa, icons). Extensions that are known but that
// nothing here decodes are registered without a decoder, so such files are refused with a
// message naming their format rather than mis-read.
#pragma once

#include "image/bitmap.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace fringel {

using PictureDecoder = std::function<Bitmap(const std::string& fileName)>;

struct PictureFormat {
    std::string extension; // upper case, without the point
    std::string description;
    PictureDecoder decode; // empty: known, but not readable here
};

// Adds a format, or replaces the one with the same extension.
void registerPictureFormat(std::string extension, std::string description, PictureDecoder decode);

// The format registered for an extension ("tif", "TIF", ".tif"), if any.
std::optional<PictureFormat> pictureFormat(std::string_view extension);

// The extension of a file name, upper case, without the point ("" when there is none).
std::string pictureExtension(const std::string& fileName);

// Reads a picture with the decoder its extension chooses: an 8-bit grey bitmap for a grey
// picture, a 24-bit one otherwise. Raises FileError naming the file for an extension nobody
// registered, a format nothing here decodes, and any file its decoder refuses.
Bitmap loadPicture(const std::string& fileName);

} // namespace fringel
