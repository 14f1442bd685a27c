// Decoders for picture files made by cameras and other programs, built on the well-kept
// libraries for each format (libtiff, libpng, libjpeg-turbo).
//
// Every decoder gives an 8-bit grey bitmap (PixelFormat::Gray8) for a grey picture and a
// 24-bit bitmap (PixelFormat::Bgr24) for anything in colour, so exposure series in these
// formats connect like BMP series. Samples of 16 bits are reduced to 8 bits as
// round(v x 255 / 65535), that is (v + 128) / 257. Alpha channels are dropped. The first
// picture of a file with several is read.
//
// The declared size is checked against the bitmap limits (image/bitmap.h) before anything is
// allocated. A missing, unreadable, truncated or malformed file raises FileError naming the
// file and the fault; nothing is printed to the terminal.
#pragma once

#include "image/bitmap.h"

#include <string>

namespace fringel {

// TIFF: 1 to 16 bits per sample, grey, palette, RGB and the other photometric kinds libtiff
// converts; strips or tiles; any compression libtiff was built with (none, LZW, Deflate,
// PackBits, JPEG, ...).
Bitmap decodeTiff(const std::string& fileName);

// PNG: every colour type and bit depth; palette pictures become 24-bit; interlaced ones too.
Bitmap decodePng(const std::string& fileName);

// JPEG: grey and colour (YCbCr, RGB); CMYK pictures are refused.
Bitmap decodeJpeg(const std::string& fileName);

} // namespace fringel
