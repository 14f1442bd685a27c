// The controls of the trapezium window and the wiring of their events.
#include "image_view.h"
#include "tform1.h"
#include "tmf.h"
#include "widgets/spin_edit.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {

template <typename T> T* named(T* widget, const char* name) {
    widget->setObjectName(name);
    return widget;
}

QLineEdit* lineEdit(const char* name, const QString& text, QWidget* parent) {
    return named(new QLineEdit(text, parent), name);
}

// A TM parameter box: shows a result, never takes input.
QLineEdit* resultEdit(const char* name, const QString& text, QWidget* parent) {
    QLineEdit* edit = lineEdit(name, text, parent);
    edit->setReadOnly(true);
    edit->setEnabled(false);
    return edit;
}

QCheckBox* checkBox(const char* name, const QString& caption, bool checked, QWidget* parent) {
    auto* box = named(new QCheckBox(caption, parent), name);
    box->setChecked(checked);
    return box;
}

QPushButton* button(const char* name, const QString& caption, QWidget* parent) {
    return named(new QPushButton(caption, parent), name);
}

// A caption above its box, tightly.
void captioned(QVBoxLayout* column, const QString& caption, QWidget* box) {
    column->addWidget(new QLabel(caption, box->parentWidget()));
    column->addWidget(box);
}

// A caption left of its box on one row.
void besides(QGridLayout* grid, int row, QLabel* caption, QWidget* box) {
    grid->addWidget(caption, row, 0);
    grid->addWidget(box, row, 1);
}

} // namespace

void TForm1::createControls() {
    auto* bevel = named(new QFrame(this), "Bevel1");
    bevel->setFrameShape(QFrame::Panel);
    bevel->setFrameShadow(QFrame::Sunken);
    bevel->setGeometry(0, 0, 603, 603);
    TrapezShow = new ImageView(visibleImage_, this);
    TrapezShow->setObjectName("TrapezShow");
    TrapezShow->move(1, 2);

    auto* panel = named(new QWidget(this), "ControlColumn");
    panel->setGeometry(610, 0, 116, 604);
    // The column is narrow: a slightly smaller font keeps every caption whole.
    QFont small = panel->font();
    small.setPointSizeF(small.pointSizeF() * 0.8);
    panel->setFont(small);
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(0, 2, 0, 2);
    column->setSpacing(1);

    Label4 = named(new QLabel("Mesh parameters", panel), "Label4");
    QFont bold = small;
    bold.setBold(true);
    Label4->setFont(bold);
    column->addWidget(Label4);
    TrES_b = lineEdit("TrES_b", "169", panel);
    captioned(column, "a0", TrES_b);
    TrES_2r = lineEdit("TrES_2r", "51", panel);
    captioned(column, "Diameter 2r", TrES_2r);
    auto* angleRow = new QGridLayout;
    TrSe_c = named(new SpinEdit(0, 90, 20, panel), "TrSe_c");
    besides(angleRow, 0, named(new QLabel("Incl. angle", panel), "Label5"), TrSe_c);
    column->addLayout(angleRow);

    GroupBox2 = named(new QGroupBox("TM Parameters", panel), "GroupBox2");
    auto* tm = new QGridLayout(GroupBox2);
    tm->setContentsMargins(4, 2, 4, 2);
    tm->setVerticalSpacing(1);
    TrEd_f = resultEdit("TrEd_f", "54", GroupBox2);
    TrEd_g = resultEdit("TrEd_g", "59", GroupBox2);
    TrEd_a0 = resultEdit("TrEd_a0", "159", GroupBox2);
    TrEd_b0 = resultEdit("TrEd_b0", "169", GroupBox2);
    TrEd_om = resultEdit("TrEd_om", "0,15", GroupBox2);
    int row = 0;
    for (const auto& [caption, edit] :
         {std::pair{"f", TrEd_f}, std::pair{"g", TrEd_g}, std::pair{"a0", TrEd_a0},
          std::pair{"b0", TrEd_b0}, std::pair{"c", TrEd_om}})
        besides(tm, row++, new QLabel(caption, GroupBox2), edit);
    column->addWidget(GroupBox2);

    auto* sizes = new QGridLayout;
    TrUDPeakSize = named(new SpinEdit(0, 100, 5, panel), "TrUDPeakSize");
    besides(sizes, 0, named(new QLabel("Peak Size", panel), "Label2"), TrUDPeakSize);
    CSpinEdit1 = named(new SpinEdit(1, 100, 20, panel), "CSpinEdit1");
    besides(sizes, 1, named(new QLabel("Spacing", panel), "Label3"), CSpinEdit1);
    column->addLayout(sizes);
    TrCBAutoC = checkBox("TrCBAutoC", "Auto Calculation", true, panel);
    column->addWidget(TrCBAutoC);

    auto* buttons = new QGridLayout;
    buttons->setSpacing(1);
    BBLicz = button("BBLicz", "Go!", panel);
    BBLicz->setDefault(true);
    BBAnuluj = button("BBAnuluj", "Cancel", panel);
    BitBtn1 = button("BitBtn1", "Save", panel);
    BSaveImage = button("BSaveImage", "Save Image", panel);
    buttons->addWidget(BBLicz, 0, 0);
    buttons->addWidget(BBAnuluj, 0, 1);
    buttons->addWidget(BitBtn1, 1, 0);
    buttons->addWidget(BSaveImage, 1, 1);
    column->addLayout(buttons);

    GroupBox1 = named(new QGroupBox("Drawing", panel), "GroupBox1");
    auto* drawing = new QVBoxLayout(GroupBox1);
    drawing->setContentsMargins(4, 2, 4, 2);
    drawing->setSpacing(0);
    TrCB_ShowT = checkBox("TrCB_ShowT", "Show Trapezium", false, GroupBox1);
    TrCBMainAxis = checkBox("TrCBMainAxis", "Show Main Axis", true, GroupBox1);
    TrCBMinorThicks = checkBox("TrCBMinorThicks", "Show grid", false, GroupBox1);
    TrCb_peakr = checkBox("TrCb_peakr", "Peak r(I)", false, GroupBox1);
    TrCb_newDraw = checkBox("TrCb_newDraw", "Old Draw", false, GroupBox1);
    Label1 = named(new QLabel("Gamma = x^0.25", GroupBox1), "Label1");
    Tr_Gamma = named(new QScrollBar(Qt::Horizontal, GroupBox1), "Tr_Gamma");
    Tr_Gamma->setRange(10, 100);
    Tr_Gamma->setValue(25);
    for (QWidget* w : std::initializer_list<QWidget*>{TrCB_ShowT, TrCBMainAxis, TrCBMinorThicks,
                                                      TrCb_peakr, TrCb_newDraw, Label1, Tr_Gamma})
        drawing->addWidget(w);
    column->addWidget(GroupBox1);

    auto* envelope = new QGridLayout;
    TrEd_nullK = lineEdit("TrEd_nullK", "1", panel);
    besides(envelope, 0, new QLabel("k", panel), TrEd_nullK);
    TrEd_nullStep = lineEdit("TrEd_nullStep", "0,1", panel);
    besides(envelope, 1, new QLabel("Step", panel), TrEd_nullStep);
    column->addLayout(envelope);
    TrBB_nullGet = button("TrBB_nullGet", "Get Evelope @ k", panel);
    column->addWidget(TrBB_nullGet);
    tl = named(new QLabel("Info Label", panel), "tl");
    column->addWidget(tl);
    column->addStretch();
    BBLicz->setFocus();
}

void TForm1::connectHandlers() {
    // Every handler runs through the main window, which shows any error in a message box.
    const auto on = [this](auto* sender, auto signal, void (TForm1::*handler)()) {
        connect(sender, signal, this,
                [this, handler] { main_.runCommand([this, handler] { (this->*handler)(); }); });
    };
    on(BBLicz, &QPushButton::clicked, &TForm1::BBLiczClick);
    on(BBAnuluj, &QPushButton::clicked, &TForm1::BBAnulujClick);
    on(BitBtn1, &QPushButton::clicked, &TForm1::BitBtn1Click);
    on(BSaveImage, &QPushButton::clicked, &TForm1::BSaveImageClick);
    on(TrBB_nullGet, &QPushButton::clicked, &TForm1::TrBB_nullGetClick);
    on(CSpinEdit1, &SpinEdit::changed, &TForm1::CSpinEdit1Change);
    on(TrSe_c, &SpinEdit::changed, &TForm1::TrSe_cChange);
    on(TrES_b, &QLineEdit::textChanged, &TForm1::TrES_bChange);
    on(TrES_2r, &QLineEdit::textChanged, &TForm1::TrES_2rChange);
    on(TrUDPeakSize, &SpinEdit::changed, &TForm1::TrUDPeakSizeChange);
    on(TrCB_ShowT, &QCheckBox::clicked, &TForm1::TrCB_ShowTClick);
    on(TrCBMainAxis, &QCheckBox::clicked, &TForm1::TrCBMainAxisClick);
    on(TrCBMinorThicks, &QCheckBox::clicked, &TForm1::TrCBMinorThicksClick);
    on(TrCb_peakr, &QCheckBox::clicked, &TForm1::TrCb_peakrClick);
    on(TrCb_newDraw, &QCheckBox::clicked, &TForm1::TrCb_newDrawClick);
    on(Tr_Gamma, &QScrollBar::valueChanged, &TForm1::Tr_GammaChange);
    connect(TrapezShow, &ImageView::mouseMoved, this, [this](int x, int y) {
        main_.runCommand([this, x, y] { TrapezShowMouseMove(x, y); });
    });
}
