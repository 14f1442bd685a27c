#include "about_box.h"
#include "app/main_window_fixture.h"
#include "base/errors.h"
#include "widgets/radio_group.h"
#include "widgets/selection_track_bar.h"
#include "widgets/spin_edit.h"
#include "widgets/up_down.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

TEST_F(MainWindowTest, StartsWithTitleLayoutAndGreeting) {
    EXPECT_EQ(window->windowTitle(), "Fringel");
    EXPECT_EQ(window->Panel1->width(), 215);
    EXPECT_EQ(window->Panel3->height(), 229);
    EXPECT_EQ(window->PC1->height(), 295);
    EXPECT_EQ(window->Panel4->height(), 51);
    EXPECT_EQ(window->Panel2->height(), 15);
    EXPECT_EQ(window->Image2->size(), QSize(200, 200));
    EXPECT_EQ(logLines(), QStringList{"Hello ! ;o)"});
    EXPECT_TRUE(window->RE->isReadOnly());
    EXPECT_EQ(window->RE->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(window->PB->maximum(), 100);
    EXPECT_EQ(window->PB->value(), 0);

    ASSERT_EQ(window->PC1->count(), 3);
    EXPECT_EQ(window->PC1->tabText(0), "Energy Calc.");
    EXPECT_EQ(window->PC1->tabText(1), "Connecting");
    EXPECT_EQ(window->PC1->tabText(2), "Filters");
}

TEST_F(MainWindowTest, ControlsStartAtTheirValues) {
    TMF& w = *window;
    EXPECT_EQ(w.editCut->text(), "20");
    EXPECT_EQ(w.Edit3->text(), "2");
    EXPECT_EQ(w.FPSEdit->text(), "0");
    EXPECT_EQ(w.EcutofTop->text(), "190");
    EXPECT_EQ(w.EcutofLow->text(), "0");
    EXPECT_EQ(w.ex->text(), "0");
    EXPECT_EQ(w.ey->text(), "0");
    EXPECT_EQ(w.EImages->text(), "0");

    EXPECT_EQ(w.Tcutof->value(), 65);
    EXPECT_EQ(w.Tcutof->selectionStart(), 65);
    EXPECT_EQ(w.Tcutof->selectionEnd(), 255);
    EXPECT_EQ(w.Tcutof->tickInterval(), 5);
    EXPECT_EQ(w.TBcutoff->itemIndex(), 0);
    EXPECT_EQ(w.CBColorOrder->currentText(), "Green");
    EXPECT_EQ(w.CBEV->currentText(), "+/- 1");
    EXPECT_EQ(w.UTimeDown->maximum(), 2);
    EXPECT_EQ(w.UTimeDown->position(), 0);
    EXPECT_TRUE(w.ETimeDown->text().isEmpty());
    EXPECT_TRUE(w.ETimeUp->text().isEmpty());
    EXPECT_FALSE(w.CBTrimming->isChecked());
    EXPECT_EQ(w.ETrimXpos->text(), "0");
    EXPECT_EQ(w.ETrimYpos->text(), "0");
    EXPECT_TRUE(w.ETrimXdim->text().isEmpty());
    EXPECT_FALSE(w.ETrimXpos->isEnabled());
    EXPECT_EQ(w.Label9->text(), "Dimentiona [X x Y]");

    EXPECT_EQ(w.RG1->currentText(), "Fine");
    EXPECT_EQ(w.SERange->value(), 25);
    EXPECT_EQ(w.CSDiodeSize->value(), 10);
    EXPECT_EQ(w.scroolCut->minimum(), 1);
    EXPECT_EQ(w.scroolCut->maximum(), 99);
    EXPECT_EQ(w.ScrollBar2->maximum(), 200);
    EXPECT_EQ(w.ScrollBar2->value(), 20);
    EXPECT_TRUE(w.ERcor->isReadOnly());
    EXPECT_FALSE(w.Ecor->isReadOnly());
    for (QLineEdit* e : {w.EnOut, w.EnNoise, w.DiodeOut})
        EXPECT_EQ(e->text(), "0");

    EXPECT_EQ(w.CSpinEdit1->value(), 1);
    EXPECT_EQ(w.CSpinEdit1->maximum(), 100);
    EXPECT_FALSE(w.CBMedFiltrerAuto->isChecked());

    EXPECT_EQ(w.FPSUpDown->minimum(), 1);
    EXPECT_EQ(w.FPSUpDown->maximum(), 25);
    EXPECT_EQ(w.FPSUpDown->position(), 1);
    EXPECT_EQ(w.AnimBtn->text(), "Animate");
    EXPECT_EQ(w.AnimCB->text(), "Loop");
    EXPECT_FALSE(w.AnimCB->isChecked());
}

TEST_F(MainWindowTest, EveryNamedControlExists) {
    const char* widgets[] = {"ToolBar2",     "StatusBar",   "Panel1",       "Panel3",
                             "Image2",       "Bevel1",      "img2Method",   "PC1",
                             "TabSheet1",    "TabSheet2",   "TabSheet3",    "Panel4",
                             "Panel2",       "PB",          "RE",           "ex",
                             "ey",           "SERange",     "RG1",          "scroolCut",
                             "editCut",      "ScrollBar2",  "Edit3",        "CBfrad",
                             "ERcor",        "Ecor",        "EnOut",        "EnNoise",
                             "CSDiodeSize",  "DiodeOut",    "BitBtn1",      "autoCalc",
                             "Tcutof",       "TBcutoff",    "EcutofTop",    "EcutofLow",
                             "CBColorOrder", "CBEV",        "UTimeDown",    "ETimeDown",
                             "ETimeUp",      "GroupBox1",   "CBTrimming",   "Label8",
                             "ETrimXpos",    "ETrimYpos",   "Label9",       "ETrimXdim",
                             "ETrimYdim",    "BitBtn2",     "BMedApply",    "CBMedFiltrerAuto",
                             "CSpinEdit1",   "SBimages",    "EImages",      "AnimBtn",
                             "AnimCB",       "FPSEdit",     "FPSUpDown",    "ToolButton9",
                             "ToolButton1",  "ToolButton2", "ToolButton12", "ToolButton4",
                             "ToolButton5",  "ToolButton6", "ToolButton8",  "ToolButton10",
                             "ToolButton11", "MFmaxValue00"};
    for (const char* name : widgets)
        EXPECT_NE(find(name), nullptr) << name;

    const char* actions[] = {"FileNew1",
                             "FileOpen1",
                             "FileSave1",
                             "FileSaveAs1",
                             "FileExit1",
                             "EditCut1",
                             "EditCopy1",
                             "EditPaste1",
                             "WindowCascade1",
                             "WindowTileHorizontal1",
                             "WindowTileVertical1",
                             "HelpAbout1",
                             "ImagesAsLayer1",
                             "DataAsLayer1",
                             "T1",
                             "GetHorizontalLine1",
                             "DelateLastLayer1",
                             "Left1",
                             "ImageRight1"};
    for (const char* name : actions)
        EXPECT_NE(find<QAction>(name), nullptr) << name;
}

TEST_F(MainWindowTest, ToolBarButtonsInOrderWithSeparators) {
    QStringList order;
    for (QAction* a : window->ToolBar2->actions())
        order << (a->isSeparator() ? QString("|")
                                   : window->ToolBar2->widgetForAction(a)->objectName());
    EXPECT_EQ(order, (QStringList{"ToolButton9", "ToolButton1", "ToolButton2", "ToolButton12", "|",
                                  "ToolButton4", "ToolButton5", "ToolButton6", "|", "ToolButton8",
                                  "ToolButton10", "ToolButton11", "|", "MFmaxValue00"}));
}

TEST_F(MainWindowTest, MenusShortcutsAndHints) {
    QStringList titles;
    for (QAction* a : window->menuBar()->actions())
        titles << a->text();
    EXPECT_EQ(titles,
              (QStringList{"&File", "&Tools", "&Project", "Image &Control", "&Window", "&Help"}));

    struct Case {
        QAction* action;
        const char* text;
        const char* shortcut;
    };
    const Case cases[] = {{window->FileOpen1, "&Open", "Ctrl+O"},
                          {window->FileSave1, "&Save", "Ctrl+S"},
                          {window->FileNew1, "&New", "Ctrl+N"},
                          {window->Left1, "Image &Left", "Ctrl+Z"},
                          {window->ImageRight1, "Image &Right", "Ctrl+X"},
                          {window->FileExit1, "E&xit", ""},
                          {window->HelpAbout1, "&About...", ""}};
    for (const Case& c : cases) {
        EXPECT_EQ(c.action->text(), c.text);
        EXPECT_EQ(c.action->shortcut().toString(), c.shortcut) << c.text;
    }
    EXPECT_EQ(window->FileOpen1->statusTip(), "Open a file");
    EXPECT_EQ(window->FileOpen1->toolTip(), "Open");
    EXPECT_EQ(window->ToolButton2->statusTip(), "Save current file");
    EXPECT_EQ(window->EditPaste1->statusTip(), "Inserts Clipboard contents");
    // Ctrl+X is taken by "Image Right", so Cut has no key of its own.
    EXPECT_TRUE(window->EditCut1->shortcut().isEmpty());
}

TEST_F(MainWindowTest, LogLineGoesToStatusBarAndLogPanel) {
    window->logLine("abc");
    EXPECT_EQ(window->statusBar()->currentMessage(), "abc");
    EXPECT_EQ(logLines(), (QStringList{"Hello ! ;o)", "abc"}));
    window->host().log("Number of files: 3");
    EXPECT_EQ(logLines().last(), "Number of files: 3");
}

TEST_F(MainWindowTest, HostProgressDrivesTheBar) {
    fringel::Host& host = window->host();
    host.setProgressMaximum(40);
    host.setProgressPosition(7);
    EXPECT_EQ(window->PB->maximum(), 40);
    EXPECT_EQ(host.progressPosition(), 7);
    EXPECT_EQ(host.progressBarWidth(), window->PB->width());
    EXPECT_GT(host.progressBarWidth(), 100);
}

TEST_F(MainWindowTest, NewDoesNothing) {
    window->FileNew1->trigger();
    EXPECT_TRUE(window->documents().isEmpty());
    EXPECT_EQ(logLines(), QStringList{"Hello ! ;o)"});
}

TEST_F(MainWindowTest, ErrorEscapingACommandIsShownAndTheProgramGoesOn) {
    window->runCommand([] { throw fringel::DynArrayOutOfRange(3, 3); });
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains("3")) << messages[0].toStdString();
    window->logLine("still here");
    EXPECT_EQ(logLines().last(), "still here");
}

TEST_F(MainWindowTest, ExitClosesEveryDocumentOnce) {
    for (int i = 0; i < 3; ++i)
        window->createDocument();
    window->FileExit1->trigger();
    QApplication::processEvents();
    const QStringList lines = logLines();
    EXPECT_EQ(lines.count("Dynamic Arrays deleted from memory..."), 3);
    EXPECT_EQ(lines.count("Bitmaps deleted from memory..."), 3);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(MainWindowTest, AboutBoxShowsNameAndVersion) {
    TAboutBox* box = window->aboutBox;
    EXPECT_EQ(box->windowTitle(), "About");
    EXPECT_EQ(box->findChild<QLabel*>("ProductName")->text(), "Fringel");
    EXPECT_EQ(box->findChild<QLabel*>("Version")->text(), "ver. 0.9 Beta");
    QTimer::singleShot(0, box, [box] {
        ASSERT_TRUE(box->isVisible());
        box->findChild<QPushButton*>("OKButton")->click();
    });
    window->HelpAbout1->trigger();
    EXPECT_FALSE(box->isVisible());
}

TEST_F(MainWindowTest, WindowMenuListsAndArrangesDocuments) {
    TMDIChild* a = window->createDocument();
    TMDIChild* b = window->createDocument();
    window->WindowTileVertical1->trigger();
    EXPECT_EQ(a->height(), b->height());
    EXPECT_LT(a->x() + a->width(), b->x() + 1);
    window->WindowTileHorizontal1->trigger();
    EXPECT_EQ(a->width(), b->width());
    EXPECT_LT(a->y() + a->height(), b->y() + 1);

    emit window->Window1->aboutToShow();
    QStringList entries;
    for (QAction* act : window->Window1->actions())
        if (!act->isSeparator()) entries << act->text();
    EXPECT_EQ(entries.mid(0, 5), (QStringList{"&Cascade", "Tile &Horizontally", "Tile &Vertically",
                                              "&Minimize All", "&Arrange All"}));
    ASSERT_EQ(entries.size(), 7);
    EXPECT_TRUE(entries[5].endsWith(a->windowTitle()));
    EXPECT_TRUE(entries[6].endsWith(b->windowTitle()));

    window->WindowMinimizeAll1->trigger();
    EXPECT_TRUE(a->isMinimized());
    EXPECT_TRUE(b->isMinimized());
}
