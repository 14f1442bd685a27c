// Small handlers of the "Energy Calc." tab that keep its boxes in step with each other and
// with the active document.
#include "base/number_text.h"
#include "tmdi_child.h"
#include "tmf.h"

#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <cmath>

void TMF::connectEnergyTab() {
    onSignal(Ecor, &QLineEdit::textChanged, &TMF::EcorChange);
    onSignal(scroolCut, &QScrollBar::valueChanged, &TMF::scroolCutChange);
    onSignal(ScrollBar2, &QScrollBar::valueChanged, &TMF::ScrollBar2Change);
    onSignal(BitBtn1, &QPushButton::clicked, &TMF::BitBtn1Click);
}

void TMF::EcorChange() {
    // R = r * sqrt(2), truncated: the ring between r and R is about as large as the disc.
    const auto r = fringel::checkedInt(Ecor->text().toStdString());
    if (!r) return;
    const double r2 = static_cast<double>(*r) * *r;
    ERcor->setText(QString::number(static_cast<long long>(std::trunc(std::sqrt(2 * r2)))));
}

void TMF::scroolCutChange() {
    editCut->setText(QString::number(scroolCut->value()));
    if (TMDIChild* child = activeDocument()) child->document().fineTuning = scroolCut->value();
}

void TMF::ScrollBar2Change() {
    Edit3->setText(QString::fromStdString(fringel::formatGeneral(ScrollBar2->value() * 0.1)));
    if (TMDIChild* child = activeDocument()) child->document().cutLevel = ScrollBar2->value();
}
