#include "widgets/radio_group.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>

RadioGroup::RadioGroup(const QString& title, const QStringList& items, QWidget* parent)
    : QGroupBox(title, parent), buttons_(new QButtonGroup(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->setSpacing(0);
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items[i], this);
        buttons_->addButton(button, i);
        layout->addWidget(button);
    }
    connect(buttons_, &QButtonGroup::idClicked, this, &RadioGroup::clicked);
}

int RadioGroup::itemIndex() const {
    return buttons_->checkedId();
}

void RadioGroup::setItemIndex(int index) {
    if (QAbstractButton* b = buttons_->button(index)) {
        b->setChecked(true);
        return;
    }
    buttons_->setExclusive(false);
    for (QAbstractButton* b : buttons_->buttons())
        b->setChecked(false);
    buttons_->setExclusive(true);
}
