#include "app/main_window_fixture.h"
#include "app/series_fixture.h"
#include "energy/fun_find_sum.h"
#include "io/open_series.h"
#include "tmvf.h"
#include "widgets/spin_edit.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <cmath>

using fringel::PixelFormat;

class MeasurementTabTest : public MainWindowTest {
protected:
    // Connects two exposures of a bright spot at (30, 20) and leaves the layer current.
    TMDIChild* connectSpot() {
        const QStringList files =
            writeSeries(dir, 2, 64, 48, PixelFormat::Gray8, [](int i, int y, int x) {
                const double d = std::hypot(x - 30, y - 20);
                return static_cast<std::uint8_t>(std::max(2.0, 90.0 - 9 * d) * (i + 1));
            });
        TMDIChild* child = window->openInNewDocument(files, fringel::kOpenBmpSeries, files[0]);
        window->BitBtn2->click();
        window->reportFolder = dir.path();
        return child;
    }
    QTemporaryDir dir;
};

TEST_F(MeasurementTabTest, FindMeasuresThePeakAndFillsTheBoxes) {
    TMDIChild* child = connectSpot();
    window->ex->setText("28");
    window->ey->setText("19");
    window->autoCalc->setChecked(true);
    window->BitBtn1->click();
    EXPECT_TRUE(messages.isEmpty()) << messages.join("|").toStdString();
    EXPECT_EQ(window->ex->text(), "30");
    EXPECT_EQ(window->ey->text(), "20");
    EXPECT_NE(window->EnOut->text(), "0");
    EXPECT_NE(window->Ecor->text(), "0");
    EXPECT_EQ(child->document().peakX, 30);
    EXPECT_EQ(window->SERange->text(), "18"); // clamped one pixel off the top edge
    EXPECT_TRUE(QFile::exists(dir.filePath("energy.txt")));
    EXPECT_TRUE(QFile::exists(dir.filePath("Peak@(30,20).txt")));
}

TEST_F(MeasurementTabTest, AStartNextToTheEdgeShowsTheNothingFoundMessage) {
    connectSpot();
    window->ex->setText("2");
    window->ey->setText("19");
    window->BitBtn1->click();
    EXPECT_EQ(messages, QStringList{fringel::kNothingFoundMessage});
    EXPECT_EQ(window->SERange->text(), "1");
}

TEST_F(MeasurementTabTest, GaussMeasuresWithTheFittedPeak) {
    // A Gaussian spot of standard deviation 3 at (30, 20), exposed twice.
    const QStringList files =
        writeSeries(dir, 2, 64, 48, PixelFormat::Gray8, [](int i, int y, int x) {
            const double d2 = (x - 30) * (x - 30) + (y - 20) * (y - 20);
            return static_cast<std::uint8_t>(80 * (i + 1) * std::exp(-d2 / 18));
        });
    window->openInNewDocument(files, fringel::kOpenBmpSeries, files[0]);
    window->BitBtn2->click();
    window->reportFolder = dir.path();
    window->ex->setText("28");
    window->ey->setText("19");
    window->RG1->setCurrentIndex(fringel::kGaussMethod);
    window->BitBtn1->click();
    EXPECT_TRUE(messages.isEmpty()) << messages.join("|").toStdString();
    EXPECT_EQ(window->ex->text(), "30");
    EXPECT_EQ(window->ey->text(), "20");
}

TEST_F(MeasurementTabTest, AutoCalculateMeasuresEveryLayerWhenAStartPointIsSet) {
    TMDIChild* child = connectSpot();
    // A second, dark layer of the same size.
    fringel::ImageDocument& doc = child->document();
    doc.resizePlanes(1, 1, 64, 48);
    doc.growByOneLayer();
    doc.bitmaps[1]->reset(64, 48, PixelFormat::Bgr24);
    window->SBimages->setMaximum(1);
    window->autoCalc->setChecked(true);
    window->ex->setText("28");
    window->ey->setText("19");
    window->SBimages->setValue(1);
    EXPECT_EQ(logLines().last(), "E(1) = " + window->EnOut->text());
    window->ex->setText("28");
    window->ey->setText("19");
    window->SBimages->setValue(0);
    EXPECT_EQ(logLines().last(), "E(0) = " + window->EnOut->text());
    EXPECT_NE(window->EnOut->text(), "0");

    window->ex->setText("");
    const qsizetype before = logLines().size();
    window->SBimages->setValue(1);
    EXPECT_EQ(logLines().size(), before);
}

TEST_F(MeasurementTabTest, GetHorizontalLineWritesOneMaximumPerColumn) {
    connectSpot();
    window->ey->setText("24");
    window->GetHorizontalLine1->trigger();
    QFile file(dir.filePath("line.txt"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    EXPECT_EQ(text.count('\n'), 64);
    EXPECT_FALSE(text.contains('\r'));
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(MeasurementTabTest, DeleteLastLayerShowsTheNewLastLayer) {
    TMDIChild* child = connectSpot();
    fringel::ImageDocument& doc = child->document();
    doc.resizePlanes(2, 1, 64, 48);
    doc.growByOneLayer();
    doc.growByOneLayer();
    doc.bitmaps[1]->reset(64, 48, PixelFormat::Bgr24);
    doc.bitmaps[2]->reset(64, 48, PixelFormat::Bgr24);
    doc.layerCount = 3;
    window->DelateLastLayer1->trigger();
    EXPECT_EQ(doc.layerCount, 2);
    EXPECT_EQ(doc.currentLayer, 1);
    EXPECT_EQ(window->SBimages->maximum(), 1);
    EXPECT_EQ(window->SBimages->value(), 1);
}

TEST_F(MeasurementTabTest, MaximumValuesDialogStoresAndLogsBothValues) {
    TMDIChild* child = connectSpot();
    window->EnOut->setText("12");
    QTimer::singleShot(0, window.get(), [this] {
        EXPECT_EQ(window->MVF->E_EnV->text(), "12");
        window->MVF->E_EnV->setText("1,5");
        window->MVF->E_DV->setText("x");
        window->MVF->BtnOK->click(); // the second text is no number: the dialog stays
        EXPECT_TRUE(window->MVF->isVisible());
        window->MVF->E_DV->setText("20");
        window->MVF->BtnOK->click();
    });
    window->MFmaxValue00->trigger();
    EXPECT_EQ(child->document().maxEnergy, 1.5f);
    EXPECT_EQ(child->document().maxDiodeReading, 20.0f);
    EXPECT_EQ(messages.size(), 1);
    const QStringList log = logLines();
    EXPECT_EQ(log.at(log.size() - 2), "MaxV = 1,5");
    EXPECT_EQ(log.last(), "MaxDiodeV = 20");
    EXPECT_FALSE(window->MVF->isVisible());
}

TEST_F(MeasurementTabTest, FrozenRadiusComesFromTheTypedInnerRadius) {
    TMDIChild* child = connectSpot();
    window->CBfrad->setChecked(true);
    window->Ecor->setText("7");
    EXPECT_EQ(window->ERcor->text(), "9"); // trunc(sqrt(2 x 49))
    window->ex->setText("28");
    window->ey->setText("19");
    window->BitBtn1->click();
    EXPECT_TRUE(messages.isEmpty()) << messages.join("|").toStdString();
    EXPECT_EQ(child->document().innerRadius, 7);
    EXPECT_EQ(child->document().outerRadius, 9);
    EXPECT_EQ(window->Ecor->text(), "7");
}
