// Saving a document: the current layer's display bitmap or the whole document as a project
// ("Save"), and the picture shown ("Save Active BMP").
#pragma once

#include "base/host.h"
#include "document/image_document.h"

#include <cstdint>
#include <optional>
#include <string>

namespace fringel {

// The save dialog's filter list; its 1-based entry index chooses what "Save" writes.
inline constexpr const char* kSaveFilter = "Bitmapy *.bmp|*.bmp|Data *.mdt|*.mdt|Formated Text "
                                           "*.dat|*.dat|TIFF *.tif|*.tif;*.tiff";
enum SaveFilterIndex : std::int32_t {
    kSaveBmp = 1,
    kSaveProject = 2,
    kSaveFormattedText = 3,
    kSaveTiff = 4,
};
// The entry the save dialog opens with.
inline constexpr std::int32_t kSaveDefaultFilter = kSaveProject;

// "Save" once the dialog has closed: `name` is the chosen file name, or empty when the user
// cancelled. Entry 1 writes the current layer's display bitmap to name + ".bmp", entry 2 the
// project name + ".mdt" with its layer bitmaps; entries 3 and 4 write nothing and say so.
// Ends, cancelled or not, with the progress bar at 0 and "Saving done..."; a file that cannot
// be written raises FileError before that.
void saveDocument(Host& host, const ImageDocument& document, const std::optional<std::string>& name,
                  std::int32_t filterIndex);

// "Save Active BMP": the current layer's display bitmap, or the picture shown when the
// document has no layer bitmaps, to name + ".bmp" (a BMP whatever the name says).
void saveActiveBitmap(const ImageDocument& document, const std::string& name);

} // namespace fringel
