#include "tmf.h"

#include "about_box.h"
#include "mf_enable.h"
#include "qt_picture_formats.h"
#include "tform1.h"
#include "tmdi_child.h"
#include "tmvf.h"
#include "widgets/selection_track_bar.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>

// The core's host hooks on this window: log line, progress bar, event loop, message box.
class TMF::GuiHost : public fringel::Host {
public:
    explicit GuiHost(TMF& window) : w_(window) {}
    void log(std::string_view line) override {
        w_.logLine(QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size())));
    }
    void setProgressMaximum(int maximum) override { w_.PB->setMaximum(maximum); }
    void setProgressPosition(int position) override { w_.PB->setValue(position); }
    int progressPosition() const override { return w_.PB->value(); }
    int progressBarWidth() const override { return w_.PB->width(); }
    void processEvents() override { QCoreApplication::processEvents(); }
    void showMessage(std::string_view text) override {
        const QString message = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
        if (w_.messageSink)
            w_.messageSink(message);
        else
            QMessageBox::information(&w_, QApplication::applicationName(), message);
    }

private:
    TMF& w_;
};

TMF::TMF(QWidget* parent) : QMainWindow(parent), host_(std::make_unique<GuiHost>(*this)) {
    fringel::registerQtPictureFormats(); // the picture formats Qt reads join the series opener
    setObjectName("MF");
    setWindowTitle("Fringel");
    resize(1100, 780);

    mdiArea = new QMdiArea(this);
    mdiArea->setObjectName("ClientArea");
    mdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    createActions();
    createMenus();
    createToolBar();
    createRightPanel();

    auto* central = new QWidget(this);
    auto* row = new QHBoxLayout(central);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(mdiArea, 1);
    row->addWidget(Panel1);
    setCentralWidget(central);
    statusBar()->setObjectName("StatusBar");

    aboutBox = new TAboutBox(this);
    MVF = new TMVF(*this);
    Form1 = new TForm1(*this);

    // Start values that follow from the other controls.
    editCut->setText(QString::number(scroolCut->value()));
    Edit3->setText(QString::number(ScrollBar2->value() / 10));
    FPSEdit->setText("0");
    EcutofTop->setText(QString::number(255 - Tcutof->selectionStart()));
    EcutofLow->setText(QString::number(255 - Tcutof->selectionEnd()));

    connectHandlers();
}

TMF::~TMF() {
    // Documents go first, while the controls their destruction switches off still exist.
    for (TMDIChild* child : documents())
        delete child;
}

fringel::Host& TMF::host() {
    return *host_;
}

void TMF::logLine(const QString& text) {
    statusBar()->showMessage(text);
    RE->appendPlainText(text);
    RE->verticalScrollBar()->setValue(RE->verticalScrollBar()->maximum());
    // Shown at once, so a line written during a long operation is seen while it runs.
    if (RE->isVisible()) RE->viewport()->repaint();
    if (statusBar()->isVisible()) statusBar()->repaint();
}

void TMF::showError(const QString& message) {
    if (messageSink) {
        messageSink(message);
        return;
    }
    QMessageBox::critical(this, QApplication::applicationName(), message);
}

void TMF::runCommand(const std::function<void()>& command) {
    try {
        command();
    } catch (const std::exception& e) {
        showError(QString::fromUtf8(e.what()));
    }
}

void TMF::connectHandlers() {
    onSignal(FileOpen1, &QAction::triggered, &TMF::FileOpen1Execute);
    onSignal(T1, &QAction::triggered, &TMF::T1Click);
    onSignal(ImagesAsLayer1, &QAction::triggered, &TMF::ImagesAsLayer1Click);
    // The menu's Save and Save As do what the tool button does: a dead Ctrl+S helps nobody.
    onSignal(ToolButton2, &QAction::triggered, &TMF::ToolButton2Click);
    onSignal(FileSave1, &QAction::triggered, &TMF::ToolButton2Click);
    onSignal(FileSaveAs1, &QAction::triggered, &TMF::ToolButton2Click);
    onSignal(ToolButton12, &QAction::triggered, &TMF::ToolButton12Click);
    onSignal(ExportFloatTiff1, &QAction::triggered, &TMF::ExportFloatTiff1Click);
    connect(OpenSample1, &QAction::triggered, this,
            [this] { runCommand([this] { OpenSample1Click(); }); });
    connectNavigation();
    connectEnergyTab();
    connectConnectingTab();
    connectFiltersTab();
    connectLayerCommands();
    connect(mdiArea, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* window) {
        if (auto* child = qobject_cast<TMDIChild*>(window))
            runCommand([child] { child->FormActivate(); });
    });
}

TMDIChild* TMF::activeDocument() const {
    return qobject_cast<TMDIChild*>(mdiArea->activeSubWindow());
}

QList<TMDIChild*> TMF::documents() const {
    QList<TMDIChild*> list;
    for (QMdiSubWindow* w : mdiArea->subWindowList())
        if (auto* child = qobject_cast<TMDIChild*>(w)) list.append(child);
    return list;
}

TMDIChild* TMF::createDocument() {
    auto* child = new TMDIChild(*this);
    child->setWindowTitle(QString("Image %1").arg(++documentsCreated_));
    mdiArea->addSubWindow(child);
    child->resize(480, 360);
    child->show();
    mdiArea->setActiveSubWindow(child);
    return child;
}

namespace {

// Lays the windows that are not minimised out in equal strips: stacked one above the other
// (each the full width) or side by side (each the full height).
void tile(QMdiArea* area, bool stacked) {
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* w : area->subWindowList())
        if (!w->isMinimized()) windows.append(w);
    if (windows.isEmpty()) return;
    const QRect r = area->viewport()->rect();
    const int n = static_cast<int>(windows.size());
    for (int i = 0; i < n; ++i) {
        windows[i]->showNormal();
        if (stacked)
            windows[i]->setGeometry(0, i * (r.height() / n), r.width(), r.height() / n);
        else
            windows[i]->setGeometry(i * (r.width() / n), 0, r.width() / n, r.height());
    }
}

} // namespace

void TMF::tileHorizontally() {
    tile(mdiArea, true);
}

void TMF::tileVertically() {
    tile(mdiArea, false);
}

void TMF::minimizeAll() {
    for (QMdiSubWindow* w : mdiArea->subWindowList())
        w->showMinimized();
    arrangeAll();
}

void TMF::arrangeAll() {
    // Minimised windows line up along the bottom edge of the client area.
    const QRect area = mdiArea->viewport()->rect();
    int x = 0;
    int y = area.bottom();
    for (QMdiSubWindow* w : mdiArea->subWindowList()) {
        if (!w->isMinimized()) continue;
        const QSize size = w->size();
        if (x > 0 && x + size.width() > area.width()) {
            x = 0;
            y -= size.height();
        }
        w->move(x, y - size.height() + 1);
        x += size.width();
    }
}

void TMF::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (firstShown_) return;
    firstShown_ = true;
    enableConnecting(*this, false);
    enableMeasurement(*this, false);
    enableFilters(*this, false);
    enableSaving(*this, false);
    enableNavigation(*this, false);
}

void TMF::FileExit1Execute() {
    close();
}

void TMF::closeEvent(QCloseEvent* event) {
    // Every document window is closed once (its closing steps write their log lines). A
    // document that a loop still works on stops its animation and closes when the loop has
    // let go; the main window then closes too.
    bool waiting = false;
    for (TMDIChild* child : documents())
        if (!child->close()) waiting = true;
    if (waiting) {
        event->ignore();
        QTimer::singleShot(20, this, &TMF::close);
        return;
    }
    event->accept();
}

void TMF::T1Click() {
    if (!Form1->isVisible()) {
        // Centred on the main window, as a dialog would be.
        Form1->move(geometry().center() - Form1->rect().center());
        Form1->show();
    }
    Form1->raise();
    Form1->activateWindow();
}

void TMF::HelpAbout1Execute() {
    aboutBox->exec();
}
