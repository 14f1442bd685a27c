// The project reader on any text: it reads, or refuses with FileError; a header beyond the
// limits is refused before anything is allocated. The layer bitmaps do not exist, so a read
// that gets through all values ends at the first bitmap.
#include "base/errors.h"
#include "base/host.h"
#include "document/image_document.h"
#include "fuzz_support.h"
#include "io/open_series.h"
#include "io/project.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = fringel::fuzz::scratchFile("p.mdt", data, size);
    fringel::SilentHost host;
    fringel::ImageDocument doc(host);
    fringel::NoOpenWindow window;
    try {
        fringel::readProject(doc, window, path);
    } catch (const fringel::FileError&) {
    }
    return 0;
}
