#include "app/main_window_fixture.h"
#include "app/series_fixture.h"
#include "image/bmp_codec.h"
#include "image/canvas.h"
#include "image_view.h"
#include "io/open_series.h"
#include "widgets/up_down.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

using fringel::Bitmap;
using fringel::PixelFormat;

class NavigationTest : public MainWindowTest {
protected:
    TMDIChild* openSeries(int n) {
        const QStringList files = writeSeries(dir, n);
        return window->openInNewDocument(files, fringel::kOpenBmpSeries, files.first());
    }
    int shownByte(TMDIChild* child) const { return child->document().shownPicture.row(0)[0]; }
    QTemporaryDir dir;
};

TEST_F(NavigationTest, OpeningASeriesShowsTheFirstExposureAndSetsTheControls) {
    TMDIChild* child = openSeries(3);
    EXPECT_EQ(shownByte(child), 10);
    EXPECT_EQ(window->PC1->currentIndex(), 1);
    EXPECT_TRUE(child->windowTitle().endsWith("exp0.bmp, okno: 1"));
    EXPECT_EQ(window->SBimages->maximum(), 2);
    EXPECT_EQ(window->EImages->text(), "1");
    EXPECT_EQ(window->UTimeDown->maximum(), 16);
    EXPECT_TRUE(window->BitBtn2->isEnabled());
    EXPECT_TRUE(window->BMedApply->isEnabled());
    EXPECT_TRUE(window->AnimBtn->isEnabled());
    EXPECT_FALSE(window->BitBtn1->isEnabled());
    EXPECT_EQ(window->PB->value(), 0);
    EXPECT_EQ(child->image()->size(), QSize(40, 30));
}

TEST_F(NavigationTest, LayerNumberBoxAcceptsOnlyExistingLayers) {
    TMDIChild* child = openSeries(3);
    window->EImages->setText("3");
    EXPECT_EQ(child->document().currentLayer, 2);
    EXPECT_EQ(shownByte(child), 30);
    for (const char* text : {"4", "0", "-1", ""}) {
        window->EImages->setText(text);
        EXPECT_EQ(window->SBimages->value(), 2) << text;
        EXPECT_EQ(child->document().currentLayer, 2) << text;
    }
}

TEST_F(NavigationTest, LeftAndRightStopAtTheEnds) {
    TMDIChild* child = openSeries(3);
    window->ImageRight1->trigger();
    window->ImageRight1->trigger();
    EXPECT_EQ(child->document().currentLayer, 2);
    EXPECT_EQ(window->EImages->text(), "3");
    window->ImageRight1->trigger();
    EXPECT_EQ(window->SBimages->value(), 2);
    window->Left1->trigger();
    EXPECT_EQ(shownByte(child), 20);
    window->Left1->trigger();
    window->Left1->trigger();
    EXPECT_EQ(window->SBimages->value(), 0);
}

TEST_F(NavigationTest, AnimationWithoutLoopShowsEveryLayerOnceThenStops) {
    TMDIChild* child = openSeries(4);
    window->FPSEdit->setText("25");
    // Right after opening the flag is already set: the first press clears it.
    window->AnimBtn->click();
    EXPECT_FALSE(child->document().animating);
    EXPECT_EQ(window->AnimBtn->text(), "Animate");

    QList<int> shown;
    QObject::connect(window->SBimages, &QScrollBar::valueChanged, [&](int v) { shown << v; });
    window->AnimBtn->click(); // returns when the animation has ended
    EXPECT_EQ(shown, (QList<int>{1, 2, 3}));
    EXPECT_EQ(child->document().currentLayer, 0);
    EXPECT_EQ(window->SBimages->value(), 3);
    EXPECT_EQ(shownByte(child), 40);
    EXPECT_EQ(window->AnimBtn->text(), "Animate");
    EXPECT_FALSE(child->document().animating);
}

TEST_F(NavigationTest, LoopRunsUntilStopIsPressed) {
    TMDIChild* child = openSeries(2);
    window->FPSEdit->setText("25");
    window->AnimBtn->click();
    window->AnimCB->setChecked(true);
    int changes = 0;
    QObject::connect(window->SBimages, &QScrollBar::valueChanged, [&] {
        if (++changes == 6) window->AnimBtn->click(); // "Stop"
    });
    window->AnimBtn->click();
    EXPECT_EQ(changes, 6);
    EXPECT_EQ(window->AnimBtn->text(), "Animate");
    EXPECT_FALSE(child->document().animating);
}

TEST_F(NavigationTest, ClosingTheDocumentMidAnimationEndsItCleanly) {
    TMDIChild* child = openSeries(3);
    QPointer<TMDIChild> guard(child);
    window->FPSEdit->setText("25");
    window->AnimBtn->click();
    window->AnimCB->setChecked(true);
    QTimer::singleShot(100, child, [child] { child->close(); });
    window->AnimBtn->click(); // ends once the close has stopped it
    EXPECT_TRUE(QTest::qWaitFor([&] {
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return guard.isNull();
    }));
    EXPECT_EQ(window->AnimBtn->text(), "Animate");
    EXPECT_EQ(logLines().count("Bitmaps deleted from memory..."), 1);
}

TEST_F(NavigationTest, FrameRateBoxAndArrowsStayInStep) {
    window->FPSEdit->setText("30");
    EXPECT_EQ(window->FPSUpDown->position(), 25);
    window->FPSEdit->setText("abc");
    EXPECT_EQ(window->FPSUpDown->position(), 25);
    window->FPSUpDown->press(-1);
    EXPECT_EQ(window->FPSEdit->text(), "24");
}

TEST_F(NavigationTest, AutoCalculateDoesNotMeasureTheExposuresOfAnUnconnectedSeries) {
    openSeries(5);
    window->autoCalc->setChecked(true);
    window->ex->setText("20");
    window->ey->setText("15");
    const int before = static_cast<int>(logLines().size());
    window->EImages->setText("5");
    EXPECT_EQ(logLines().size(), before);
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(NavigationTest, ClickMarksARedCrossOnTheShownCopyOnly) {
    TMDIChild* child = openSeries(1);
    child->Image1MouseDown(20, 15);
    EXPECT_EQ(window->ex->text(), "20");
    EXPECT_EQ(window->ey->text(), "15");
    Bitmap& shown = child->document().shownPicture;
    ASSERT_EQ(shown.format(), PixelFormat::Bgr24);
    fringel::Canvas canvas(shown);
    const fringel::Rgb red{255, 0, 0};
    int redPixels = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            redPixels += canvas.pixel(x, y) == red;
    EXPECT_EQ(redPixels, 39); // two 20-pixel arms sharing the centre
    EXPECT_EQ(canvas.pixel(20, 5), red);
    EXPECT_NE(canvas.pixel(20, 25), red);
    EXPECT_EQ(canvas.pixel(10, 15), red);
    EXPECT_NE(canvas.pixel(30, 15), red);
    EXPECT_EQ(child->document().bufferBitmaps[0]->format(), PixelFormat::Gray8);
}

TEST_F(NavigationTest, PointerShowsTheFloatValueOnceLayersExist) {
    TMDIChild* child = openSeries(1);
    window->statusBar()->showMessage("before");
    child->Image1MouseMove(5, 7);
    EXPECT_EQ(window->statusBar()->currentMessage(), "before"); // only an unconnected series

    auto& d = child->document();
    d.resizePlanes(1, 1, 40, 30);
    d.planes[0][0].at(5, 7) = 12.5f;
    d.currentLayer = 0;
    child->Image1MouseMove(5, 7);
    EXPECT_EQ(window->statusBar()->currentMessage(), "[5,7] = 12,5");
    d.planes[0][0].at(6, 7) = 1.0f / 3;
    child->Image1MouseMove(6, 7);
    EXPECT_EQ(window->statusBar()->currentMessage(), "[6,7] = 0,3333333433");
    child->Image1MouseMove(400, 7); // outside the layer: nothing
    EXPECT_EQ(window->statusBar()->currentMessage(), "[6,7] = 0,3333333433");
}

TEST_F(NavigationTest, WheelScrollsTwentyPixelsANotch) {
    const QStringList files = writeSeries(dir, 1, 200, 2000);
    TMDIChild* child = window->openInNewDocument(files, fringel::kOpenBmpSeries, files.first());
    QScrollBar* bar = child->scrollArea()->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 40);
    bar->setValue(0);
    child->FormMouseWheelDown();
    EXPECT_EQ(bar->value(), 20);
    child->FormMouseWheelUp();
    child->FormMouseWheelUp();
    EXPECT_EQ(bar->value(), 0);
}

TEST_F(NavigationTest, ActivationRestoresTheDocumentsState) {
    TMDIChild* first = openSeries(3);
    first->document().innerRadius = 10;
    first->document().fineTuning = 55;
    window->EImages->setText("2");
    TMDIChild* second = openSeries(2);
    EXPECT_EQ(window->SBimages->maximum(), 1);
    EXPECT_EQ(window->Ecor->text(), "0");

    window->mdiArea->setActiveSubWindow(first);
    EXPECT_EQ(window->Ecor->text(), "10");
    EXPECT_EQ(window->ERcor->text(), "14"); // computed from r
    EXPECT_EQ(window->scroolCut->value(), 55);
    EXPECT_EQ(window->editCut->text(), "55");
    EXPECT_EQ(window->SBimages->maximum(), 2);
    EXPECT_EQ(window->EImages->text(), "2");
    EXPECT_EQ(shownByte(first), 20);
    (void)second;
}

TEST_F(NavigationTest, FilterIndexThreeShowsTheMessageAndAnEmptyDocument) {
    const QStringList files = writeSeries(dir, 1);
    TMDIChild* child = window->openInNewDocument(files, fringel::kOpenFormattedText, files.first());
    EXPECT_EQ(messages, QStringList{"This isnt a vaild file extenasion [3]"});
    EXPECT_EQ(child->document().layerCount, 0);
    EXPECT_TRUE(child->document().bufferBitmaps.empty());
}
