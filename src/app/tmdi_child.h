// TMDIChild: the window of one image document inside the main window.
//
// It owns the document and shows its picture (Image1) in a scrolling area. Closing it runs
// the document's closing steps; a window asked to close while a long loop still works on its
// document stops the loop's animation and closes as soon as the loop has let go.
#pragma once

#include "document/image_document.h"

#include <QMdiSubWindow>
#include <memory>

class QScrollArea;
class ImageView;
class TMF;

class TMDIChild : public QMdiSubWindow, private fringel::DocumentView {
    Q_OBJECT
public:
    explicit TMDIChild(TMF& mainWindow);
    ~TMDIChild() override;

    fringel::ImageDocument& document() { return *doc_; }
    const fringel::ImageDocument& document() const { return *doc_; }
    ImageView* image() const { return image_; }
    QScrollArea* scrollArea() const { return scroll_; }

    // Copies this document's state into the main window's controls and switches the control
    // groups for it; runs whenever the window becomes the active document.
    void FormActivate();

    // Sizes the window for a loaded picture: maximised when the picture does not fit beside
    // the main window's right panel, otherwise a client area of the picture's size.
    void sizeForPicture(int width, int height);

    // Closes the window now if no loop works on the document, else as soon as it is free.
    void closeWhenFree();

    // Pointer handlers: a click picks the measurement's start point and marks it with a red
    // cross on the shown copy; moving shows the float value under the pointer; the wheel
    // scrolls by 20 pixels a notch.
    void Image1MouseDown(int x, int y);
    void Image1MouseMove(int x, int y);
    void FormMouseWheelDown();
    void FormMouseWheelUp();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void pictureChanged() override;

    TMF& main_;
    std::unique_ptr<fringel::ImageDocument> doc_;
    QScrollArea* scroll_;
    ImageView* image_;
    bool closePending_ = false;
};
