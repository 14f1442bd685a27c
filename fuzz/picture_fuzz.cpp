// The picture-series loader on any bytes, through the extension registry: the first byte
// picks the extension (TIFF, PNG, JPEG or BMP), the rest is the file.
#include "base/errors.h"
#include "fuzz_support.h"
#include "image/picture_formats.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    static const char* const kNames[] = {"x.tif", "x.png", "x.jpg", "x.bmp"};
    const std::string path = fringel::fuzz::scratchFile(kNames[data[0] % 4], data + 1, size - 1);
    try {
        (void)fringel::loadPicture(path);
    } catch (const fringel::FileError&) {
    }
    return 0;
}
