#include "tmdi_child.h"

#include "base/number_text.h"
#include "image/canvas.h"
#include "image_view.h"
#include "mf_enable.h"
#include "tmf.h"
#include "widgets/spin_edit.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>
#include <QWheelEvent>

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
    scroll_->viewport()->installEventFilter(this);
    connect(image_, &ImageView::mousePressed, this,
            [this](int x, int y) { main_.runCommand([=, this] { Image1MouseDown(x, y); }); });
    connect(image_, &ImageView::mouseMoved, this,
            [this](int x, int y) { main_.runCommand([=, this] { Image1MouseMove(x, y); }); });
}

bool TMDIChild::eventFilter(QObject* watched, QEvent* event) {
    if (watched == scroll_->viewport() && event->type() == QEvent::Wheel) {
        const int delta = static_cast<QWheelEvent*>(event)->angleDelta().y();
        if (delta < 0) FormMouseWheelDown();
        if (delta > 0) FormMouseWheelUp();
        return true;
    }
    return QMdiSubWindow::eventFilter(watched, event);
}

void TMDIChild::FormMouseWheelDown() {
    QScrollBar* bar = scroll_->verticalScrollBar();
    bar->setValue(bar->value() + 20);
}

void TMDIChild::FormMouseWheelUp() {
    QScrollBar* bar = scroll_->verticalScrollBar();
    bar->setValue(bar->value() - 20);
}

void TMDIChild::Image1MouseDown(int x, int y) {
    main_.ex->setText(QString::number(x));
    main_.ey->setText(QString::number(y));
    fringel::Bitmap& picture = doc_->shownPicture;
    if (picture.format() != fringel::PixelFormat::Bgr24) picture = fringel::toBgr24(picture);
    fringel::Canvas canvas(picture);
    canvas.setPenColor({255, 0, 0});
    canvas.moveTo(x, y - 10);
    canvas.lineTo(x, y + 10);
    canvas.moveTo(x - 10, y);
    canvas.lineTo(x + 10, y);
    doc_->pictureChanged();
}

void TMDIChild::Image1MouseMove(int x, int y) {
    const fringel::ImageDocument& d = *doc_;
    if (d.planes.empty() || !d.loaded) return;
    // Over exposures that have no float layer under them (another size, or more exposures
    // than layers) there is nothing to read out.
    if (d.currentLayer < 0 || d.currentLayer >= d.planes.length()) return;
    const fringel::Layer& layer = d.planes[d.currentLayer];
    if (layer.empty()) return;
    const fringel::Plane& plane = layer[0];
    if (x < 0 || y < 0 || x >= plane.width() || y >= plane.height()) return;
    main_.statusBar()->showMessage(
        QString("[%1,%2] = %3")
            .arg(x)
            .arg(y)
            .arg(QString::fromStdString(fringel::formatGeneral(plane.at(x, y), 10))));
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
    w.scroolCut->setValue(d.fineTuning);
    w.ScrollBar2->setValue(d.cutLevel);
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
