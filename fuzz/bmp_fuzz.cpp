// The BMP decoder on any bytes: it decodes or refuses with FileError, and never reads or
// allocates beyond what the file and the limits allow.
#include "base/errors.h"
#include "image/bmp_codec.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const fringel::Bitmap b = fringel::decodeBmp(std::span(data, size), "fuzz.bmp");
        // A decoded picture can be shown: its conversion for display must hold too.
        if (!b.isEmpty()) (void)fringel::toBgr24(b);
    } catch (const fringel::FileError&) {
    }
    return 0;
}
