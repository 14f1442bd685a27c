// The BMP file format: reading every variant a camera tool or image program writes, and
// writing the 8-bit grey and 24-bit bitmaps the program produces.
#pragma once

#include "image/bitmap.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace fringel {

// Decodes a whole BMP file held in memory. `name` is used in error messages only.
// Raises FileError (naming the file and the fault) for anything it cannot decode safely.
Bitmap decodeBmp(std::span<const std::uint8_t> file, const std::string& name);

// Reads a BMP file from disk. Raises FileError when it is missing, unreadable or malformed.
Bitmap readBmp(const std::string& fileName);

// Encodes a bitmap as a BMP file (bottom-up, uncompressed, BITMAPINFOHEADER).
// Gray8 is written with a grey palette; indexed formats with their palette.
std::vector<std::uint8_t> encodeBmp(const Bitmap& bitmap);

// Writes a BMP file through a temporary file renamed into place, so a failed write never
// leaves a half-written file under the name. Raises FileError on any failure.
void writeBmp(const Bitmap& bitmap, const std::string& fileName);

class ReplacingFile;
// Writes the BMP bytes into an open replacing file and finishes it, without putting it in
// place: for savers that replace several files together.
void writeBmp(const Bitmap& bitmap, ReplacingFile& file);

} // namespace fringel
