#include "app/main_window_fixture.h"
#include "image_view.h"
#include "widgets/spin_edit.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QScrollArea>
#include <QScrollBar>

using fringel::Bitmap;
using fringel::PixelFormat;

TEST_F(MainWindowTest, NewDocumentBecomesActiveAndShowsItsDefaults) {
    // Disturb the controls first, so the activation has to write every one of them.
    window->ex->setText("7");
    window->SERange->setValue(50);
    window->scroolCut->setValue(60);
    window->EnOut->setText("12");

    TMDIChild* child = window->createDocument();
    EXPECT_EQ(window->activeDocument(), child);
    EXPECT_EQ(window->ex->text(), "100");
    EXPECT_EQ(window->ey->text(), "100");
    EXPECT_EQ(window->SERange->value(), 25);
    EXPECT_EQ(window->CSDiodeSize->value(), 10);
    EXPECT_EQ(window->scroolCut->value(), 20);
    EXPECT_EQ(window->ScrollBar2->value(), 1);
    EXPECT_EQ(window->EnOut->text(), "0");
    EXPECT_EQ(window->EnNoise->text(), "0");
    EXPECT_EQ(window->DiodeOut->text(), "0");
    EXPECT_EQ(window->Ecor->text(), "0");
}

TEST_F(MainWindowTest, ActivationShowsStoredResultsAsCommaTexts) {
    TMDIChild* child = window->createDocument();
    auto& d = child->document();
    d.energy = 1234.5f;
    d.energyNoise = 0.25f;
    d.diodeReading = 2e20f;
    d.peakX = 120;
    d.range = 500; // kept within the spin box's range
    child->FormActivate();
    EXPECT_EQ(window->EnOut->text(), "1234,5");
    EXPECT_EQ(window->EnNoise->text(), "0,25");
    EXPECT_EQ(window->DiodeOut->text(), "2,00000004008175E20");
    EXPECT_EQ(window->ex->text(), "120");
    EXPECT_EQ(window->SERange->value(), 200);
}

TEST_F(MainWindowTest, ClosingADocumentLogsInOrderAndFreesIt) {
    TMDIChild* child = window->createDocument();
    child->document().resizePlanes(1, 1, 4, 4);
    child->document().sizeLayerBitmaps(1);
    QPointer<TMDIChild> guard(child);
    closeDocument(child);
    EXPECT_TRUE(guard.isNull());
    const QStringList lines = logLines();
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines[lines.size() - 2], "Dynamic Arrays deleted from memory...");
    EXPECT_EQ(lines[lines.size() - 1], "Bitmaps deleted from memory...");
}

TEST_F(MainWindowTest, CloseWaitsForALoopThatStillUsesTheDocument) {
    TMDIChild* child = window->createDocument();
    QPointer<TMDIChild> guard(child);
    auto busy = std::make_unique<fringel::ImageDocument::BusyScope>(child->document());
    child->document().animating = true;
    child->close();
    QTest::qWait(60);
    ASSERT_FALSE(guard.isNull());
    EXPECT_FALSE(child->document().animating); // the loop is told to stop
    busy.reset();
    EXPECT_TRUE(QTest::qWaitFor([&] {
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return guard.isNull();
    }));
    EXPECT_EQ(logLines().count("Bitmaps deleted from memory..."), 1);
}

TEST_F(MainWindowTest, ShowBitmapShowsACopyAtItsOwnSize) {
    TMDIChild* child = window->createDocument();
    Bitmap picture(31, 17, PixelFormat::Gray8);
    picture.row(0)[0] = 200;
    child->document().showBitmap(picture);
    picture.row(0)[0] = 1;
    EXPECT_EQ(child->image()->size(), QSize(31, 17));
    EXPECT_EQ(child->document().shownPicture.row(0)[0], 200);
    const QImage grabbed = child->image()->grab().toImage();
    EXPECT_EQ(qGray(grabbed.pixel(0, 0)), 200);
}

TEST_F(MainWindowTest, WindowIsSizedToAPictureThatFitsAndMaximisedOtherwise) {
    TMDIChild* child = window->createDocument();
    child->document().showBitmap(Bitmap(120, 90));
    child->sizeForPicture(120, 90);
    EXPECT_FALSE(child->isMaximized());
    EXPECT_EQ(child->scrollArea()->viewport()->size(), QSize(120, 90));

    const int tooWide = window->centralWidget()->width() - 215 + 1;
    child->sizeForPicture(tooWide, 10);
    EXPECT_TRUE(child->isMaximized());
}

TEST(SpinEditTest, ValueIsTheTextOrTheMinimumAndRangeHoldsOnFocusLoss) {
    QWidget host;
    SpinEdit spin(2, 200, 25, &host);
    QLineEdit other(&host);
    host.show();
    host.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&host));
    struct Case {
        const char* text;
        int value;
        const char* afterFocusLoss;
    };
    const Case cases[] = {{"40", 40, "40"},    {"abc", 2, "2"}, {"", 2, "2"},
                          {"500", 500, "200"}, {"1", 1, "2"},   {"1,5", 2, "2"}};
    for (const Case& c : cases) {
        spin.setText(c.text);
        EXPECT_EQ(spin.value(), c.value) << c.text;
        spin.editor()->setFocus();
        other.setFocus();
        ASSERT_EQ(QApplication::focusWidget(), &other);
        EXPECT_EQ(spin.text(), c.afterFocusLoss) << c.text;
    }
    spin.setValue(1000);
    EXPECT_EQ(spin.text(), "200");
}
