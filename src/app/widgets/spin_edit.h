// A spin edit: a text box for an integer with two arrow buttons.
//
// Its value is its text read as an integer; a text that is no integer gives the minimum.
// The range is enforced when the box loses the focus and by the arrows and setValue, not
// while the user types, so a half-typed number is never changed under the user's fingers.
#pragma once

#include <QWidget>

class QLineEdit;
class UpDown;

class SpinEdit : public QWidget {
    Q_OBJECT
public:
    SpinEdit(int minimum, int maximum, int value, QWidget* parent = nullptr);

    int minimum() const { return min_; }
    int maximum() const { return max_; }
    int value() const;
    // Sets the text to the value kept within the range.
    void setValue(int value);
    QString text() const;
    void setText(const QString& text);
    QLineEdit* editor() const { return edit_; }

signals:
    // The text changed (typed, by the arrows or by setValue/setText).
    void changed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int min_;
    int max_;
    QLineEdit* edit_;
    UpDown* arrows_;
};
