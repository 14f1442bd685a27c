// JPEG pictures through libjpeg-turbo.
//
// One-component pictures are decoded as grey, three-component ones (YCbCr or RGB) as blue,
// green, red bytes, both straight into the bitmap's rows. CMYK and YCCK pictures are refused.
//
// libjpeg reports errors through the error manager, whose exit routine here longjmps back. The
// calls that can raise one sit in functions holding only plain C locals, so the jump skips no
// destructor; they return false after an error and the caller raises FileError. Warnings that
// mean the pixels are damaged or missing (a file cut short, corrupt entropy-coded data) count
// as errors: libjpeg would otherwise fill the rest of the picture with grey and go on.
#include "base/errors.h"
#include "base/input_file.h"
#include "image/decoders/picture_decoders.h"

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sys/stat.h>

// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>
// The message codes; after jpeglib.h, whose configuration decides which of them exist.
#include <jerror.h>

namespace fringel {

namespace {

struct JpegErrors {
    jpeg_error_mgr manager{}; // first, so libjpeg's pointer to it is a pointer to the whole
    std::jmp_buf jump{};
    char message[JMSG_LENGTH_MAX] = "";
};

[[noreturn]] void onJpegError(j_common_ptr info) {
    auto* errors = reinterpret_cast<JpegErrors*>(info->err);
    (*info->err->format_message)(info, errors->message);
    std::longjmp(errors->jump, 1);
}

void onJpegMessage(j_common_ptr info, int level) {
    if (level >= 0) return; // trace messages
    switch (info->err->msg_code) {
    case JWRN_JPEG_EOF:
    case JWRN_HIT_MARKER:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_ARITH_BAD_CODE:
    case JWRN_MUST_RESYNC:
    case JWRN_NOT_SEQUENTIAL:
    case JWRN_BOGUS_PROGRESSION:
        onJpegError(info);
    default:
        return; // harmless: unknown JFIF revision, stray bytes between markers, ...
    }
}

void silent(j_common_ptr) {}

// Owns a decompressor; destroying one that was never created is harmless.
struct JpegDecompressor {
    jpeg_decompress_struct info{};
    JpegErrors errors;

    JpegDecompressor() {
        info.err = jpeg_std_error(&errors.manager);
        errors.manager.error_exit = onJpegError;
        errors.manager.emit_message = onJpegMessage;
        errors.manager.output_message = silent;
    }
    JpegDecompressor(const JpegDecompressor&) = delete;
    JpegDecompressor& operator=(const JpegDecompressor&) = delete;
    ~JpegDecompressor() { jpeg_destroy_decompress(&info); }
};

// Creates the decompressor and reads the markers up to the first scan. False after an error.
bool readJpegHeader(JpegDecompressor& d, std::FILE* file) {
    if (setjmp(d.errors.jump)) return false;
    jpeg_create_decompress(&d.info);
    jpeg_stdio_src(&d.info, file);
    jpeg_read_header(&d.info, TRUE);
    return true;
}

// Decodes every row into the bitmap, whose format the output colour space matches. False
// after an error.
bool readJpegPixels(JpegDecompressor& d, Bitmap& bitmap) {
    if (setjmp(d.errors.jump)) return false;
    const bool grey = bitmap.format() == PixelFormat::Gray8;
    d.info.out_color_space = grey ? JCS_GRAYSCALE : JCS_EXT_BGR;
    jpeg_start_decompress(&d.info);
    if (d.info.output_width != static_cast<JDIMENSION>(bitmap.width()) ||
        d.info.output_height != static_cast<JDIMENSION>(bitmap.height()) ||
        d.info.output_components != (grey ? 1 : 3)) {
        std::snprintf(d.errors.message, sizeof d.errors.message, "unexpected output layout");
        return false;
    }
    JSAMPROW rows[16];
    while (d.info.output_scanline < d.info.output_height) {
        const JDIMENSION first = d.info.output_scanline;
        const JDIMENSION count = std::min<JDIMENSION>(d.info.output_height - first, 16);
        for (JDIMENSION i = 0; i < count; ++i)
            rows[i] = bitmap.row(static_cast<std::int32_t>(first + i));
        jpeg_read_scanlines(&d.info, rows, count);
    }
    return true;
}

} // namespace

Bitmap decodeJpeg(const std::string& fileName) {
    const InputFile file = openInputFile(fileName);

    JpegDecompressor d;
    if (!readJpegHeader(d, file.get()))
        throw FileError(fileName, std::string("not a readable JPEG file: ") + d.errors.message);
    const J_COLOR_SPACE space = d.info.jpeg_color_space;
    if (space == JCS_CMYK || space == JCS_YCCK)
        throw FileError(fileName, "CMYK JPEG pictures are not supported");
    const int components = d.info.num_components;
    if (components != 1 && components != 3)
        throw FileError(fileName, "JPEG pictures with " + std::to_string(components) +
                                      " colour components are not supported");
    const JDIMENSION width = d.info.image_width;
    const JDIMENSION height = d.info.image_height;
    if (width == 0 || height == 0) throw FileError(fileName, "the picture is empty");
    if (!bitmapSizeAllowed(width, height))
        throw FileError(fileName, "the picture is too large (" + std::to_string(width) + " x " +
                                      std::to_string(height) + " pixels)");

    Bitmap bitmap(static_cast<std::int32_t>(width), static_cast<std::int32_t>(height),
                  components == 1 ? PixelFormat::Gray8 : PixelFormat::Bgr24);
    if (!readJpegPixels(d, bitmap))
        throw FileError(fileName, std::string("not a readable JPEG file: ") + d.errors.message);
    return bitmap;
}

} // namespace fringel
