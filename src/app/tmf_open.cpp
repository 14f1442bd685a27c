// Opening files: the open dialog, the new document window, and the finishing steps.
#include "dialog_filters.h"
#include "io/add_images.h"
#include "io/open_series.h"
#include "mf_enable.h"
#include "tmdi_child.h"
#include "tmf.h"
#include "widgets/up_down.h"

#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMdiArea>
#include <QScrollBar>
#include <QTabWidget>

namespace {

// The document window and the main window as an open sees them.
class DocumentOpenWindow : public fringel::OpenWindow {
public:
    DocumentOpenWindow(TMF& main, TMDIChild& child) : main_(main), child_(child) {}
    int documentWindowCount() const override { return static_cast<int>(main_.documents().size()); }
    void setCaption(const std::string& caption) override {
        child_.setWindowTitle(QString::fromStdString(caption));
    }
    void sizeForPicture(std::int32_t width, std::int32_t height) override {
        child_.sizeForPicture(width, height);
    }
    void selectPage(int page) override { main_.PC1->setCurrentIndex(page); }
    void finishOpen(fringel::ImageDocument& document) override { main_.finishOpen(document); }

private:
    TMF& main_;
    TMDIChild& child_;
};

// The open dialog's filter in Qt's notation, entry for entry.
QStringList qtFilters() {
    return qtNameFilters(fringel::kOpenFilter);
}

} // namespace

void TMF::FileOpen1Execute() {
    QFileDialog dialog(this, "Open");
    dialog.setObjectName("OpenDialog");
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setNameFilters(qtFilters());
    dialog.setOption(QFileDialog::ReadOnly, false);
    if (dialog.exec() != QDialog::Accepted) return;
    const QStringList files = dialog.selectedFiles();
    const int filterIndex = static_cast<int>(qtFilters().indexOf(dialog.selectedNameFilter())) + 1;
    lastOpenFilter_ = filterIndex;
    openInNewDocument(files, filterIndex, files.isEmpty() ? QString() : files.first());
}

bool TMF::OpenSample1Click() {
    const QDir sample(FRINGEL_SAMPLE_DIR);
    const QStringList names = sample.entryList({"exp_*.bmp"}, QDir::Files, QDir::Name);
    if (names.isEmpty()) {
        logLine("The sample series is not in " + sample.path());
        return false;
    }
    QStringList files;
    for (const QString& n : names)
        files << sample.filePath(n);
    openInNewDocument(files, fringel::kOpenBmpSeries, files.first());
    return true;
}

void TMF::ImagesAsLayer1Click() {
    QFileDialog dialog(this, "Open");
    dialog.setObjectName("OpenDialog");
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setNameFilters(qtFilters());
    const QStringList filters = qtFilters();
    if (lastOpenFilter_ >= 1 && lastOpenFilter_ <= filters.size())
        dialog.selectNameFilter(filters[lastOpenFilter_ - 1]);
    if (dialog.exec() != QDialog::Accepted) return;
    const int filterIndex = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
    lastOpenFilter_ = filterIndex;
    addImagesToActive(dialog.selectedFiles(), filterIndex);
}

void TMF::addImagesToActive(const QStringList& files, int filterIndex) {
    TMDIChild* child = activeDocument();
    if (!child) return;
    fringel::ImageDocument& doc = child->document();
    if (doc.busy()) {
        logLine("This document is still busy; add the images when its running work has ended.");
        return;
    }
    std::vector<std::string> names;
    names.reserve(static_cast<std::size_t>(files.size()));
    for (const QString& f : files)
        names.push_back(f.toStdString());
    DocumentOpenWindow window(*this, *child);
    fringel::ImageDocument::BusyScope busy(doc);
    fringel::addImagesAsLayer(doc, window, names, filterIndex);
}

TMDIChild* TMF::openInNewDocument(const QStringList& files, int filterIndex,
                                  const QString& fileName) {
    TMDIChild* child = createDocument();
    std::vector<std::string> names;
    names.reserve(static_cast<std::size_t>(files.size()));
    for (const QString& f : files)
        names.push_back(f.toStdString());
    DocumentOpenWindow window(*this, *child);
    fringel::ImageDocument::BusyScope busy(child->document());
    fringel::openFiles(child->document(), window, names, filterIndex, fileName.toStdString());
    return child;
}

void TMF::finishOpen(fringel::ImageDocument& document) {
    const fringel::FinishingState s = fringel::finishingState(document);
    if (s.navigationRange) {
        SBimages->setMaximum(s.layerMaximum);
        SBimages->setValue(s.layerPosition);
        EImages->setText(QString::number(SBimages->value() + 1));
    }
    enableConnecting(*this, s.connecting);
    enableMeasurement(*this, s.measurement);
    enableFilters(*this, s.filters);
    enableSaving(*this, s.saving);
    enableNavigation(*this, s.navigation);
    UTimeDown->setMaximum(s.timeDownMaximum);
}
