#include "widgets/spin_edit.h"

#include "base/errors.h"
#include "base/number_text.h"
#include "widgets/up_down.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLineEdit>
#include <algorithm>

SpinEdit::SpinEdit(int minimum, int maximum, int initial, QWidget* parent)
    : QWidget(parent), min_(minimum), max_(maximum) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    edit_ = new QLineEdit(this);
    arrows_ = new UpDown(this);
    arrows_->setRange(minimum, maximum);
    layout->addWidget(edit_);
    layout->addWidget(arrows_);
    setFocusProxy(edit_);
    setValue(initial);
    edit_->installEventFilter(this);
    connect(edit_, &QLineEdit::textChanged, this, &SpinEdit::changed);
    connect(arrows_, &UpDown::changing, this, [this](int direction) {
        // Arrows work from the value as it stands in the text, like typing then clicking.
        const int v = value();
        setValue(direction > 0 && v < max_ ? v + 1 : direction < 0 && v > min_ ? v - 1 : v);
    });
}

int SpinEdit::value() const {
    try {
        return fringel::parseInt(edit_->text().toStdString());
    } catch (const fringel::ConversionError&) {
        return min_;
    }
}

void SpinEdit::setValue(int value) {
    edit_->setText(QString::number(std::clamp(value, min_, max_)));
}

QString SpinEdit::text() const {
    return edit_->text();
}

void SpinEdit::setText(const QString& text) {
    edit_->setText(text);
}

bool SpinEdit::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edit_ && event->type() == QEvent::FocusOut) {
        const int v = value();
        if (v < min_ || v > max_ || edit_->text() != QString::number(v)) setValue(v);
    }
    return QWidget::eventFilter(watched, event);
}
