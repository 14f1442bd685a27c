#include "app/main_window_fixture.h"
#include "app/series_fixture.h"
#include "energy/fun_find_sum.h"
#include "io/open_series.h"
#include "widgets/spin_edit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
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

TEST_F(MeasurementTabTest, GaussShowsTheNothingFoundMessage) {
    connectSpot();
    window->ex->setText("28");
    window->ey->setText("19");
    window->RG1->setCurrentIndex(fringel::kGaussMethod);
    window->BitBtn1->click();
    EXPECT_EQ(messages, QStringList{fringel::kNothingFoundMessage});
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
