#include "tform1.h"

#include "base/errors.h"
#include "base/number_text.h"
#include "image/bmp_codec.h"
#include "image_view.h"
#include "qt_text_painter.h"
#include "tmf.h"
#include "trapez/trapezium_files.h"
#include "trapez/trapezium_readout.h"
#include "widgets/spin_edit.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QShowEvent>
#include <QVBoxLayout>
#include <utility>

namespace {

constexpr int kImageSize = 600;

QString screenNumber(double value) {
    return QString::fromStdString(fringel::formatGeneral(value, 15));
}

} // namespace

TForm1::TForm1(TMF& mainWindow)
    : QWidget(&mainWindow, Qt::Window | Qt::MSWindowsFixedSizeDialogHint), main_(mainWindow),
      simulationImage_(kImageSize, kImageSize), visibleImage_(kImageSize, kImageSize) {
    setObjectName("Form1");
    setWindowTitle("Trapezium Theorem");
    setFixedSize(730, 604);
    createControls();
    connectHandlers();
    askSaveName = [this](const QString& caption, const QString& filter) {
        return QFileDialog::getSaveFileName(this, caption, QString(), filter);
    };
}

TForm1::~TForm1() = default;

void TForm1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // A hidden window being shown runs anew; a window coming back from the task bar does not.
    if (!event->spontaneous()) main_.runCommand([this] { FormShow(); });
}

void TForm1::FormShow() {
    request(Work::Run);
}

void TForm1::BBLiczClick() {
    request(Work::Run);
}

void TForm1::BBAnulujClick() {
    hide();
}

void TForm1::CSpinEdit1Change() {
    request(Work::Run);
}

void TForm1::TrCB_ShowTClick() {
    request(Work::Run);
}

void TForm1::TrSe_cChange() {
    if (TrCBAutoC->isChecked()) request(Work::Run);
}

void TForm1::TrES_bChange() {
    if (TrCBAutoC->isChecked()) request(Work::Run);
}

void TForm1::TrES_2rChange() {
    if (TrCBAutoC->isChecked()) request(Work::Run);
}

void TForm1::TrUDPeakSizeChange() {
    drawSimulation();
}
void TForm1::TrCBMinorThicksClick() {
    drawSimulation();
}
void TForm1::TrCBMainAxisClick() {
    drawSimulation();
}
void TForm1::TrCb_peakrClick() {
    drawSimulation();
}
void TForm1::TrCb_newDrawClick() {
    drawSimulation();
}
void TForm1::Tr_GammaChange() {
    drawSimulation();
}

void TForm1::drawSimulation() {
    request(Work::Draw);
}

void TForm1::request(Work work) {
    if (working_) {
        if (work > pending_) pending_ = work;
        return;
    }
    working_ = true;
    pending_ = Work::None;
    try {
        while (work != Work::None) {
            if (work == Work::Run)
                runOnce();
            else
                drawOnce();
            work = std::exchange(pending_, Work::None);
        }
    } catch (...) {
        working_ = false;
        pending_ = Work::None;
        throw;
    }
    working_ = false;
}

void TForm1::runOnce() {
    tl->setText("Computing...");
    const fringel::TrapeziumInput input = readModelParameters();
    // The new model replaces the old one only when it is complete: a failed run leaves the
    // previous parameters, grid and picture as they were.
    fringel::TrapeziumModel next = fringel::computeTrapeziumModel(input, [this] { pumpEvents(); });
    model_ = std::move(next);
    showParameters(model_.parameters);
    drawOnce();
    tl->setText("Done !!!");
}

void TForm1::drawOnce() {
    if (model_.spacing < 1) return; // nothing computed yet
    tl->setText("Drawing...");
    fringel::Bitmap picture(TrapezShow->width(), TrapezShow->height());
    lastDrawing_ =
        fringel::drawSimulation(picture, model_, drawingOptions(), [this] { pumpEvents(); });
    if (lastDrawing_.gammaLabel) Label1->setText(QString::fromStdString(*lastDrawing_.gammaLabel));
    simulationImage_ = std::move(picture);
    visibleImage_ = simulationImage_;
    TrapezShow->pictureChanged();
    tl->setText("Done !!!");
}

fringel::TrapeziumInput TForm1::readModelParameters() {
    // Texts that fail the numeric check (an empty box while the user types) keep the last
    // accepted value; a text that passes it but is no number raises a conversion error.
    if (auto v = fringel::checkedFloat(TrES_b->text().toStdString())) period_ = *v;
    if (auto v = fringel::checkedFloat(TrES_2r->text().toStdString())) diameter_ = *v;
    if (auto v = fringel::checkedInt(CSpinEdit1->text().toStdString())) spacing_ = *v;
    fringel::TrapeziumInput input;
    input.period = period_;
    input.diameter = diameter_;
    input.angleDegrees = TrSe_c->value();
    input.spacing = spacing_;
    input.imageWidth = TrapezShow->width();
    return input;
}

fringel::DrawingOptions TForm1::drawingOptions() const {
    fringel::DrawingOptions o;
    o.peakSize = TrUDPeakSize->value();
    o.gammaPosition = Tr_Gamma->value();
    o.showGrid = TrCBMinorThicks->isChecked();
    o.showMainAxis = TrCBMainAxis->isChecked();
    o.showTrapezium = TrCB_ShowT->isChecked();
    o.peakRadius = TrCb_peakr->isChecked();
    o.oldDraw = TrCb_newDraw->isChecked();
    return o;
}

void TForm1::showParameters(const fringel::TrapeziumParameters& p) {
    TrEd_a0->setText(screenNumber(p.a0));
    TrEd_b0->setText(screenNumber(p.b0));
    TrEd_g->setText(screenNumber(p.g));
    TrEd_f->setText(screenNumber(p.f));
    TrEd_om->setText(screenNumber(p.c));
    for (QLineEdit* edit : {TrEd_a0, TrEd_b0, TrEd_g, TrEd_f, TrEd_om})
        edit->setCursorPosition(0); // show the leading digits
}

void TForm1::pumpEvents() {
    if (fringel::elapsedSeconds(lastPump_) < 0.015) return;
    QApplication::processEvents();
    lastPump_ = fringel::startClock();
}

void TForm1::TrapezShowMouseMove(int x, int y) {
    const auto readout =
        fringel::readPointer(model_, x, y, TrapezShow->width(), TrapezShow->height());
    if (!readout) return; // outside the grid, or nothing computed yet
    // The mark and its texts go on the visible picture only; the simulation stays clean.
    visibleImage_ = simulationImage_;
    fringel::Canvas canvas(visibleImage_, paintText);
    fringel::drawReadout(canvas, *readout, TrUDPeakSize->value());
    TrapezShow->pictureChanged();
    tl->setText(QString::fromStdString(readout->infoText));
}

void TForm1::BSaveImageClick() {
    const QString name = askSaveName("Save Picture", "Bitmaps (*.bmp);;All files (*)");
    if (name.isEmpty()) return;
    fringel::writeBmp(simulationImage_, name.toStdString()); // a BMP whatever the extension
}

void TForm1::BitBtn1Click() {
    const QString name = askSaveName("Save", "Trapezium Simulation (*.mts)");
    if (name.isEmpty()) return;
    fringel::writeSimulationReport(fringel::simulationReportName(name.toStdString()), model_);
    tl->setText("Saving Done");
}

void TForm1::TrBB_nullGetClick() {
    if (writingEnvelope_) return; // the button is off meanwhile; a queued click is dropped
    if (auto v = fringel::checkedFloat(TrEd_nullK->text().toStdString())) envelopeK_ = *v;
    if (auto v = fringel::checkedFloat(TrEd_nullStep->text().toStdString())) envelopeStep_ = *v;
    if (model_.spacing < 1) return;
    // The envelope needs only the parameters; a run finishing meanwhile does not change them.
    fringel::TrapeziumModel parameters;
    parameters.parameters = model_.parameters;
    parameters.orders = model_.orders;
    parameters.spacing = model_.spacing;
    writingEnvelope_ = true;
    TrBB_nullGet->setEnabled(false);
    try {
        fringel::writeEnvelope(fringel::envelopeFileName(envelopeK_, envelopeStep_), parameters,
                               envelopeK_, envelopeStep_, [this] { pumpEvents(); });
    } catch (...) {
        writingEnvelope_ = false;
        TrBB_nullGet->setEnabled(true);
        throw;
    }
    writingEnvelope_ = false;
    TrBB_nullGet->setEnabled(true);
}
