// PNG pictures through libpng's row interface.
//
// libpng is told to turn every picture into 8-bit grey or 8-bit blue, green, red rows (palette
// expanded, grey below 8 bits widened, alpha stripped, 16-bit samples scaled with rounding, which
// is exactly (v + 128) / 257) and writes them straight into the bitmap's rows; an interlaced
// picture's passes fill in the same rows.
//
// libpng reports errors by longjmp. The calls that can raise one sit in functions holding only
// plain C locals, so the jump skips no destructor; they return false after an error and the
// caller raises FileError.
#include "base/errors.h"
#include "base/input_file.h"
#include "image/decoders/picture_decoders.h"

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <png.h>
#include <sys/stat.h>

namespace fringel {

namespace {

// libpng's structures for one file, and the first error it reported.
struct PngReader {
    png_structp png = nullptr;
    png_infop info = nullptr;
    char message[256] = "";

    PngReader() = default;
    PngReader(const PngReader&) = delete;
    PngReader& operator=(const PngReader&) = delete;
    ~PngReader() { png_destroy_read_struct(&png, &info, nullptr); }
};

void onPngError(png_structp png, png_const_charp message) {
    auto* reader = static_cast<PngReader*>(png_get_error_ptr(png));
    if (reader->message[0] == '\0')
        std::snprintf(reader->message, sizeof reader->message, "%s", message);
    png_longjmp(png, 1);
}

void onPngWarning(png_structp, png_const_charp) {}

void readPngBytes(png_structp png, png_bytep data, std::size_t length) {
    auto* file = static_cast<std::FILE*>(png_get_io_ptr(png));
    if (std::fread(data, 1, length, file) != length)
        png_error(png, std::ferror(file) ? "read error" : "the file ends early");
}

struct PngHeader {
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int bitDepth = 0;
    int colourType = 0;
};

// Reads the chunks up to the pixel data. False after an error.
bool readPngHeader(PngReader& r, std::FILE* file, PngHeader& header) {
    if (setjmp(png_jmpbuf(r.png))) return false;
    png_set_read_fn(r.png, file, readPngBytes);
    png_set_sig_bytes(r.png, 8);
    png_set_user_limits(r.png, kMaxBitmapSide, kMaxBitmapSide);
    png_read_info(r.png, r.info);
    header.width = png_get_image_width(r.png, r.info);
    header.height = png_get_image_height(r.png, r.info);
    header.bitDepth = png_get_bit_depth(r.png, r.info);
    header.colourType = png_get_color_type(r.png, r.info);
    return true;
}

// Sets up the conversion to the bitmap's format and reads every row (every pass of an interlaced
// picture) into the bitmap. False after an error.
bool readPngPixels(PngReader& r, const PngHeader& header, Bitmap& bitmap) {
    if (setjmp(png_jmpbuf(r.png))) return false;
    if (header.colourType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(r.png);
    if (header.bitDepth < 8) png_set_expand_gray_1_2_4_to_8(r.png);
    if (header.bitDepth == 16) png_set_scale_16(r.png);
    png_set_strip_alpha(r.png);
    if ((header.colourType & PNG_COLOR_MASK_COLOR) != 0) png_set_bgr(r.png);
    const int passes = png_set_interlace_handling(r.png);
    png_read_update_info(r.png, r.info);

    const int channels = bitmap.format() == PixelFormat::Gray8 ? 1 : 3;
    if (png_get_rowbytes(r.png, r.info) != std::size_t{header.width} * channels ||
        png_get_bit_depth(r.png, r.info) != 8 || png_get_channels(r.png, r.info) != channels) {
        std::snprintf(r.message, sizeof r.message, "unexpected row layout");
        return false;
    }
    for (int pass = 0; pass < passes; ++pass)
        for (std::int32_t y = 0; y < bitmap.height(); ++y)
            png_read_row(r.png, bitmap.row(y), nullptr);
    return true;
}

} // namespace

Bitmap decodePng(const std::string& fileName) {
    const InputFile file = openInputFile(fileName);

    png_byte signature[8] = {};
    if (std::fread(signature, 1, sizeof signature, file.get()) != sizeof signature ||
        png_sig_cmp(signature, 0, sizeof signature) != 0)
        throw FileError(fileName, "not a PNG file (no PNG signature)");

    PngReader r;
    r.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &r, onPngError, onPngWarning);
    if (r.png) r.info = png_create_info_struct(r.png);
    if (!r.png || !r.info) throw FileError(fileName, "out of memory");

    PngHeader header;
    if (!readPngHeader(r, file.get(), header))
        throw FileError(fileName, std::string("not a readable PNG file: ") + r.message);
    if (header.width == 0 || header.height == 0) throw FileError(fileName, "the picture is empty");
    if (!bitmapSizeAllowed(header.width, header.height))
        throw FileError(fileName, "the picture is too large (" + std::to_string(header.width) +
                                      " x " + std::to_string(header.height) + " pixels)");

    const bool grey = (header.colourType & PNG_COLOR_MASK_COLOR) == 0;
    Bitmap bitmap(static_cast<std::int32_t>(header.width), static_cast<std::int32_t>(header.height),
                  grey ? PixelFormat::Gray8 : PixelFormat::Bgr24);
    if (!readPngPixels(r, header, bitmap))
        throw FileError(fileName, std::string("not a readable PNG file: ") + r.message);
    return bitmap;
}

} // namespace fringel
