// An up-down control: two arrow buttons that move an integer position within a range.
// `changing` is emitted before the position moves (also at either end, where it then stays),
// `clicked` after it moved.
#pragma once

#include <QWidget>

class QToolButton;

class UpDown : public QWidget {
    Q_OBJECT
public:
    explicit UpDown(QWidget* parent = nullptr);

    int minimum() const { return min_; }
    int maximum() const { return max_; }
    int position() const { return pos_; }
    void setRange(int minimum, int maximum);
    void setMaximum(int maximum) { setRange(min_, maximum); }
    // Sets the position, kept within the range; emits no signal.
    void setPosition(int position);

    // Presses an arrow: +1 the up arrow, -1 the down arrow.
    void press(int direction);

signals:
    void changing(int direction);
    void clicked(int direction);

private:
    int min_ = 0;
    int max_ = 100;
    int pos_ = 0;
    QToolButton* up_;
    QToolButton* down_;
};
