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

} // namespace fringel
