// Saving: "Save" (a layer bitmap or the whole document as a project) and "Save Active BMP".
#include "dialog_filters.h"
#include "io/float_tiff.h"
#include "io/save_document.h"
#include "tmdi_child.h"
#include "tmf.h"

#include <QFileDialog>

void TMF::ToolButton2Click() {
    if (!activeDocument()) return;
    QFileDialog dialog(this, "Save");
    dialog.setObjectName("SaveDialog");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    const QStringList filters = qtNameFilters(fringel::kSaveFilter);
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters[fringel::kSaveDefaultFilter - 1]);
    const bool confirmed = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
    const int filterIndex = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
    saveActiveDocument(confirmed ? dialog.selectedFiles().first() : QString(), filterIndex);
}

void TMF::saveActiveDocument(const QString& name, int filterIndex) {
    TMDIChild* child = activeDocument();
    if (!child) return;
    fringel::ImageDocument& doc = child->document();
    if (doc.busy()) {
        logLine("This document is still busy; save it when its running work has ended.");
        return;
    }
    fringel::ImageDocument::BusyScope busy(doc);
    fringel::saveDocument(host(), doc,
                          name.isEmpty() ? std::nullopt : std::optional(name.toStdString()),
                          filterIndex);
}

void TMF::ToolButton12Click() {
    if (!activeDocument()) return;
    const QString name = QFileDialog::getSaveFileName(
        this, "Save Picture", QString(),
        "Pictures (*.bmp *.png *.jpg *.jpeg *.tif *.tiff *.ico *.emf *.wmf)");
    if (!name.isEmpty()) saveActivePicture(name);
}

void TMF::saveActivePicture(const QString& name) {
    TMDIChild* child = activeDocument();
    if (!child) return;
    fringel::saveActiveBitmap(child->document(), name.toStdString());
}

void TMF::ExportFloatTiff1Click() {
    if (!activeDocument()) return;
    const QString name = QFileDialog::getSaveFileName(this, "Export Float TIFF", QString(),
                                                      "32-bit float TIFF (*.tif *.tiff)");
    if (!name.isEmpty()) exportActiveLayer(name);
}

void TMF::exportActiveLayer(const QString& fileName) {
    TMDIChild* child = activeDocument();
    if (!child) return;
    const fringel::ImageDocument& doc = child->document();
    if (doc.planes.length() == 0 || doc.bufferView) {
        logLine("Export Float TIFF: the document shows no connected layer");
        return;
    }
    fringel::writeLayerFloatTiff(doc, doc.currentLayer, fileName.toStdString());
    logLine("Exported " + fileName);
}
