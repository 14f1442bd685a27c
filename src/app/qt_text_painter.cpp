#include "qt_text_painter.h"

#include <QImage>
#include <QPainter>

void paintText(fringel::Bitmap& target, int x, int y, const std::string& text, fringel::Rgb color,
               std::optional<fringel::Rgb> background) {
    QImage image(target.bits(), target.width(), target.height(),
                 static_cast<qsizetype>(target.stride()), QImage::Format_BGR888);
    QPainter painter(&image);
    const QString line = QString::fromStdString(text);
    if (background) {
        const QFontMetrics metrics = painter.fontMetrics();
        painter.fillRect(QRect(x, y, metrics.horizontalAdvance(line), metrics.height()),
                         QColor(background->r, background->g, background->b));
    }
    painter.setPen(QColor(color.r, color.g, color.b));
    painter.drawText(QRect(x, y, 4096, 256), Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, line);
}
