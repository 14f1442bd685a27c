// Small commands on a document's float layers: the horizontal profile file and removing the
// last layer.
#pragma once

#include "base/host.h"
#include "document/image_document.h"

#include <cstdint>
#include <string>

namespace fringel {

// Writes "line.txt" into `folder` ("" = the working directory): for every column of channel 0
// of the current layer, the largest of the 41 values in rows y0 - 20 .. y0 + 20, one "%g"
// number and LF per line. A row outside the layer raises DynArrayOutOfRange; the lines written
// before stay. A file that cannot be created is logged and nothing is written.
void writeHorizontalLine(Host& host, const ImageDocument& document, std::int32_t y0,
                         const std::string& folder = {});
// The same profile into the file `path`; false (and a log line) when it cannot be created.
bool writeHorizontalLineTo(Host& host, const ImageDocument& document, std::int32_t y0,
                           const std::string& path);

// Removes the last float layer and its display bitmap and shows the new last layer. The only
// layer is not removed (the document would have nothing left to show): returns false and
// logs why.
bool deleteLastLayer(ImageDocument& document);

} // namespace fringel
