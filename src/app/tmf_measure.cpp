// The "Find" button: one energy measurement on the active document, shown in the tab's boxes
// and drawn on the document's picture.
#include "base/number_text.h"
#include "energy/measurement.h"
#include "qt_text_painter.h"
#include "tmdi_child.h"
#include "tmf.h"
#include "widgets/spin_edit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

namespace {

// The tab's boxes as the measurement fills them.
class TabView : public fringel::MeasurementView {
public:
    explicit TabView(TMF& w) : w_(w) {}
    void rangeClamped(std::int32_t range) override { w_.SERange->setText(QString::number(range)); }
    void radiiFound(std::int32_t outer, std::int32_t inner) override {
        w_.ERcor->setText("");
        w_.Ecor->setText("");
        w_.ERcor->setText(QString::number(outer));
        w_.Ecor->setText(QString::number(inner));
    }
    void energyShown(const std::string& text) override {
        w_.EnOut->setText(QString::fromStdString(text));
    }
    void noiseShown(const std::string& text) override {
        w_.EnNoise->setText(QString::fromStdString(text));
    }
    void diodeShown(const std::string& text) override {
        w_.DiodeOut->setText(QString::fromStdString(text));
    }
    void peakShown(std::int32_t x, std::int32_t y) override {
        w_.ex->setText(QString::number(x));
        w_.ey->setText(QString::number(y));
    }

private:
    TMF& w_;
};

} // namespace

void TMF::BitBtn1Click() {
    runMeasurement();
}

void TMF::runMeasurement() {
    TMDIChild* child = activeDocument();
    if (!child) return;
    fringel::ImageDocument& doc = child->document();
    if (doc.busy()) {
        logLine("This document is still busy; measure again when its running work has ended.");
        return;
    }
    fringel::ImageDocument::BusyScope busy(doc);
    fringel::MeasurementInput input;
    input.startX = ex->text().toStdString();
    input.startY = ey->text().toStdString();
    input.innerRadius = Ecor->text().toStdString();
    input.outerRadius = ERcor->text().toStdString();
    input.range = SERange->value();
    input.diodeSize = CSDiodeSize->value();
    input.method = RG1->currentIndex();
    input.fineTuning = scroolCut->value();
    input.cutLevel = ScrollBar2->value();
    input.freezeRadius = CBfrad->isChecked();
    input.autoCalculate = autoCalc->isChecked();
    input.reportFolder = reportFolder.toStdString();
    TabView view(*this);
    fringel::runMeasurement(doc, input, view, paintText);
}
