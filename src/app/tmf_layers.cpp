// The "Project" menu's layer commands and the "(0,0) MAX Value" button.
#include "base/number_text.h"
#include "document/layer_commands.h"
#include "tmdi_child.h"
#include "tmf.h"
#include "tmvf.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

void TMF::connectLayerCommands() {
    onSignal(GetHorizontalLine1, &QAction::triggered, &TMF::GetHorizontalLine1Click);
    onSignal(DelateLastLayer1, &QAction::triggered, &TMF::DelateLastLayer1Click);
    onSignal(MFmaxValue00, &QAction::triggered, &TMF::MFmaxValue00Click);
}

void TMF::GetHorizontalLine1Click() {
    TMDIChild* child = activeDocument();
    if (!child) return;
    const int y0 = fringel::checkedInt(ey->text().toStdString()).value_or(0);
    fringel::writeHorizontalLine(host(), child->document(), y0, reportFolder.toStdString());
}

void TMF::DelateLastLayer1Click() {
    TMDIChild* child = activeDocument();
    if (!child) return;
    fringel::ImageDocument& doc = child->document();
    if (doc.busy()) {
        logLine("This document is still busy; delete the layer when its running work has ended.");
        return;
    }
    if (!fringel::deleteLastLayer(doc)) return;
    SBimages->setMaximum(doc.currentLayer);
    SBimages->setValue(doc.currentLayer);
}

void TMF::MFmaxValue00Click() {
    TMDIChild* child = activeDocument();
    if (!child || child->document().bufferView) return;
    MVF->E_EnV->setText(EnOut->text());
    MVF->E_DV->setText(DiodeOut->text());
    MVF->BtnOK->setFocus();
    MVF->exec();
}
