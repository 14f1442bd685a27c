#include "qt_picture_formats.h"

#include "base/errors.h"
#include "image/picture_formats.h"

#include <QImage>
#include <QImageReader>
#include <QString>
#include <QtGlobal>
#include <cstring>

namespace fringel {

namespace {

// Reads with Qt's reader for `format`, refusing a declared size beyond the bitmap limits
// before anything is allocated. Grey pictures become 8-bit grey, the rest 24-bit.
Bitmap readWithQt(const std::string& fileName, const char* format) {
    QImageReader reader(QString::fromStdString(fileName), format);
    reader.setDecideFormatFromContent(false);
    const QSize size = reader.size();
    if (size.isValid() && !bitmapSizeAllowed(size.width(), size.height()))
        throw FileError(fileName, "the picture declares " + std::to_string(size.width()) + " x " +
                                      std::to_string(size.height()) +
                                      " pixels, more than a picture may have");
    // Qt refuses anything that would need more memory than this (in megabytes).
    reader.setAllocationLimit(static_cast<int>(kMaxBitmapPixels * 4 / (1024 * 1024)));
    QImage image;
    if (!reader.read(&image))
        throw FileError(fileName, "cannot read the picture: " + reader.errorString().toStdString());
    if (!bitmapSizeAllowed(image.width(), image.height()) || image.isNull())
        throw FileError(fileName, "the picture has no pixels or is too large");
    const bool grey = image.allGray();
    image = image.convertToFormat(grey ? QImage::Format_Grayscale8 : QImage::Format_BGR888);
    Bitmap bitmap(image.width(), image.height(), grey ? PixelFormat::Gray8 : PixelFormat::Bgr24);
    const auto rowBytes = static_cast<std::size_t>(image.width()) * (grey ? 1 : 3);
    for (int y = 0; y < image.height(); ++y)
        std::memcpy(bitmap.row(y), image.constScanLine(y), rowBytes);
    return bitmap;
}

} // namespace

void silenceQtMessages() {
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
}

void registerQtPictureFormats() {
    struct Entry {
        const char* extension;
        const char* description;
        const char* qtFormat;
    };
    for (const Entry& e :
         {Entry{"PPM", "Portable Pixelmap", "ppm"}, Entry{"PGM", "Portable Greymap", "pgm"},
          Entry{"PBM", "Portable Bitmap", "pbm"}, Entry{"TGA", "Truevision Targa", "tga"},
          Entry{"AFI", "Truevision Targa", "tga"}, Entry{"ICO", "Icon", "ico"}}) {
        if (!QImageReader::supportedImageFormats().contains(e.qtFormat)) continue;
        const std::string format = e.qtFormat;
        registerPictureFormat(e.extension, e.description, [format](const std::string& file) {
            return readWithQt(file, format.c_str());
        });
    }
}

} // namespace fringel
