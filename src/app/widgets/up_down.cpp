#include "widgets/up_down.h"

#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

UpDown::UpDown(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    up_ = new QToolButton(this);
    up_->setArrowType(Qt::UpArrow);
    down_ = new QToolButton(this);
    down_->setArrowType(Qt::DownArrow);
    for (QToolButton* b : {up_, down_}) {
        b->setFixedSize(17, 11);
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoRepeat(true);
        layout->addWidget(b);
    }
    up_->setObjectName("up");
    down_->setObjectName("down");
    connect(up_, &QToolButton::clicked, this, [this] { press(+1); });
    connect(down_, &QToolButton::clicked, this, [this] { press(-1); });
    setFixedWidth(17);
}

void UpDown::setRange(int minimum, int maximum) {
    min_ = minimum;
    max_ = std::max(minimum, maximum);
    pos_ = std::clamp(pos_, min_, max_);
}

void UpDown::setPosition(int position) {
    pos_ = std::clamp(position, min_, max_);
}

void UpDown::press(int direction) {
    emit changing(direction);
    setPosition(pos_ + direction);
    emit clicked(direction);
}
