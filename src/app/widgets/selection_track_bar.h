// A track bar that also shows a selected band, like the cut-off band of the connecting tab.
// The band runs from selectionStart to selectionEnd in slider values; the bar does not keep
// them ordered (a band set "backwards" is shown between the two values).
#pragma once

#include <QSlider>

class SelectionTrackBar : public QSlider {
    Q_OBJECT
public:
    explicit SelectionTrackBar(Qt::Orientation orientation, QWidget* parent = nullptr);

    int selectionStart() const { return selStart_; }
    int selectionEnd() const { return selEnd_; }
    void setSelectionStart(int value);
    void setSelectionEnd(int value);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int selStart_ = 0;
    int selEnd_ = 0;
};
