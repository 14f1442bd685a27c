#include "app/main_window_fixture.h"
#include "app/series_fixture.h"
#include "base/number_text.h"
#include "image_view.h"
#include "io/open_series.h"
#include "widgets/radio_group.h"
#include "widgets/selection_track_bar.h"
#include "widgets/spin_edit.h"
#include "widgets/up_down.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTimer>

using fringel::PixelFormat;

class ConnectingTabTest : public MainWindowTest {
protected:
    TMDIChild* open(int n, int w = 40, int h = 30, PixelFormat format = PixelFormat::Bgr24) {
        const QStringList files = writeSeries(dir, n, w, h, format, [](int i, int y, int k) {
            return static_cast<std::uint8_t>(20 + 30 * i + (y + k) % 50);
        });
        return window->openInNewDocument(files, fringel::kOpenBmpSeries, files.first());
    }
    QString timeText(int index) const {
        return QString::fromStdString(
            fringel::formatGeneral(window->activeDocument()->document().exposureTimes[index]));
    }
    QTemporaryDir dir;
};

TEST_F(ConnectingTabTest, SliderMovesTheChosenEndOfTheBandAndItsBox) {
    window->TBcutoff->setItemIndex(0);
    window->Tcutof->setValue(40);
    EXPECT_EQ(window->EcutofTop->text(), "215");
    EXPECT_EQ(window->Tcutof->selectionStart(), 40);
    EXPECT_EQ(window->Tcutof->selectionEnd(), 255);

    window->TBcutoff->setItemIndex(1);
    window->Tcutof->setValue(200);
    EXPECT_EQ(window->EcutofLow->text(), "55");
    EXPECT_EQ(window->Tcutof->selectionEnd(), 200);
    EXPECT_EQ(window->Tcutof->selectionStart(), 40);
}

TEST_F(ConnectingTabTest, TypedLevelsSetTheSelection) {
    window->EcutofLow->setText("100");
    EXPECT_EQ(window->Tcutof->selectionEnd(), 155);
    window->EcutofTop->setText("250");
    EXPECT_EQ(window->Tcutof->selectionStart(), 5);
    window->EcutofTop->setText("x1");
    window->EcutofTop->setText("");
    EXPECT_EQ(window->Tcutof->selectionStart(), 5);
    EXPECT_TRUE(messages.isEmpty());
    window->EcutofTop->setText("1,5");
    EXPECT_EQ(window->Tcutof->selectionStart(), 5);
    EXPECT_EQ(messages.size(), 1);
}

TEST_F(ConnectingTabTest, ColourOrderSetsPhotoModeOfTheActiveDocument) {
    TMDIChild* child = open(2);
    window->CBColorOrder->setCurrentIndex(3);
    EXPECT_TRUE(child->document().photoMode);
    window->CBColorOrder->setCurrentIndex(0);
    EXPECT_FALSE(child->document().photoMode);
}

TEST_F(ConnectingTabTest, TimeBoxesShowTheStateOnePressBehind) {
    TMDIChild* child = open(5);
    struct Case {
        int step, position, down, up;
    };
    // Five exposures from index 3: "+/- 1" ends at index 6, "+/- 2" at index 10.
    for (const Case c : {Case{0, 3, 3, 6}, Case{1, 3, 3, 10}}) {
        window->CBEV->setCurrentIndex(c.step);
        window->UTimeDown->setPosition(c.position);
        window->UTimeDown->press(+1);
        EXPECT_EQ(child->document().timeIndex, c.down);
        EXPECT_EQ(window->ETimeDown->text(), timeText(c.down));
        EXPECT_EQ(window->ETimeUp->text(), timeText(c.up));
        EXPECT_EQ(window->UTimeDown->position(), c.position + 1);
    }
    EXPECT_EQ(timeText(3), "0,25");
    EXPECT_EQ(timeText(10), "30");
}

TEST_F(ConnectingTabTest, FirstPressAfterOpeningShowsIndexZero) {
    TMDIChild* child = open(3);
    window->UTimeDown->press(+1);
    EXPECT_EQ(child->document().timeIndex, 0);
    EXPECT_EQ(window->ETimeDown->text(), timeText(0));
    EXPECT_EQ(window->ETimeUp->text(), timeText(1));
    EXPECT_EQ(window->UTimeDown->position(), 1);
}

TEST_F(ConnectingTabTest, IndexBeforeTheTableReportsAnErrorAfterSettingTheFirstTime) {
    TMDIChild* child = open(1);
    window->ETimeUp->setText("old");
    window->UTimeDown->press(+1);
    EXPECT_EQ(child->document().timeIndex, 0);
    EXPECT_EQ(window->ETimeDown->text(), timeText(0));
    EXPECT_EQ(window->ETimeUp->text(), "old");
    EXPECT_EQ(messages.size(), 1);
}

class TrimmingTest : public ConnectingTabTest {
protected:
    void SetUp() override {
        ConnectingTabTest::SetUp();
        child = open(1, 640, 480, PixelFormat::Gray8);
    }
    TMDIChild* child = nullptr;
};

TEST_F(TrimmingTest, SwitchingOnFillsTheBoxesFromTheDocument) {
    window->CBTrimming->click();
    EXPECT_TRUE(window->ETrimXpos->isEnabled());
    EXPECT_TRUE(window->Label9->isEnabled());
    EXPECT_EQ(window->ETrimXpos->text(), "0");
    EXPECT_EQ(window->ETrimYpos->text(), "0");
    EXPECT_EQ(window->ETrimXdim->text(), "640");
    EXPECT_EQ(window->ETrimYdim->text(), "480");
    EXPECT_EQ(child->document().trimWidth, 640);
    EXPECT_EQ(child->document().trimHeight, 480);

    window->ETrimXpos->setText("100");
    EXPECT_EQ(window->ETrimXdim->text(), "540");
    window->CBTrimming->click();
    EXPECT_FALSE(window->ETrimXpos->isEnabled());
    EXPECT_FALSE(window->Label8->isEnabled());
    EXPECT_EQ(window->ETrimXpos->text(), "100");

    // Switching on again keeps accepted values that leave room up to the edge.
    window->ETrimXdim->setText("300");
    window->CBTrimming->click();
    EXPECT_EQ(window->ETrimXpos->text(), "100");
    EXPECT_EQ(window->ETrimXdim->text(), "300");
}

TEST_F(TrimmingTest, BoxesStayInsideTheReferenceSize) {
    window->CBTrimming->click();
    struct Step {
        QLineEdit* box;
        const char* typed;
        const char* xpos;
        const char* xdim;
        const char* ydim;
    };
    const Step steps[] = {
        {window->ETrimXdim, "100", "0", "100", "480"},
        {window->ETrimXpos, "600", "600", "40", "480"}, // the width shrinks to fit
        {window->ETrimXpos, "700", "0", "40", "480"},   // beyond the edge: back to 0
        {window->ETrimXpos, "640", "640", "0", "480"},  // the edge itself is accepted
        {window->ETrimXpos, "", "0", "0", "480"},       // empty reads as 0
        {window->ETrimYdim, "500", "0", "0", "0"},      // too tall: back to 0
        {window->ETrimYdim, "480", "0", "0", "480"},
        {window->ETrimXdim, "641", "0", "0", "480"},
    };
    for (const Step& s : steps) {
        s.box->setText(s.typed);
        SCOPED_TRACE(s.typed);
        EXPECT_EQ(window->ETrimXpos->text(), s.xpos);
        EXPECT_EQ(window->ETrimXdim->text(), s.xdim);
        EXPECT_EQ(window->ETrimYdim->text(), s.ydim);
    }
    EXPECT_EQ(child->document().trimX, 0);
    EXPECT_EQ(child->document().trimHeight, 480);
    EXPECT_TRUE(messages.isEmpty());
    window->ETrimXpos->setText("1,5");
    EXPECT_EQ(messages.size(), 1);
}

TEST_F(ConnectingTabTest, ConnectGreenSeriesSwitchesToMeasurement) {
    TMDIChild* child = open(3);
    window->BitBtn2->click();
    const fringel::ImageDocument& doc = child->document();
    ASSERT_EQ(doc.planes.length(), 1);
    EXPECT_EQ(doc.planes[0].length(), 1);
    EXPECT_EQ(doc.bufferBitmaps.length(), 0);
    EXPECT_EQ(window->PC1->currentIndex(), 0);
    EXPECT_TRUE(window->BitBtn1->isEnabled());
    EXPECT_FALSE(window->BitBtn2->isEnabled());
    EXPECT_FALSE(window->BMedApply->isEnabled());
    EXPECT_TRUE(window->ToolButton2->isEnabled());
    EXPECT_EQ(window->SBimages->maximum(), 0);
    EXPECT_EQ(window->SBimages->value(), 0);
    EXPECT_EQ(child->image()->size(), QSize(40, 30));
    const QStringList log = logLines();
    const qsizetype start = log.indexOf("Creating variables...");
    ASSERT_GE(start, 0);
    EXPECT_EQ(log.at(start + 1), "Relax...");
    EXPECT_EQ(log.at(start + 2), "Calibrating scale...");
    EXPECT_TRUE(log.at(start + 3).startsWith("Connecting time: "));
    EXPECT_EQ(log.at(start + 4), "Running Standard Mode...");
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(ConnectingTabTest, ConnectRgbStaysOnTheConnectingPage) {
    TMDIChild* child = open(2);
    window->CBColorOrder->setCurrentIndex(3);
    window->BitBtn2->click();
    EXPECT_EQ(child->document().planes[0].length(), 3);
    EXPECT_EQ(window->PC1->currentIndex(), 1);
    EXPECT_FALSE(window->BitBtn1->isEnabled());
    EXPECT_FALSE(window->BitBtn2->isEnabled());
    EXPECT_TRUE(window->ToolButton2->isEnabled());
    EXPECT_TRUE(logLines().contains("Running Photo Mode..."));
}

TEST_F(ConnectingTabTest, ConnectWithTrimmingUsesTheBoxes) {
    TMDIChild* child = open(2, 64, 48);
    window->CBTrimming->click();
    window->ETrimXpos->setText("10");
    window->ETrimYpos->setText("8");
    window->ETrimXdim->setText("20");
    window->ETrimYdim->setText("16");
    window->BitBtn2->click();
    ASSERT_EQ(child->document().planes.length(), 1);
    EXPECT_EQ(child->document().planes[0][0].width(), 20);
    EXPECT_EQ(child->document().planes[0][0].height(), 16);
}

TEST_F(ConnectingTabTest, ApplyInCalculationsSwitchesApplyOffAndOn) {
    open(1);
    window->CBMedFiltrerAuto->click();
    EXPECT_FALSE(window->BMedApply->isEnabled());
    window->CBMedFiltrerAuto->click();
    EXPECT_TRUE(window->BMedApply->isEnabled());
}

TEST_F(ConnectingTabTest, ApplyShowsTheFilteredExposureOnly) {
    TMDIChild* child = open(1);
    const fringel::Bitmap exposure = *child->document().bufferBitmaps[0];
    EXPECT_FALSE(window->ToolButton12->isEnabled());
    window->CSpinEdit1->setValue(2);
    const qsizetype before = logLines().size();
    window->BMedApply->click();
    EXPECT_EQ(*child->document().bufferBitmaps[0], exposure);
    const fringel::Bitmap& shown = child->document().shownPicture;
    ASSERT_EQ(shown.format(), PixelFormat::Bgr24);
    EXPECT_EQ(shown.row(5)[30], shown.row(5)[31]);
    EXPECT_NE(shown, exposure);
    EXPECT_TRUE(window->ToolButton12->isEnabled());
    EXPECT_EQ(logLines().size(), before + 1);
    EXPECT_TRUE(logLines().last().startsWith("Median calcuation time: "));
}

TEST_F(ConnectingTabTest, EveryRadiusChangeShowsAPreviewAndLogsItsTime) {
    open(1, 300, 250);
    const qsizetype before = logLines().size();
    window->CSpinEdit1->setValue(3);
    window->CSpinEdit1->setValue(4);
    EXPECT_EQ(logLines().size(), before + 2);
    EXPECT_TRUE(logLines().last().startsWith("Median calcuation time: "));
    const QPixmap preview = window->Image2->pixmap();
    EXPECT_EQ(preview.size(), QSize(200, 200));
}

TEST_F(ConnectingTabTest, ClosingTheDocumentDuringConnectWaitsForTheConnect) {
    TMDIChild* child = open(3, 1200, 900);
    window->CBMedFiltrerAuto->click();
    window->CSpinEdit1->setValue(3);
    bool busyWhenClosed = false;
    QTimer::singleShot(0, window.get(), [&] {
        busyWhenClosed = child->document().busy();
        child->close();
    });
    QPointer<TMDIChild> alive(child);
    window->BitBtn2->click();
    ASSERT_TRUE(busyWhenClosed) << "the close request did not arrive while connecting";
    ASSERT_TRUE(alive);
    EXPECT_EQ(child->document().planes.length(), 1);
    for (int i = 0; i < 100 && alive; ++i)
        QTest::qWait(10);
    EXPECT_FALSE(alive);
    const QStringList log = logLines();
    EXPECT_GT(log.indexOf("Dynamic Arrays deleted from memory..."),
              log.indexOf("Running Standard Mode..."));
}

TEST_F(ConnectingTabTest, SecondConnectWhileConnectingIsRefused) {
    TMDIChild* child = open(3, 1200, 900);
    window->CBMedFiltrerAuto->click();
    window->CSpinEdit1->setValue(3);
    QTimer::singleShot(0, window.get(), [&] { window->BitBtn2Click(); });
    window->BitBtn2->click();
    EXPECT_EQ(child->document().planes.length(), 1);
    EXPECT_TRUE(logLines().contains(
        "This document is still busy; connect again when its running work has ended."));
}
