// "Images As Layer": a further exposure series loaded into the buffer of a document that
// already has layers, so that connecting it appends one more layer to the same document.
#pragma once

#include "document/image_document.h"
#include "io/open_series.h"

#include <cstdint>
#include <string>
#include <vector>

namespace fringel {

inline constexpr const char* kUnknownAddKindMessage = "A co to za rodzaj pliku ??";

// Loads `files` by the open dialog's filter index: 1 BMP files, 3 and 4 pictures of the
// registered formats (".dat" files among them are refused by the picture loader). The
// document's layers and their bitmaps stay as they are; the new exposures are shown and the
// connecting controls come on. Index 2 (projects) adds nothing, with a log line; any other
// index shows "A co to za rodzaj pliku ??". In both cases, and whenever a file cannot be read,
// the document is left exactly as it was (the error is raised as FileError).
void addImagesAsLayer(ImageDocument& document, OpenWindow& window,
                      const std::vector<std::string>& files, std::int32_t filterIndex);

} // namespace fringel
