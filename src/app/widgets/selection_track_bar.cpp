#include "widgets/selection_track_bar.h"

#include <QPainter>
#include <QStyleOptionSlider>

SelectionTrackBar::SelectionTrackBar(Qt::Orientation orientation, QWidget* parent)
    : QSlider(orientation, parent) {}

void SelectionTrackBar::setSelectionStart(int value) {
    if (selStart_ == value) return;
    selStart_ = value;
    update();
}

void SelectionTrackBar::setSelectionEnd(int value) {
    if (selEnd_ == value) return;
    selEnd_ = value;
    update();
}

void SelectionTrackBar::paintEvent(QPaintEvent* event) {
    QSlider::paintEvent(event);

    QStyleOptionSlider opt;
    initStyleOption(&opt);
    const QRect groove =
        style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderGroove, this);
    const QRect handle =
        style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, this);
    const bool vertical = orientation() == Qt::Vertical;
    const int span = vertical ? groove.height() - handle.height() : groove.width() - handle.width();
    const int offset = (vertical ? handle.height() : handle.width()) / 2;
    const auto pixel = [&](int value) {
        return QStyle::sliderPositionFromValue(minimum(), maximum(), value, span, opt.upsideDown) +
               offset + (vertical ? groove.top() : groove.left());
    };
    const int a = std::min(pixel(selStart_), pixel(selEnd_));
    const int b = std::max(pixel(selStart_), pixel(selEnd_));

    QPainter p(this);
    const QColor band = palette().color(isEnabled() ? QPalette::Highlight : QPalette::Mid);
    if (vertical)
        p.fillRect(QRect(groove.right() + 2, a, 3, b - a + 1), band);
    else
        p.fillRect(QRect(a, groove.bottom() + 2, b - a + 1, 3), band);
}
