// Float layers as 32-bit floating-point TIFF files, the form ImageJ/Fiji, tifffile and MATLAB
// read without loss.
#pragma once

#include "document/planes.h"

#include <string>
#include <vector>

namespace fringel {

// Writes the planes (1 for a grey picture, 3 for red, green and blue; all of one size) as one
// uncompressed TIFF with 32-bit IEEE float samples, interleaved. The file is written whole or
// not at all; failures raise FileError naming it.
void writeFloatTiff(const std::string& fileName, const std::vector<const Plane*>& channels);

} // namespace fringel
