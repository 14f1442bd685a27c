#include "tmdi_child.h"

#include "base/number_text.h"
#include "image_view.h"
#include "mf_enable.h"
#include "tmf.h"
#include "widgets/spin_edit.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>

TMDIChild::TMDIChild(TMF& mainWindow)
    : main_(mainWindow), doc_(std::make_unique<fringel::ImageDocument>(mainWindow.host())) {
    setObjectName("MDIChild");
    setAttribute(Qt::WA_DeleteOnClose);
    scroll_ = new QScrollArea(this);
    scroll_->setAlignment(Qt::AlignCenter);
    scroll_->setWidgetResizable(false);
    image_ = new ImageView(doc_->shownPicture, scroll_);
    scroll_->setWidget(image_);
    setWidget(scroll_);
    doc_->setView(this);
}

TMDIChild::~TMDIChild() {
    doc_->setView(nullptr);
    enableConnecting(main_, false);
    enableFilters(main_, false);
    enableMeasurement(main_, false);
    enableSaving(main_, false);
    enableNavigation(main_, false);
}

void TMDIChild::pictureChanged() {
    image_->pictureChanged();
    scroll_->widget()->adjustSize();
}

void TMDIChild::sizeForPicture(int width, int height) {
    const QWidget* client = main_.centralWidget();
    if (client->height() - 50 < height || client->width() - 215 < width) {
        showMaximized();
        return;
    }
    showNormal();
    const QSize frame = size() - scroll_->viewport()->size();
    resize(QSize(width, height) + frame);
}

void TMDIChild::closeWhenFree() {
    if (doc_->busy()) {
        QTimer::singleShot(20, this, [this] { closeWhenFree(); });
        return;
    }
    close();
}

void TMDIChild::closeEvent(QCloseEvent* event) {
    if (doc_->busy()) {
        // A loop still works on this document: end its animation and close once it has let go.
        doc_->animating = false;
        event->ignore();
        if (!closePending_) {
            closePending_ = true;
            QTimer::singleShot(20, this, [this] { closeWhenFree(); });
        }
        return;
    }
    main_.runCommand([this] { doc_->close(); });
    QMdiSubWindow::closeEvent(event);
}

void TMDIChild::FormActivate() {
    using fringel::formatGeneral;
    fringel::ImageDocument& d = *doc_;
    TMF& w = main_;
    const auto show = [](QLineEdit* edit, const std::string& text) {
        edit->setText(QString::fromStdString(text));
    };

    w.ERcor->setText("");
    w.Ecor->setText("");
    w.ERcor->setText(QString::number(d.outerRadius));
    w.Ecor->setText(QString::number(d.innerRadius));
    w.ex->setText(QString::number(d.peakX));
    w.ey->setText(QString::number(d.peakY));
    w.SERange->setValue(d.range);
    w.CSDiodeSize->setValue(d.diodeSize);
    // The scroll bars' own handlers write these values back into the document.
    const int fineTuning = d.fineTuning;
    const int cutLevel = d.cutLevel;
    w.scroolCut->setValue(fineTuning);
    w.ScrollBar2->setValue(cutLevel);
    show(w.DiodeOut, formatGeneral(d.diodeReading));
    show(w.EnOut, formatGeneral(d.energy));
    show(w.EnNoise, formatGeneral(d.energyNoise));

    enableConnecting(w, d.bufferView);
    enableFilters(w, d.bufferView);
    enableMeasurement(w, !d.bufferView);
    enableSaving(w, d.canSave);
    enableNavigation(w, d.animating);

    if (d.layerCount > 0) {
        w.SBimages->setMaximum(d.layerCount - 1);
        w.SBimages->setValue(d.currentLayer);
        w.EImages->setText(QString::number(w.SBimages->value() + 1));
    }
}
