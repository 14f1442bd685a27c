// Image1: shows a document's picture at its own size and reports pointer events over it.
// The picture is wrapped as a QImage without a copy where the pixel format allows.
#pragma once

#include <QImage>
#include <QWidget>

namespace fringel {
class Bitmap;
}

// A QImage with its own copy of the picture, for labels that keep what they show.
QImage copyToQImage(const fringel::Bitmap& picture);

class ImageView : public QWidget {
    Q_OBJECT
public:
    explicit ImageView(const fringel::Bitmap& picture, QWidget* parent = nullptr);

    // The picture was replaced or drawn on: resize to it and repaint.
    void pictureChanged();

signals:
    void mousePressed(int x, int y, Qt::MouseButton button);
    void mouseMoved(int x, int y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    const fringel::Bitmap& picture_;
};
