#include "io/save_document.h"

#include "image/bmp_codec.h"
#include "io/project.h"

namespace fringel {

void saveDocument(Host& host, const ImageDocument& document, const std::optional<std::string>& name,
                  std::int32_t filterIndex) {
    if (name) {
        switch (filterIndex) {
        case kSaveBmp:
            writeBmp(*document.bitmaps[document.currentLayer], *name + ".bmp");
            break;
        case kSaveProject:
            writeProject(host, document, *name);
            break;
        default:
            // These entries have no writer; the log must not suggest that something was saved.
            host.log("Nothing was written: Save writes BMP pictures and projects only");
            break;
        }
    }
    host.setProgressPosition(0);
    host.log("Saving done...");
}

void saveActiveBitmap(const ImageDocument& document, const std::string& name) {
    const Bitmap& picture =
        document.bitmaps.empty() ? document.shownPicture : *document.bitmaps[document.currentLayer];
    writeBmp(picture, name + ".bmp");
}

} // namespace fringel
