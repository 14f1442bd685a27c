// Layer navigation and animation: the scroll bar, the layer number box, Image Left/Right,
// and the animation that shows the layers one after another.
#include "base/number_text.h"
#include "tmdi_child.h"
#include "tmf.h"
#include "widgets/up_down.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QEventLoop>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

namespace {

// The integer in a text box that passes the numeric check, else 0.
int checkedIntOrZero(const QLineEdit* edit) {
    return fringel::checkedInt(edit->text().toStdString()).value_or(0);
}

// Waits without freezing the window: events keep flowing while the time passes.
void waitWithEvents(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

void TMF::connectNavigation() {
    onSignal(SBimages, &QScrollBar::valueChanged, &TMF::SBimagesChange);
    onSignal(EImages, &QLineEdit::textChanged, &TMF::EImagesChange);
    onSignal(Left1, &QAction::triggered, &TMF::Left1Click);
    onSignal(ImageRight1, &QAction::triggered, &TMF::ImageRight1Click);
    onSignal(AnimBtn, &QPushButton::clicked, &TMF::AnimBtnClick);
    onSignal(FPSUpDown, &UpDown::clicked, &TMF::FPSUpDownClick);
    onSignal(FPSEdit, &QLineEdit::textChanged, &TMF::FPSEditChange);
}

void TMF::SBimagesChange() {
    TMDIChild* child = activeDocument();
    if (!child) return;
    fringel::ImageDocument& d = child->document();
    const int x = checkedIntOrZero(ex);
    const int y = checkedIntOrZero(ey);
    const int p = SBimages->value();
    if (p < 0 || p >= d.layerCount) return;

    d.currentLayer = p;
    EImages->setText(QString::number(p + 1));
    d.showBitmap(d.bufferView ? *d.bufferBitmaps[p] : *d.bitmaps[p]);
    QPointer<TMDIChild> alive(child);
    QCoreApplication::processEvents();
    if (!alive) return;
    // Exposures of an unconnected series hold no float values to measure.
    const bool measurable = !d.bufferView && p < d.planes.length();
    if (autoCalc->isChecked() && x != 0 && y != 0 && measurable) {
        runMeasurement();
        logLine(QString("E(%1) = %2").arg(p).arg(EnOut->text()));
    }
}

void TMF::EImagesChange() {
    TMDIChild* child = activeDocument();
    if (!child) return;
    const int n = checkedIntOrZero(EImages);
    if (n > 0 && n <= child->document().layerCount) SBimages->setValue(n - 1);
}

void TMF::Left1Click() {
    SBimages->setValue(SBimages->value() - 1);
}

void TMF::ImageRight1Click() {
    SBimages->setValue(SBimages->value() + 1);
}

void TMF::AnimBtnClick() {
    TMDIChild* child = activeDocument();
    if (!child) return;
    fringel::ImageDocument& d = child->document();
    if (!d.animating) {
        AnimBtn->setText("Stop");
        d.animating = true;
        runAnimation(child);
    } else {
        d.animating = false;
        AnimBtn->setText("Animate");
    }
}

void TMF::runAnimation(TMDIChild* child) {
    // The document stays alive while the loop holds it: closing its window is deferred until
    // the loop has ended, and closing clears `animating`, which ends the loop at its next check.
    fringel::ImageDocument& d = child->document();
    fringel::ImageDocument::BusyScope busy(d);
    do {
        if (d.currentLayer >= d.layerCount) {
            if (AnimCB->isChecked()) {
                d.currentLayer = 0;
            } else {
                d.animating = false;
                AnimBtn->setText("Animate");
                break;
            }
        }
        SBimages->setValue(d.currentLayer);
        ++d.currentLayer;
        QCoreApplication::processEvents();
        waitWithEvents(1000 / FPSUpDown->position());
        QCoreApplication::processEvents();
    } while (d.animating);
    d.currentLayer = 0;
    if (!d.animating) AnimBtn->setText("Animate");
}

void TMF::FPSUpDownClick() {
    FPSEdit->setText(QString::number(FPSUpDown->position()));
}

void TMF::FPSEditChange() {
    if (auto fps = fringel::checkedInt(FPSEdit->text().toStdString())) FPSUpDown->setPosition(*fps);
}
