#include "about_box.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName("AboutBox");
    setWindowTitle("About");
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    auto* head = new QHBoxLayout;
    auto* icon = new QLabel(this);
    icon->setObjectName("ProgramIcon");
    icon->setPixmap(style()->standardIcon(QStyle::SP_ComputerIcon).pixmap(48, 48));
    head->addWidget(icon);
    auto* names = new QVBoxLayout;
    auto* product = new QLabel("Fringel", this);
    product->setObjectName("ProductName");
    QFont big = product->font();
    big.setPointSize(big.pointSize() + 6);
    big.setBold(true);
    product->setFont(big);
    auto* version = new QLabel("ver. 0.9 Beta", this);
    version->setObjectName("Version");
    auto* copyright = new QLabel("Measurement of diffraction patterns", this);
    copyright->setObjectName("Copyright");
    names->addWidget(product);
    names->addWidget(version);
    names->addWidget(copyright);
    head->addLayout(names, 1);
    layout->addLayout(head);

    auto* comments = new QPlainTextEdit(this);
    comments->setObjectName("Comments");
    comments->setReadOnly(true);
    comments->setPlainText(
        "Connects exposure series into high-dynamic-range images, measures the energy of "
        "diffraction orders and simulates the diffraction image of trapezium meshes.");
    comments->setFixedHeight(70);
    layout->addWidget(comments);

    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("OKButton");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(ok, 0, Qt::AlignHCenter);
    setFixedSize(sizeHint());
}
