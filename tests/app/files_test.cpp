#include "app/main_window_fixture.h"
#include "app/series_fixture.h"
#include "image/bmp_codec.h"
#include "io/open_series.h"

#include <QAction>
#include <QFile>
#include <QFileDialog>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTimer>

class FilesTest : public MainWindowTest {
protected:
    // Opens and connects a series, leaving one layer in a new document.
    TMDIChild* connectedDocument() {
        const QStringList files = writeSeries(dir, 2);
        TMDIChild* child = window->openInNewDocument(files, fringel::kOpenBmpSeries, files[0]);
        window->BitBtn2->click();
        return child;
    }
    QTemporaryDir dir;
};

TEST_F(FilesTest, SaveOffersTheProjectEntryAndSavedProjectsOpenAgain) {
    TMDIChild* child = connectedDocument();
    QString offered;
    QTimer::singleShot(0, [&] {
        auto* dialog = window->findChild<QFileDialog*>("SaveDialog");
        ASSERT_NE(dialog, nullptr);
        offered = dialog->selectedNameFilter();
        dialog->reject();
    });
    window->ToolButton2->trigger();
    EXPECT_EQ(offered, "Data *.mdt (*.mdt)");
    EXPECT_EQ(logLines().last(), "Saving done...");

    window->saveActiveDocument(dir.filePath("p"), 2);
    EXPECT_TRUE(QFile::exists(dir.filePath("p.mdt")));
    TMDIChild* reopened = window->openInNewDocument({dir.filePath("p.mdt")}, fringel::kOpenProject,
                                                    dir.filePath("p.mdt"));
    EXPECT_EQ(reopened->document().planes.length(), 1);
    EXPECT_EQ(reopened->document().planes[0][0].at(3, 4), child->document().planes[0][0].at(3, 4));
    EXPECT_EQ(window->PC1->currentIndex(), 0); // "Energy Calc."
    EXPECT_TRUE(window->ToolButton2->isEnabled());
    EXPECT_TRUE(messages.isEmpty()) << messages.join('|').toStdString();
}

TEST_F(FilesTest, SaveActiveBmpAppendsTheExtension) {
    TMDIChild* child = connectedDocument();
    window->saveActivePicture(dir.filePath("shot.png"));
    EXPECT_EQ(fringel::readBmp(dir.filePath("shot.png.bmp").toStdString()),
              *child->document().bitmaps[0]);
}

TEST_F(FilesTest, ImagesAsLayerLoadsASeriesThatConnectsIntoTheNextLayer) {
    TMDIChild* child = connectedDocument();
    QTemporaryDir more;
    const QStringList files = writeSeries(more, 3);
    window->addImagesToActive(files, fringel::kOpenBmpSeries);
    EXPECT_TRUE(window->BitBtn2->isEnabled()); // connecting is on again
    EXPECT_EQ(window->PC1->currentIndex(), 1);
    EXPECT_EQ(window->SBimages->maximum(), 2);
    window->BitBtn2->click();
    EXPECT_EQ(child->document().planes.length(), 2);

    window->addImagesToActive(files, 5);
    EXPECT_EQ(messages, QStringList{"A co to za rodzaj pliku ??"});
    EXPECT_EQ(child->document().planes.length(), 2);
}

TEST_F(FilesTest, ExportFloatTiffComesOnWithSavingAndWritesTheLayer) {
    EXPECT_FALSE(window->ExportFloatTiff1->isEnabled());
    connectedDocument();
    EXPECT_TRUE(window->ExportFloatTiff1->isEnabled());
    window->exportActiveLayer(dir.filePath("layer.tif"));
    QFile tiff(dir.filePath("layer.tif"));
    ASSERT_TRUE(tiff.open(QIODevice::ReadOnly));
    EXPECT_EQ(tiff.read(4), QByteArray("II*\0", 4)); // a little-endian TIFF
    EXPECT_EQ(logLines().last(), "Exported " + dir.filePath("layer.tif"));
}

TEST_F(FilesTest, TheSampleSeriesOpensReadyToConnect) {
    ASSERT_TRUE(window->OpenSample1Click());
    TMDIChild* child = window->activeDocument();
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(child->document().bufferBitmaps.length(), 5);
    window->BitBtn2->click();
    EXPECT_EQ(child->document().planes.length(), 1);
}
