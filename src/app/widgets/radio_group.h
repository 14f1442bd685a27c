// A titled group of radio buttons with an item index (-1 when none is selected).
#pragma once

#include <QGroupBox>
#include <QStringList>

class QButtonGroup;

class RadioGroup : public QGroupBox {
    Q_OBJECT
public:
    RadioGroup(const QString& title, const QStringList& items, QWidget* parent = nullptr);

    int itemIndex() const;
    void setItemIndex(int index);

signals:
    void clicked(int index);

private:
    QButtonGroup* buttons_;
};
