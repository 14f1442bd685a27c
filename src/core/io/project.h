// Projects: the float layers of a document as one text file (".mdt") plus one BMP file per
// layer holding its display bitmap.
//
// The text is plain ASCII with LF line ends: the version 1, then "L,C,W,H" (layers, channels
// of layer 0, its width and height), then per layer its number and one line per column with
// the column's values top to bottom, each written "%g"-style with six significant digits and
// followed by ",". Only channel 0 of each layer is stored.
#pragma once

#include "base/host.h"
#include "document/image_document.h"
#include "io/open_series.h"

#include <string>

namespace fringel {

// The ".mdt" text of one value: the 32-bit float widened and written like "%g" with a point.
std::string projectValueText(float value);

// Writes the document under `name`: name + ".mdt" and name + "_" + l + ".bmp" for every layer
// l (the extensions are always appended). Each file is written whole or not at all. Logs
// "Saving: (l[0|x,y])" per layer, moves the progress bar and lets events run. A document
// without layers raises DynArrayOutOfRange before any file is written; write failures raise
// FileError naming the file.
void writeProject(Host& host, const ImageDocument& document, const std::string& name);

// The most values (layers x channels x width x height) a project may declare; a header beyond
// it is refused before anything is allocated.
inline constexpr std::int64_t kMaxProjectValues = std::int64_t{1} << 30;

// The numbers at the head of a project file: its version and, for version 1, the layers,
// the channels of layer 0, its width and height (0 when absent or not numbers).
struct ProjectHeader {
    std::int32_t version = 0;
    std::int32_t layers = 0;
    std::int32_t channels = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
};
// Reads only the head of the file. Raises FileError when it cannot be opened.
ProjectHeader readProjectHeader(const std::string& path);

// Reads the project file `path` into the new, empty `document`: the values of channel 0 of
// every layer, and the display bitmaps from (path without its last four characters) + "_" + l
// + ".bmp". Every number may follow any white space and is followed by exactly one separator
// character of any kind, so CR LF files and other separators read the same. Logs "File ver: ",
// "Project Settings: ( ...", "Reading: ( ..." per layer; version 2 reads nothing further,
// others log "Unknow file version (v) !!!". A file that ends early keeps the values read so far.
// Raises FileError for a file that cannot be read, a header without layers or beyond
// kMaxProjectValues, a header that declares far more values than the file can hold (more than
// 64 times as many, plus a million), and a missing or unreadable layer bitmap (layers read
// before it stay).
void readProject(ImageDocument& document, OpenWindow& window, const std::string& path);

} // namespace fringel
