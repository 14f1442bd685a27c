// Camera raw files, converted by two outside programs into the BMP file temp.bmp, which the
// user then opens as a series: the raw decoder dcraw writes the picture as a portable pixmap,
// and netpbm's ppmtobmp turns that into a BMP file.
//
// The two programs run directly, connected by a pipe, without a command interpreter: a file
// name reaches the decoder as one argument whatever it holds (spaces, quotes, semicolons), and
// nothing else is ever run.
#pragma once

#include "base/host.h"

#include <string>

namespace fringel {

inline constexpr const char* kRawDecoder = "dcraw";
inline constexpr const char* kPixmapToBmp = "ppmtobmp";
inline constexpr const char* kRawOutputName = "temp.bmp";

// The command the conversion amounts to, for the log: "dcraw -c F | ppmtobmp > temp.bmp".
std::string cameraRawCommand(const std::string& rawFile);

// Logs the command, runs the conversion (letting events run while it works) and writes
// `folder`/temp.bmp (the current folder when empty) only when both programs succeeded and the
// result is a BMP file; otherwise a line in the log says what failed and an older temp.bmp is
// left as it was. Returns true on success.
bool convertCameraRaw(Host& host, const std::string& rawFile, const std::string& folder = "");

} // namespace fringel
