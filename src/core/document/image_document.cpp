#include "document/image_document.h"

#include <algorithm>
#include <cwctype>

namespace fringel {

namespace {

// Decodes one UTF-8 code point at `i` and advances `i`; invalid bytes stand for themselves.
char32_t nextCodePoint(const std::string& s, std::size_t& i) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    int extra = b0 >= 0xF0 ? 3 : b0 >= 0xE0 ? 2 : b0 >= 0xC0 ? 1 : 0;
    if (b0 < 0xC0 || b0 >= 0xF8 || i + static_cast<std::size_t>(extra) >= s.size()) {
        ++i;
        return b0;
    }
    char32_t cp = b0 & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
        const auto b = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
        if ((b & 0xC0) != 0x80) {
            ++i;
            return b0;
        }
        cp = cp << 6 | (b & 0x3F);
    }
    i += static_cast<std::size_t>(extra) + 1;
    return cp;
}

char32_t fold(char32_t c) {
    if (c < 0x80) return (c >= 'A' && c <= 'Z') ? c + 32 : c;
    return static_cast<char32_t>(std::towlower(static_cast<wint_t>(c)));
}

} // namespace

int compareTextInsensitive(const std::string& a, const std::string& b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        const char32_t ca = fold(nextCodePoint(a, i));
        const char32_t cb = fold(nextCodePoint(b, j));
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    if (i < a.size()) return 1;
    if (j < b.size()) return -1;
    return 0;
}

ImageDocument::ImageDocument(Host& host) : host_(host) {
    fillExposureTimes();
}

void ImageDocument::setSeriesFileNames(const std::vector<std::string>& names) {
    fileNames = names;
    std::stable_sort(fileNames.begin(), fileNames.end(),
                     [](const std::string& a, const std::string& b) {
                         return compareTextInsensitive(a, b) < 0;
                     });
}

void ImageDocument::resizePlanes(std::int32_t addLayers, std::int32_t channels, std::int32_t width,
                                 std::int32_t height) {
    planes.setLength(planes.length() + addLayers);
    for (Layer& layer : planes) {
        layer.setLength(channels);
        for (Plane& plane : layer)
            plane.resize(width, height);
    }
}

void ImageDocument::sizeLayerBitmaps(std::int32_t n) {
    animating = false;
    bitmaps.setLength(n);
    for (BitmapRef& slot : bitmaps)
        slot = std::make_shared<Bitmap>();
}

void ImageDocument::growByOneLayer() {
    bitmaps.setLength(bitmaps.length() + 1);
    bitmaps[bitmaps.length() - 1] = std::make_shared<Bitmap>();
    layerCount = static_cast<std::int32_t>(bitmaps.length());
}

void ImageDocument::createBuffer(std::int32_t n) {
    animating = false;
    bufferBitmaps.setLength(n);
    bufferImages.setLength(n);
    for (std::int32_t i = 0; i < n; ++i) {
        bufferBitmaps[i] = std::make_shared<Bitmap>();
        bufferImages[i] = std::make_shared<PictureHolder>();
        bufferBitmaps[i]->setFormat(PixelFormat::Bgr24);
    }
    host_.log("Utworzylem schowek na bitmape [" + std::to_string(n) + "]");
}

void ImageDocument::showBitmap(const Bitmap& bitmap) {
    shownPicture = bitmap;
    pictureChanged();
}

void ImageDocument::pictureChanged() {
    if (view_) view_->pictureChanged();
}

const std::array<float, ImageDocument::kExposureTimeCount>& ImageDocument::exposureTable() {
    static constexpr std::array<float, kExposureTimeCount> kTable = {
        1.0f / 30, 1.0f / 15, 0.125f, 0.25f, 0.5f, 1,    2,    4,    8,   15,
        30,        60,        125,    250,   500,  1000, 2000, 4000, 8000};
    return kTable;
}

void ImageDocument::fillExposureTimes() {
    exposureTimes.setLength(kExposureTimeCount);
    std::copy(exposureTable().begin(), exposureTable().end(), exposureTimes.begin());
}

void ImageDocument::close() {
    animating = false;
    planes.setLength(0);
    host_.log("Dynamic Arrays deleted from memory...");
    for (BitmapRef& slot : bitmaps)
        slot.reset();
    bitmaps.setLength(0);
    host_.log("Bitmaps deleted from memory...");
}

} // namespace fringel
