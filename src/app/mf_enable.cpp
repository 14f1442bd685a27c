#include "mf_enable.h"

#include "tmdi_child.h"
#include "tmf.h"
#include "widgets/radio_group.h"
#include "widgets/selection_track_bar.h"
#include "widgets/spin_edit.h"
#include "widgets/up_down.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>

void enableConnecting(TMF& w, bool on) {
    for (QWidget* c : std::initializer_list<QWidget*>{
             w.BitBtn2, w.CBTrimming, w.UTimeDown, w.ETimeDown, w.ETimeUp, w.CBEV, w.CBColorOrder,
             w.Tcutof, w.TBcutoff, w.EcutofLow, w.EcutofTop})
        c->setEnabled(on);
}

void enableMeasurement(TMF& w, bool on) {
    for (QWidget* c : std::initializer_list<QWidget*>{
             w.BitBtn1, w.RG1, w.scroolCut, w.ScrollBar2, w.editCut, w.Edit3, w.ex, w.ey, w.ERcor,
             w.Ecor, w.SERange, w.EnOut, w.EnNoise, w.autoCalc, w.CBfrad})
        c->setEnabled(on);
    w.GetHorizontalLine1->setEnabled(on);
    w.Add1->menuAction()->setEnabled(on);
    w.MFmaxValue00->setEnabled(on);
    w.CSDiodeSize->setEnabled(on);
    w.DiodeOut->setEnabled(on);
    w.Project1->menuAction()->setVisible(on);
    const TMDIChild* doc = on ? w.activeDocument() : nullptr;
    w.DelateLastLayer1->setEnabled(on && doc && doc->document().layerCount >= 1);
}

void enableFilters(TMF& w, bool on) {
    // "Apply" stays off while "Apply in calculations" is ticked.
    w.BMedApply->setEnabled(on && !w.CBMedFiltrerAuto->isChecked());
    w.CBMedFiltrerAuto->setEnabled(on);
    w.CSpinEdit1->setEnabled(on);
}

void enableSaving(TMF& w, bool on) {
    w.ToolButton2->setEnabled(on);
    w.ToolButton12->setEnabled(on);
    w.ExportFloatTiff1->setEnabled(on);
    w.FileSaveItem->setEnabled(on);
    w.FileSaveAsItem->setEnabled(on);
}

void enableNavigation(TMF& w, bool on) {
    for (QWidget* c : std::initializer_list<QWidget*>{w.AnimBtn, w.FPSUpDown, w.FPSEdit, w.SBimages,
                                                      w.EImages, w.AnimCB})
        c->setEnabled(on);
    w.Left1->setEnabled(on);
    w.ImageRight1->setEnabled(on);
    w.ImageControl1->menuAction()->setVisible(on);
}
