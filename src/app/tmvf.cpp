#include "tmvf.h"

#include "base/number_text.h"
#include "tmdi_child.h"
#include "tmf.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TMVF::TMVF(TMF& mainWindow) : QDialog(&mainWindow), main_(mainWindow) {
    setObjectName("MVF");
    setWindowTitle("Maximum Values");
    auto* grid = new QGridLayout(this);
    Label1 = new QLabel("Maximum Energy Value", this);
    Label1->setObjectName("Label1");
    Label2 = new QLabel("Maximum Diode Reading Value", this);
    Label2->setObjectName("Label2");
    E_EnV = new QLineEdit("0", this);
    E_EnV->setObjectName("E_EnV");
    E_DV = new QLineEdit("0", this);
    E_DV->setObjectName("E_DV");
    BtnOK = new QPushButton("O&K", this);
    BtnOK->setObjectName("BtnOK");
    BtnOK->setDefault(true);
    BtnCancel = new QPushButton("&Cancel", this);
    BtnCancel->setObjectName("BtnCancel");
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(E_EnV, 0, 1);
    grid->addWidget(Label2, 1, 0);
    grid->addWidget(E_DV, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BtnOK);
    buttons->addWidget(BtnCancel);
    grid->addLayout(buttons, 2, 0, 1, 2);
    // A fixed dialog border: the dialog keeps the size of its contents.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    connect(BtnOK, &QPushButton::clicked, this,
            [this] { main_.runCommand([this] { BtnOKClick(); }); });
    connect(BtnCancel, &QPushButton::clicked, this, [this] { BtnCancelClick(); });
}

void TMVF::BtnOKClick() {
    TMDIChild* child = main_.activeDocument();
    if (!child) return;
    fringel::ImageDocument& doc = child->document();
    doc.maxEnergy = static_cast<float>(fringel::parseFloat(E_EnV->text().toStdString()));
    doc.maxDiodeReading = static_cast<float>(fringel::parseFloat(E_DV->text().toStdString()));
    main_.logLine("MaxV = " + QString::fromStdString(fringel::formatGeneral(doc.maxEnergy)));
    main_.logLine("MaxDiodeV = " +
                  QString::fromStdString(fringel::formatGeneral(doc.maxDiodeReading)));
    accept();
}

void TMVF::BtnCancelClick() {
    reject();
}
