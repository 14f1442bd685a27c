#include "app/main_window_fixture.h"
#include "image/bmp_codec.h"
#include "image_view.h"
#include "tform1.h"
#include "widgets/spin_edit.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>

namespace {

fringel::Rgb pixelOf(const fringel::Bitmap& image, int x, int y) {
    const std::uint8_t* p = image.row(y) + 3 * x;
    return {p[2], p[1], p[0]};
}

} // namespace

class TrapeziumWindowTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        form = window->Form1;
        form->askSaveName = [this](const QString&, const QString&) { return answer; };
        window->T1->trigger();
        QApplication::processEvents();
    }
    void TearDown() override {
        QDir::setCurrent(startFolder);
        form->hide();
        MainWindowTest::TearDown();
    }

    TForm1* form = nullptr;
    QString answer; // what the save dialog answers
    QTemporaryDir dir;
    QString startFolder = QDir::currentPath();
};

TEST_F(TrapeziumWindowTest, OpensBesideTheMainWindowAndRunsEachTimeItIsShown) {
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(form->isModal());
    EXPECT_TRUE(window->isEnabled());
    EXPECT_EQ(form->windowTitle(), "Trapezium Theorem");
    EXPECT_EQ(form->size(), QSize(730, 604));
    EXPECT_EQ(form->TrapezShow->size(), QSize(600, 600));
    EXPECT_EQ(form->TrEd_f->text(), "53,9040260314941");
    EXPECT_EQ(form->TrEd_g->text(), "59");
    EXPECT_EQ(form->TrEd_b0->text(), "169");
    EXPECT_TRUE(form->TrEd_a0->text().startsWith("158,808"));
    EXPECT_TRUE(form->TrEd_om->text().startsWith("0,147822"));
    EXPECT_EQ(form->tl->text(), "Done !!!");
    EXPECT_EQ(form->Label1->text(), "Gamma = x^0,25");
    EXPECT_EQ(form->model().intensities.length(), 31);
    EXPECT_EQ(pixelOf(form->simulationImage(), 300, 300), (fringel::Rgb{255, 255, 255}));

    form->BBAnuluj->click();
    EXPECT_FALSE(form->isVisible());
    form->TrCBAutoC->setChecked(false);
    form->TrES_b->setText("200");
    EXPECT_EQ(form->TrEd_b0->text(), "169");
    window->T1->trigger();
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->TrEd_b0->text(), "200");
    EXPECT_TRUE(messages.isEmpty()) << messages.join('|').toStdString();
}

TEST_F(TrapeziumWindowTest, DrawingOptionsRedrawAndOtherControlsRun) {
    form->TrCBAutoC->setChecked(false);
    form->TrES_b->setText("180");
    EXPECT_EQ(form->TrEd_b0->text(), "169"); // no run without Auto Calculation
    // Drawing options redraw the last grid and read nothing else.
    form->TrCBMinorThicks->click();
    EXPECT_EQ(pixelOf(form->simulationImage(), 320, 107), (fringel::Rgb{32, 32, 32}));
    form->TrCb_peakr->click();
    form->TrCb_newDraw->click();
    form->TrUDPeakSize->setText("3");
    form->Tr_Gamma->setValue(50);
    EXPECT_EQ(form->Label1->text(), "Gamma = x^0,5");
    EXPECT_EQ(form->TrEd_b0->text(), "169");
    // Show Trapezium runs the whole model.
    form->TrCB_ShowT->click();
    EXPECT_EQ(form->TrEd_b0->text(), "180");
    // The spacing always runs.
    form->TrES_b->setText("190");
    form->CSpinEdit1->setText("25");
    EXPECT_EQ(form->TrEd_b0->text(), "190");
    EXPECT_EQ(form->model().spacing, 25);
    // With Auto Calculation on, the mesh parameters run.
    form->TrCBAutoC->setChecked(true);
    form->TrSe_c->setValue(0);
    EXPECT_EQ(form->TrEd_om->text(), "0");
    form->TrES_2r->setText("41");
    EXPECT_EQ(form->TrEd_g->text(), "74,5");
    EXPECT_TRUE(messages.isEmpty()) << messages.join('|').toStdString();
}

TEST_F(TrapeziumWindowTest, FaultyInputsLeaveThePreviousSimulation) {
    const fringel::Bitmap before = form->simulationImage();
    const float origin = form->model().originIntensity;
    struct Case {
        QLineEdit* box;
        QString text;
        QString message;
    };
    for (const Case& c : {Case{form->TrES_2r, "169", "period equals the wire diameter"},
                          Case{form->TrES_b, "0", "mesh period is 0"}, Case{form->TrES_b, ",", ","},
                          Case{form->CSpinEdit1->editor(), "0", "spacing is 0"}}) {
        messages.clear();
        c.box->setText(c.text);
        ASSERT_EQ(messages.size(), 1) << c.text.toStdString();
        EXPECT_TRUE(messages[0].contains(c.message)) << messages[0].toStdString();
        EXPECT_EQ(form->TrEd_f->text(), "53,9040260314941");
        EXPECT_EQ(form->model().originIntensity, origin);
        EXPECT_EQ(form->model().spacing, 20);
        EXPECT_TRUE(form->simulationImage() == before);
        EXPECT_EQ(form->tl->text(), "Computing...");
        // Back to the defaults for the next case.
        messages.clear();
        form->TrES_b->setText("169");
        form->TrES_2r->setText("51");
        form->CSpinEdit1->setText("20");
    }
    // A text that fails the numeric check keeps the last accepted value.
    form->TrES_b->setText("");
    form->TrES_2r->setText("5x");
    EXPECT_EQ(form->TrEd_b0->text(), "169");
    EXPECT_EQ(form->TrEd_g->text(), "59");
    EXPECT_TRUE(messages.isEmpty()) << messages.join('|').toStdString();
}

TEST_F(TrapeziumWindowTest, PointerReadsTheNearestHalfOrderOnTheVisiblePictureOnly) {
    const fringel::Bitmap clean = form->simulationImage();
    QMouseEvent move(QEvent::MouseMove, QPointF(300, 300),
                     form->TrapezShow->mapToGlobal(QPointF(300, 300)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(form->TrapezShow, &move);
    EXPECT_EQ(form->tl->text(), "F(0;0) = 4,05E7");
    form->TrapezShowMouseMove(305, 300);
    EXPECT_EQ(form->tl->text(), "F(0,5;0) = 0");
    EXPECT_TRUE(form->simulationImage() == clean);
    // Outside the grid nothing happens.
    form->CSpinEdit1->setText("7");
    form->TrapezShowMouseMove(0, 300);
    EXPECT_EQ(form->tl->text(), "Done !!!");
    EXPECT_TRUE(messages.isEmpty()) << messages.join('|').toStdString();
}

TEST_F(TrapeziumWindowTest, SavesPictureReportAndEnvelope) {
    answer = dir.filePath("picture.png");
    form->BSaveImage->click();
    EXPECT_TRUE(fringel::readBmp(answer.toStdString()) == form->simulationImage());
    answer = dir.filePath("x.mts");
    form->BitBtn1->click();
    EXPECT_TRUE(QFile::exists(dir.filePath("x.mts.mts")));
    EXPECT_FALSE(QFile::exists(dir.filePath("x.mts")));
    EXPECT_EQ(form->tl->text(), "Saving Done");
    answer.clear(); // cancelled dialogs write nothing
    form->tl->setText("before");
    form->BitBtn1->click();
    EXPECT_EQ(form->tl->text(), "before");

    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    form->TrBB_nullGet->click();
    QFile envelope(dir.filePath("k(1)_byStep[0,1].mts"));
    ASSERT_TRUE(envelope.open(QIODevice::ReadOnly));
    EXPECT_EQ(envelope.readAll().count("\r\n"), 150);
    EXPECT_EQ(form->tl->text(), "before");
    EXPECT_TRUE(form->TrBB_nullGet->isEnabled());
    EXPECT_TRUE(messages.isEmpty()) << messages.join('|').toStdString();

    form->TrEd_nullStep->setText("0");
    form->TrBB_nullGet->click();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains("greater than 0")) << messages[0].toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath("k(1)_byStep[0].mts")));
    EXPECT_TRUE(form->TrBB_nullGet->isEnabled());
}

TEST_F(TrapeziumWindowTest, RunsAskedForDuringARunWaitForItsEnd) {
    bool sawBusy = false;
    int nested = 0;
    // Fires from the events the long run lets through: asks for another run and a drawing.
    QTimer::singleShot(0, form, [&] {
        sawBusy = form->busy();
        form->CSpinEdit1->setText("20");
        form->TrCBMinorThicks->click();
        form->TrapezShowMouseMove(300, 300); // reads the previous grid meanwhile
        ++nested;
    });
    form->CSpinEdit1->setText("1");
    EXPECT_EQ(nested, 1);
    EXPECT_TRUE(sawBusy);
    EXPECT_FALSE(form->busy());
    EXPECT_EQ(form->model().spacing, 20);
    EXPECT_EQ(form->model().intensities.length(), 31);
    EXPECT_EQ(form->tl->text(), "Done !!!");
    EXPECT_EQ(pixelOf(form->simulationImage(), 320, 107), (fringel::Rgb{32, 32, 32}));
    EXPECT_TRUE(messages.isEmpty()) << messages.join('|').toStdString();
}
