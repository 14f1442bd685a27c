// The right-hand panel of the main window: preview image, the three tool tabs, the layer
// navigation row, the progress bar and the log panel, with every control at its start value.
#include "tmf.h"
#include "widgets/radio_group.h"
#include "widgets/selection_track_bar.h"
#include "widgets/spin_edit.h"
#include "widgets/up_down.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

template <typename W> W* named(W* widget, const char* name) {
    widget->setObjectName(name);
    return widget;
}

QLineEdit* lineEdit(QWidget* parent, const char* name, const QString& text, bool readOnly = false) {
    auto* e = named(new QLineEdit(text, parent), name);
    e->setReadOnly(readOnly);
    return e;
}

QScrollBar* hScrollBar(QWidget* parent, const char* name, int min, int max, int pos) {
    auto* s = named(new QScrollBar(Qt::Horizontal, parent), name);
    s->setRange(min, max);
    s->setValue(pos);
    return s;
}

QLabel* label(QWidget* parent, const QString& text) {
    return new QLabel(text, parent);
}

void compact(QLayout* layout) {
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(3);
}

} // namespace

void TMF::createRightPanel() {
    Panel1 = named(new QWidget(this), "Panel1");
    Panel1->setFixedWidth(215);
    // A slightly smaller font, so the three tabs and their captions fit the narrow panel.
    QFont panelFont = Panel1->font();
    panelFont.setPointSizeF(panelFont.pointSizeF() * 0.85);
    Panel1->setFont(panelFont);
    auto* column = new QVBoxLayout(Panel1);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    Panel3 = named(new QWidget(Panel1), "Panel3");
    Panel3->setFixedHeight(229);
    auto* top = new QVBoxLayout(Panel3);
    top->setContentsMargins(4, 2, 4, 2);
    top->setSpacing(2);
    Bevel1 = named(new QFrame(Panel3), "Bevel1");
    Bevel1->setFrameShape(QFrame::Panel);
    Bevel1->setFrameShadow(QFrame::Sunken);
    Bevel1->setFixedSize(204, 204);
    auto* bevelLayout = new QVBoxLayout(Bevel1);
    bevelLayout->setContentsMargins(2, 2, 2, 2);
    Image2 = named(new QLabel(Bevel1), "Image2");
    Image2->setFixedSize(200, 200);
    bevelLayout->addWidget(Image2);
    top->addWidget(Bevel1, 0, Qt::AlignHCenter);
    img2Method = named(new QComboBox(Panel3), "img2Method");
    img2Method->addItems({"Standard", "2D Plot"});
    top->addWidget(img2Method);
    column->addWidget(Panel3);

    PC1 = named(new QTabWidget(Panel1), "PC1");
    PC1->setFixedHeight(295);
    PC1->setUsesScrollButtons(false);
    PC1->setStyleSheet("QTabBar::tab { padding: 3px 5px; }");
    TabSheet1 = createEnergyTab();
    TabSheet2 = createConnectingTab();
    TabSheet3 = createFiltersTab();
    PC1->addTab(TabSheet1, "Energy Calc.");
    PC1->addTab(TabSheet2, "Connecting");
    PC1->addTab(TabSheet3, "Filters");
    column->addWidget(PC1);

    Panel4 = createNavigationRow();
    column->addWidget(Panel4);

    Panel2 = named(new QWidget(Panel1), "Panel2");
    Panel2->setFixedHeight(15);
    auto* progressLayout = new QHBoxLayout(Panel2);
    progressLayout->setContentsMargins(0, 0, 0, 0);
    PB = named(new QProgressBar(Panel2), "PB");
    PB->setRange(0, 100);
    PB->setValue(0);
    PB->setTextVisible(false);
    progressLayout->addWidget(PB);
    column->addWidget(Panel2);

    RE = named(new QPlainTextEdit(Panel1), "RE");
    RE->setReadOnly(true);
    RE->setFocusPolicy(Qt::NoFocus);
    RE->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RE->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    RE->setPlainText("Hello ! ;o)");
    column->addWidget(RE, 1);

    for (QWidget* w : {Panel1, Panel2, Panel3, Panel4})
        w->setAttribute(Qt::WA_OpaquePaintEvent, false);
}

QWidget* TMF::createEnergyTab() {
    auto* tab = named(new QWidget, "TabSheet1");
    auto* grid = new QGridLayout(tab);
    compact(grid);

    ex = lineEdit(tab, "ex", "0");
    ey = lineEdit(tab, "ey", "0");
    grid->addWidget(label(tab, "x"), 0, 0);
    grid->addWidget(ex, 0, 1);
    grid->addWidget(label(tab, "y"), 0, 2);
    grid->addWidget(ey, 0, 3);

    SERange = named(new SpinEdit(2, 200, 25, tab), "SERange");
    RG1 = named(new QComboBox(tab), "RG1");
    RG1->addItems({"Quick", "Fine", "Gauss"});
    RG1->setCurrentIndex(1);
    RG1->setToolTip("Method");
    grid->addWidget(label(tab, "Range"), 1, 0);
    grid->addWidget(SERange, 1, 1);
    grid->addWidget(label(tab, "Method"), 1, 2);
    grid->addWidget(RG1, 1, 3);

    grid->addWidget(label(tab, "Peak fine tuning [%]"), 2, 0, 1, 4);
    scroolCut = hScrollBar(tab, "scroolCut", 1, 99, 20);
    editCut = lineEdit(tab, "editCut", "", true);
    grid->addWidget(scroolCut, 3, 0, 1, 3);
    grid->addWidget(editCut, 3, 3);

    grid->addWidget(label(tab, "Lower peak cut of level [%]"), 4, 0, 1, 4);
    ScrollBar2 = hScrollBar(tab, "ScrollBar2", 1, 200, 20);
    Edit3 = lineEdit(tab, "Edit3", "", true);
    grid->addWidget(ScrollBar2, 5, 0, 1, 3);
    grid->addWidget(Edit3, 5, 3);

    CBfrad = named(new QCheckBox("Freeze Radius", tab), "CBfrad");
    grid->addWidget(label(tab, "[      R     ] [      r      ]"), 6, 1, 1, 3, Qt::AlignRight);
    ERcor = lineEdit(tab, "ERcor", "0", true);
    Ecor = lineEdit(tab, "Ecor", "0");
    grid->addWidget(CBfrad, 7, 0, 1, 2);
    grid->addWidget(ERcor, 7, 2);
    grid->addWidget(Ecor, 7, 3);

    EnOut = lineEdit(tab, "EnOut", "0", true);
    EnNoise = lineEdit(tab, "EnNoise", "0", true);
    grid->addWidget(label(tab, "Energy"), 8, 0);
    grid->addWidget(EnOut, 8, 1, 1, 3);
    grid->addWidget(label(tab, "Del. En Noise [%]"), 9, 0, 1, 3);
    grid->addWidget(EnNoise, 9, 3);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(2, 1);
    for (QWidget* narrow :
         std::initializer_list<QWidget*>{ex, ey, editCut, Edit3, ERcor, Ecor, EnNoise})
        narrow->setFixedWidth(48);
    RG1->setFixedWidth(62);

    CSDiodeSize = named(new SpinEdit(2, 200, 10, tab), "CSDiodeSize");
    DiodeOut = lineEdit(tab, "DiodeOut", "0", true);
    grid->addWidget(label(tab, "Diode"), 10, 0);
    grid->addWidget(CSDiodeSize, 10, 1);
    grid->addWidget(label(tab, "Diode reading"), 11, 0, 1, 2);
    grid->addWidget(DiodeOut, 11, 2, 1, 2);

    BitBtn1 = named(new QPushButton("Find", tab), "BitBtn1");
    autoCalc = named(new QCheckBox("Auto Calculate", tab), "autoCalc");
    grid->addWidget(BitBtn1, 12, 0);
    grid->addWidget(autoCalc, 12, 1, 1, 3);
    grid->setRowStretch(13, 1);
    return tab;
}

QWidget* TMF::createConnectingTab() {
    auto* tab = named(new QWidget, "TabSheet2");
    auto* row = new QHBoxLayout(tab);
    compact(row);

    Tcutof = named(new SelectionTrackBar(Qt::Vertical, tab), "Tcutof");
    Tcutof->setRange(0, 255);
    Tcutof->setInvertedAppearance(true); // 0 at the top, 255 at the bottom
    Tcutof->setTickPosition(QSlider::TicksLeft);
    Tcutof->setTickInterval(5);
    Tcutof->setValue(65);
    Tcutof->setSelectionStart(65);
    Tcutof->setSelectionEnd(255);
    row->addWidget(Tcutof);

    auto* right = new QVBoxLayout;
    right->setSpacing(2);
    row->addLayout(right, 1);

    auto* cut = new QGridLayout;
    TBcutoff = named(new RadioGroup("CutOf", {"Up", "Low"}, tab), "TBcutoff");
    TBcutoff->setItemIndex(0);
    EcutofTop = lineEdit(tab, "EcutofTop", "190");
    EcutofLow = lineEdit(tab, "EcutofLow", "0");
    cut->addWidget(TBcutoff, 0, 0, 2, 1);
    cut->addWidget(EcutofTop, 0, 1);
    cut->addWidget(EcutofLow, 1, 1);
    right->addLayout(cut);

    auto* lists = new QHBoxLayout;
    CBColorOrder = named(new QComboBox(tab), "CBColorOrder");
    CBColorOrder->addItems({"Red", "Green", "Blue", "RGB"});
    CBColorOrder->setCurrentIndex(1);
    CBEV = named(new QComboBox(tab), "CBEV");
    CBEV->addItems({"+/- 1", "+/- 2"});
    CBEV->setCurrentIndex(0);
    lists->addWidget(CBColorOrder);
    lists->addWidget(CBEV);
    right->addLayout(lists);

    auto* times = new QHBoxLayout;
    ETimeDown = lineEdit(tab, "ETimeDown", "", true);
    UTimeDown = named(new UpDown(tab), "UTimeDown");
    UTimeDown->setRange(0, 2);
    UTimeDown->setPosition(0);
    ETimeUp = lineEdit(tab, "ETimeUp", "", true);
    times->addWidget(ETimeDown);
    times->addWidget(UTimeDown);
    times->addWidget(ETimeUp);
    right->addLayout(times);

    GroupBox1 = named(new QGroupBox("Trimming", tab), "GroupBox1");
    auto* trim = new QGridLayout(GroupBox1);
    compact(trim);
    CBTrimming = named(new QCheckBox("Enable Trimming", GroupBox1), "CBTrimming");
    Label8 = named(new QLabel("Starting position [x,y]", GroupBox1), "Label8");
    ETrimXpos = lineEdit(GroupBox1, "ETrimXpos", "0");
    ETrimYpos = lineEdit(GroupBox1, "ETrimYpos", "0");
    Label9 = named(new QLabel("Dimentiona [X x Y]", GroupBox1), "Label9");
    ETrimXdim = lineEdit(GroupBox1, "ETrimXdim", "");
    ETrimYdim = lineEdit(GroupBox1, "ETrimYdim", "");
    trim->addWidget(CBTrimming, 0, 0, 1, 2);
    trim->addWidget(Label8, 1, 0, 1, 2);
    trim->addWidget(ETrimXpos, 2, 0);
    trim->addWidget(ETrimYpos, 2, 1);
    trim->addWidget(Label9, 3, 0, 1, 2);
    trim->addWidget(ETrimXdim, 4, 0);
    trim->addWidget(ETrimYdim, 4, 1);
    for (QWidget* w : std::initializer_list<QWidget*>{Label8, ETrimXpos, ETrimYpos, Label9,
                                                      ETrimXdim, ETrimYdim})
        w->setEnabled(false);
    right->addWidget(GroupBox1);

    BitBtn2 = named(new QPushButton("Connect", tab), "BitBtn2");
    right->addWidget(BitBtn2);
    right->addStretch(1);
    return tab;
}

QWidget* TMF::createFiltersTab() {
    auto* tab = named(new QWidget, "TabSheet3");
    auto* grid = new QGridLayout(tab);
    compact(grid);
    BMedApply = named(new QPushButton("Apply", tab), "BMedApply");
    CBMedFiltrerAuto = named(new QCheckBox("Apply in calculations", tab), "CBMedFiltrerAuto");
    CSpinEdit1 = named(new SpinEdit(0, 100, 1, tab), "CSpinEdit1");
    grid->addWidget(new QLabel("Median filter", tab), 0, 0, 1, 2);
    grid->addWidget(label(tab, "Radius"), 1, 0);
    grid->addWidget(CSpinEdit1, 1, 1);
    grid->addWidget(CBMedFiltrerAuto, 2, 0, 1, 2);
    grid->addWidget(BMedApply, 3, 0, 1, 2);
    grid->setRowStretch(4, 1);
    return tab;
}

QWidget* TMF::createNavigationRow() {
    auto* panel = named(new QWidget(Panel1), "Panel4");
    panel->setFixedHeight(51);
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(4, 2, 4, 2);
    grid->setSpacing(2);
    SBimages = hScrollBar(panel, "SBimages", 0, 0, 0);
    EImages = lineEdit(panel, "EImages", "0");
    EImages->setFixedWidth(40);
    AnimBtn = named(new QPushButton("Animate", panel), "AnimBtn");
    AnimCB = named(new QCheckBox("Loop", panel), "AnimCB");
    FPSEdit = lineEdit(panel, "FPSEdit", "0");
    FPSEdit->setFixedWidth(30);
    FPSUpDown = named(new UpDown(panel), "FPSUpDown");
    FPSUpDown->setRange(1, 25);
    FPSUpDown->setPosition(1);
    grid->addWidget(SBimages, 0, 0, 1, 4);
    grid->addWidget(EImages, 0, 4);
    grid->addWidget(AnimBtn, 1, 0);
    grid->addWidget(AnimCB, 1, 1);
    grid->addWidget(FPSEdit, 1, 2);
    grid->addWidget(FPSUpDown, 1, 3);
    grid->addWidget(label(panel, "fps"), 1, 4);
    return panel;
}
