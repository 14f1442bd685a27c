// The "Filters" tab: the median filter applied to the current exposure, its radius preview,
// and the switch that filters every exposure when connecting.
#include "base/number_text.h"
#include "filters/median.h"
#include "image_view.h"
#include "tmdi_child.h"
#include "tmf.h"
#include "widgets/spin_edit.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

void TMF::connectFiltersTab() {
    onSignal(BMedApply, &QPushButton::clicked, &TMF::BMedApplyClick);
    onSignal(CBMedFiltrerAuto, &QCheckBox::clicked, &TMF::CBMedFiltrerAutoClick);
    onSignal(CSpinEdit1, &SpinEdit::changed, &TMF::CSpinEdit1Change);
}

void TMF::BMedApplyClick() {
    TMDIChild* child = activeDocument();
    if (!child) return;
    fringel::ImageDocument& doc = child->document();
    if (doc.busy()) {
        logLine("This document is still busy; apply the filter when its running work has ended.");
        return;
    }
    fringel::ImageDocument::BusyScope busy(doc);
    const int radius = fringel::parseInt(CSpinEdit1->text().toStdString());
    const fringel::BitmapRef exposure = doc.bufferBitmaps[doc.currentLayer];
    const fringel::Bitmap filtered =
        fringel::applyMedian(host(), *exposure, radius, CBColorOrder->currentIndex());
    // Only the view shows the result; the exposure itself stays as it was.
    doc.showBitmap(filtered);
    ToolButton12->setEnabled(true);
}

void TMF::CBMedFiltrerAutoClick() {
    BMedApply->setEnabled(!CBMedFiltrerAuto->isChecked());
}

void TMF::CSpinEdit1Change() {
    TMDIChild* child = activeDocument();
    if (!child) return;
    fringel::ImageDocument& doc = child->document();
    if (doc.currentLayer < 0 || doc.currentLayer >= doc.bufferBitmaps.length()) return;
    if (doc.busy()) {
        // A filter still runs on this document: show the newest radius once it has finished.
        if (previewQueued_) return;
        previewQueued_ = true;
        QPointer<TMDIChild> alive(child);
        QTimer::singleShot(50, this, [this, alive] {
            previewQueued_ = false;
            if (alive && activeDocument() == alive) runCommand([this] { CSpinEdit1Change(); });
        });
        return;
    }
    fringel::ImageDocument::BusyScope busy(doc);
    const fringel::BitmapRef exposure = doc.bufferBitmaps[doc.currentLayer];
    const fringel::Bitmap preview =
        fringel::previewMedian(host(), *exposure, CSpinEdit1->value(), CBColorOrder->currentIndex(),
                               Image2->width(), Image2->height());
    Image2->setPixmap(QPixmap::fromImage(copyToQImage(preview)));
}
