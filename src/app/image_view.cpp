#include "image_view.h"

#include "image/bitmap.h"

#include <QImage>
#include <QMouseEvent>
#include <QPainter>

namespace {

// Wraps the bitmap's memory where Qt has the same layout; converts the rest for display.
QImage displayImage(const fringel::Bitmap& b, fringel::Bitmap& scratch) {
    using fringel::PixelFormat;
    if (b.isEmpty()) return {};
    switch (b.format()) {
    case PixelFormat::Gray8:
        return QImage(b.bits(), b.width(), b.height(), static_cast<qsizetype>(b.stride()),
                      QImage::Format_Grayscale8);
    case PixelFormat::Bgr24:
        return QImage(b.bits(), b.width(), b.height(), static_cast<qsizetype>(b.stride()),
                      QImage::Format_BGR888);
    default:
        scratch = fringel::toBgr24(b);
        return QImage(scratch.bits(), scratch.width(), scratch.height(),
                      static_cast<qsizetype>(scratch.stride()), QImage::Format_BGR888);
    }
}

} // namespace

QImage copyToQImage(const fringel::Bitmap& picture) {
    fringel::Bitmap scratch;
    return displayImage(picture, scratch).copy();
}

ImageView::ImageView(const fringel::Bitmap& picture, QWidget* parent)
    : QWidget(parent), picture_(picture) {
    setObjectName("Image1");
    setCursor(Qt::CrossCursor);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    pictureChanged();
}

void ImageView::pictureChanged() {
    setFixedSize(std::max(1, picture_.width()), std::max(1, picture_.height()));
    update();
}

void ImageView::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    fringel::Bitmap scratch;
    const QImage image = displayImage(picture_, scratch);
    if (image.isNull()) {
        p.fillRect(event->rect(), palette().window());
        return;
    }
    p.drawImage(event->rect().topLeft(), image, event->rect());
}

void ImageView::mousePressEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    emit mousePressed(pos.x(), pos.y(), event->button());
}

void ImageView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    emit mouseMoved(pos.x(), pos.y());
}
