// The "Connecting" tab: the cut-off band, colour order, first shutter time, trimming, and the
// "Connect" button.
#include "base/number_text.h"
#include "connect/con_img.h"
#include "mf_enable.h"
#include "tmdi_child.h"
#include "tmf.h"
#include "widgets/radio_group.h"
#include "widgets/selection_track_bar.h"
#include "widgets/spin_edit.h"
#include "widgets/up_down.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>

namespace {

// A box's number as the trimming handlers read it: its integer when the text passes the
// numeric check, else 0. A passing text with a comma raises a conversion error.
int boxValue(const QLineEdit* box) {
    return fringel::checkedInt(box->text().toStdString()).value_or(0);
}

void setBox(QLineEdit* box, int value) {
    box->setText(QString::number(value));
}

} // namespace

void TMF::connectConnectingTab() {
    onSignal(Tcutof, &QSlider::valueChanged, &TMF::TcutofChange);
    onSignal(EcutofTop, &QLineEdit::textChanged, &TMF::EcutofTopChange);
    onSignal(EcutofLow, &QLineEdit::textChanged, &TMF::EcutofLowChange);
    onSignal(CBColorOrder, &QComboBox::currentIndexChanged, &TMF::CBColorOrderChange);
    onSignal(CBEV, &QComboBox::currentIndexChanged, &TMF::CBColorOrderChange);
    onSignal(UTimeDown, &UpDown::changing, &TMF::UTimeDownChanging);
    onSignal(CBTrimming, &QCheckBox::clicked, &TMF::CBTrimmingClick);
    onSignal(ETrimXpos, &QLineEdit::textChanged, &TMF::ETrimXposChange);
    onSignal(ETrimYpos, &QLineEdit::textChanged, &TMF::ETrimYposChange);
    onSignal(ETrimXdim, &QLineEdit::textChanged, &TMF::ETrimXdimChange);
    onSignal(ETrimYdim, &QLineEdit::textChanged, &TMF::ETrimYdimChange);
    onSignal(BitBtn2, &QPushButton::clicked, &TMF::BitBtn2Click);
}

void TMF::TcutofChange() {
    const int position = Tcutof->value();
    switch (TBcutoff->itemIndex()) {
    case 0:
        Tcutof->setSelectionStart(position);
        setBox(EcutofTop, 255 - position);
        break;
    case 1:
        Tcutof->setSelectionEnd(position);
        setBox(EcutofLow, 255 - position);
        break;
    default:
        break;
    }
}

void TMF::EcutofTopChange() {
    if (const auto level = fringel::checkedInt(EcutofTop->text().toStdString()))
        Tcutof->setSelectionStart(255 - *level);
}

void TMF::EcutofLowChange() {
    if (const auto level = fringel::checkedInt(EcutofLow->text().toStdString()))
        Tcutof->setSelectionEnd(255 - *level);
}

void TMF::CBColorOrderChange() {
    if (TMDIChild* child = activeDocument())
        child->document().photoMode = CBColorOrder->currentIndex() >= 3;
}

void TMF::UTimeDownChanging() {
    TMDIChild* child = activeDocument();
    if (!child) return;
    fringel::ImageDocument& doc = child->document();
    // The boxes show the state before the arrow moves the up-down control.
    doc.timeIndex = UTimeDown->position();
    ETimeDown->setText(
        QString::fromStdString(fringel::formatGeneral(doc.exposureTimes[doc.timeIndex])));
    const std::int64_t k = std::max<std::int64_t>(doc.bufferBitmaps.length() - 1, 0);
    const std::int64_t last =
        CBEV->currentIndex() == 1 ? 2 * k + doc.timeIndex - 1 : k + doc.timeIndex - 1;
    ETimeUp->setText(QString::fromStdString(fringel::formatGeneral(doc.exposureTimes[last])));
}

QSize TMF::trimmingReference() const {
    // The first layer bitmap; a document that holds only its series uses its first exposure,
    // the region connecting takes as the whole picture.
    const TMDIChild* child = activeDocument();
    if (!child) return {0, 0};
    const fringel::ImageDocument& doc = child->document();
    const fringel::DynamicArray<fringel::BitmapRef>& source =
        doc.bitmaps.length() > 0 ? doc.bitmaps : doc.bufferBitmaps;
    if (source.length() == 0 || !source[0]) return {0, 0};
    return {source[0]->width(), source[0]->height()};
}

void TMF::CBTrimmingClick() {
    const bool on = CBTrimming->isChecked();
    for (QWidget* w : {static_cast<QWidget*>(Label8), static_cast<QWidget*>(Label9),
                       static_cast<QWidget*>(ETrimXpos), static_cast<QWidget*>(ETrimYpos),
                       static_cast<QWidget*>(ETrimXdim), static_cast<QWidget*>(ETrimYdim)})
        w->setEnabled(on);
    TMDIChild* child = activeDocument();
    if (!on || !child) return;
    const fringel::ImageDocument& doc = child->document();
    const QSize size = trimmingReference();
    const int w = size.width();
    const int h = size.height();
    // Each step sees the document fields as the previous step's handlers left them.
    setBox(ETrimXpos, doc.trimX > 0 && doc.trimX < w ? doc.trimX : 0);
    setBox(ETrimYpos, doc.trimY > 0 && doc.trimY < h ? doc.trimY : 0);
    setBox(ETrimXdim, doc.trimWidth > 0 && std::int64_t{doc.trimWidth} + doc.trimX < w
                          ? doc.trimWidth
                          : w - doc.trimX);
    setBox(ETrimYdim, doc.trimHeight > 0 && std::int64_t{doc.trimHeight} + doc.trimY < h
                          ? doc.trimHeight
                          : h - doc.trimY);
}

namespace {

// A position box: 0 when outside 1..size; otherwise the size box shrinks to fit.
template <typename Store>
void positionChanged(QLineEdit* positionBox, QLineEdit* sizeBox, int size, Store store) {
    const int position = boxValue(positionBox);
    const int extent = boxValue(sizeBox);
    if (position <= 0 || size < position)
        positionBox->setText("0");
    else if (size < std::int64_t{position} + extent)
        setBox(sizeBox, size - position);
    store(fringel::parseInt(positionBox->text().toStdString()));
}

// A size box: kept when it fits from the position on, else reset to 0.
template <typename Store>
void sizeChanged(QLineEdit* positionBox, QLineEdit* sizeBox, int size, Store store) {
    const int position = boxValue(positionBox);
    const int extent = boxValue(sizeBox);
    if (extent >= 0 && std::int64_t{position} + extent <= size)
        store(extent);
    else
        sizeBox->setText("0");
}

} // namespace

void TMF::ETrimXposChange() {
    TMDIChild* child = activeDocument();
    if (!child) return;
    positionChanged(ETrimXpos, ETrimXdim, trimmingReference().width(),
                    [child](int v) { child->document().trimX = v; });
}

void TMF::ETrimYposChange() {
    TMDIChild* child = activeDocument();
    if (!child) return;
    positionChanged(ETrimYpos, ETrimYdim, trimmingReference().height(),
                    [child](int v) { child->document().trimY = v; });
}

void TMF::ETrimXdimChange() {
    TMDIChild* child = activeDocument();
    if (!child) return;
    sizeChanged(ETrimXpos, ETrimXdim, trimmingReference().width(),
                [child](int v) { child->document().trimWidth = v; });
}

void TMF::ETrimYdimChange() {
    TMDIChild* child = activeDocument();
    if (!child) return;
    sizeChanged(ETrimYpos, ETrimYdim, trimmingReference().height(),
                [child](int v) { child->document().trimHeight = v; });
}

void TMF::BitBtn2Click() {
    TMDIChild* child = activeDocument();
    if (!child) return;
    fringel::ConnectSettings settings;
    settings.selectionStart = Tcutof->selectionStart();
    settings.selectionEnd = Tcutof->selectionEnd();
    settings.colorOrder = CBColorOrder->currentIndex();
    if (CBTrimming->isChecked())
        settings.trimming = fringel::TrimmingBoxes{
            ETrimXpos->text().toStdString(), ETrimYpos->text().toStdString(),
            ETrimXdim->text().toStdString(), ETrimYdim->text().toStdString()};
    settings.medianInCalculations = CBMedFiltrerAuto->isChecked();
    settings.medianRadius = CSpinEdit1->value();

    fringel::ImageDocument& doc = child->document();
    const fringel::ConnectOutcome outcome = fringel::conImg(host()).connect(doc, settings);
    if (!outcome.connected) return;
    // The user may have switched to another document meanwhile; its controls stay as they
    // are, and this document's state reaches them when it is activated again.
    if (activeDocument() != child) return;
    if (!outcome.photo) {
        enableMeasurement(*this, true);
        PC1->setCurrentIndex(0);
    }
    SBimages->setMaximum(doc.currentLayer);
    SBimages->setValue(doc.currentLayer);
    enableConnecting(*this, false);
    enableFilters(*this, false);
    enableSaving(*this, true);
}
