#include "io/float_tiff.h"

#include "base/errors.h"
#include "base/replacing_file.h"
#include "document/image_document.h"

#include <cstdarg>
#include <memory>
#include <tiffio.h>

namespace fringel {

void writeFloatTiff(const std::string& fileName, const std::vector<const Plane*>& channels) {
    const auto samples = static_cast<std::uint16_t>(channels.size());
    if (samples != 1 && samples != 3)
        throw FileError(fileName, "a float TIFF holds one or three channels");
    const std::int32_t width = channels[0]->width();
    const std::int32_t height = channels[0]->height();
    for (const Plane* p : channels)
        if (p->width() != width || p->height() != height)
            throw FileError(fileName, "the channels differ in size");
    if (width <= 0 || height <= 0) throw FileError(fileName, "an empty layer cannot be written");

    ReplacingFile file(fileName);
    const std::string temp = file.releasePath().string();
    {
        const std::unique_ptr<TIFF, void (*)(TIFF*)> tiff(TIFFOpen(temp.c_str(), "w"), TIFFClose);
        if (!tiff) throw FileError(fileName, "cannot create the TIFF file");
        TIFF* t = tiff.get();
        TIFFSetField(t, TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(width));
        TIFFSetField(t, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(height));
        TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, samples);
        TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 32);
        TIFFSetField(t, TIFFTAG_SAMPLEFORMAT, SAMPLEFORMAT_IEEEFP);
        TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        TIFFSetField(t, TIFFTAG_PHOTOMETRIC,
                     samples == 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK);
        TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
        TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(t, 0));
        TIFFSetField(t, TIFFTAG_SOFTWARE, "Fringel");
        std::vector<float> row(static_cast<std::size_t>(width) * samples);
        for (std::int32_t y = 0; y < height; ++y) {
            for (std::uint16_t s = 0; s < samples; ++s) {
                const float* src = channels[s]->row(y);
                for (std::int32_t x = 0; x < width; ++x)
                    row[std::size_t(x) * samples + s] = src[x];
            }
            if (TIFFWriteScanline(t, row.data(), static_cast<std::uint32_t>(y), 0) < 0)
                throw FileError(fileName, "write error in row " + std::to_string(y));
        }
        if (!TIFFFlush(t)) throw FileError(fileName, "write error");
    }
    file.commit();
}

void writePictureTiff(const Bitmap& picture, const std::string& fileName) {
    const bool grey = picture.format() == PixelFormat::Gray8;
    if (!grey && picture.format() != PixelFormat::Bgr24)
        throw FileError(fileName, "only 8-bit grey and 24-bit pictures are written as TIFF");
    if (picture.isEmpty()) throw FileError(fileName, "an empty picture cannot be written");
    ReplacingFile file(fileName);
    const std::string temp = file.releasePath().string();
    {
        const std::unique_ptr<TIFF, void (*)(TIFF*)> tiff(TIFFOpen(temp.c_str(), "w"), TIFFClose);
        if (!tiff) throw FileError(fileName, "cannot create the TIFF file");
        TIFF* t = tiff.get();
        const std::uint16_t samples = grey ? 1 : 3;
        TIFFSetField(t, TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(picture.width()));
        TIFFSetField(t, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(picture.height()));
        TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, samples);
        TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
        TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        TIFFSetField(t, TIFFTAG_PHOTOMETRIC, grey ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_RGB);
        TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
        TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(t, 0));
        TIFFSetField(t, TIFFTAG_SOFTWARE, "Fringel");
        std::vector<std::uint8_t> row(static_cast<std::size_t>(picture.width()) * samples);
        for (std::int32_t y = 0; y < picture.height(); ++y) {
            const std::uint8_t* src = picture.row(y);
            for (std::size_t k = 0; k < row.size(); k += samples)
                if (grey)
                    row[k] = src[k];
                else { // blue, green, red in the bitmap; red, green, blue in the file
                    row[k] = src[k + 2];
                    row[k + 1] = src[k + 1];
                    row[k + 2] = src[k];
                }
            if (TIFFWriteScanline(t, row.data(), static_cast<std::uint32_t>(y), 0) < 0)
                throw FileError(fileName, "write error in row " + std::to_string(y));
        }
        if (!TIFFFlush(t)) throw FileError(fileName, "write error");
    }
    file.commit();
}

std::optional<FloatTiffShape> floatTiffShape(const std::string& fileName) {
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    // Not a TIFF, or a damaged one: the answer is "no", and nothing is printed.
    const auto quiet = [](TIFF*, void*, const char*, const char*, va_list) { return 1; };
    TIFFOpenOptionsSetErrorHandlerExtR(options, quiet, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options, quiet, nullptr);
    const std::unique_ptr<TIFF, void (*)(TIFF*)> tiff(TIFFOpenExt(fileName.c_str(), "r", options),
                                                      TIFFClose);
    TIFFOpenOptionsFree(options);
    if (!tiff) return std::nullopt;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint16_t bits = 0;
    std::uint16_t format = SAMPLEFORMAT_UINT;
    std::uint16_t samples = 1;
    TIFFGetField(tiff.get(), TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tiff.get(), TIFFTAG_IMAGELENGTH, &height);
    TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_SAMPLEFORMAT, &format);
    TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_SAMPLESPERPIXEL, &samples);
    if (format != SAMPLEFORMAT_IEEEFP || bits != 32 || !bitmapSizeAllowed(width, height))
        return std::nullopt;
    return FloatTiffShape{static_cast<std::int32_t>(width), static_cast<std::int32_t>(height),
                          samples};
}

void writeLayerFloatTiff(const ImageDocument& document, std::int64_t layer,
                         const std::string& fileName) {
    const Layer& channels = document.planes[layer];
    const bool colour = channels.length() >= 3 && document.photoMode;
    std::vector<const Plane*> planes;
    for (std::int64_t c = 0; c < (colour ? 3 : 1); ++c)
        planes.push_back(&channels[c]);
    writeFloatTiff(fileName, planes);
}

} // namespace fringel
