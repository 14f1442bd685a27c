// The main window's actions, menus and tool bar.
#include "tmdi_child.h"
#include "tmf.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

namespace {

// VCL-style hints "Short|Long": the short part is the tool tip, the long part the status text.
void setHint(QAction* action, const QString& hint) {
    const int bar = hint.indexOf('|');
    action->setToolTip(bar < 0 ? hint : hint.left(bar));
    action->setStatusTip(bar < 0 ? hint : hint.mid(bar + 1));
}

QAction* makeAction(QObject* owner, const char* name, const QString& text, const QString& hint = {},
                    const QKeySequence& shortcut = {}) {
    auto* a = new QAction(text, owner);
    a->setObjectName(name);
    if (!hint.isEmpty()) setHint(a, hint);
    if (!shortcut.isEmpty()) a->setShortcut(shortcut);
    return a;
}

// Runs a clipboard command on the focused text box, if one has the focus.
template <typename Command> void onFocusedLineEdit(Command command) {
    if (auto* edit = qobject_cast<QLineEdit*>(QApplication::focusWidget())) (edit->*command)();
}

} // namespace

void TMF::createActions() {
    QStyle* s = style();
    FileNew1 =
        makeAction(this, "FileNew1", "&New", "New|Create a new file", QKeySequence("Ctrl+N"));
    FileNew1->setIcon(s->standardIcon(QStyle::SP_FileIcon));
    FileOpen1 = makeAction(this, "FileOpen1", "&Open", "Open|Open a file", QKeySequence("Ctrl+O"));
    FileOpen1->setIcon(s->standardIcon(QStyle::SP_DialogOpenButton));
    FileSave1 =
        makeAction(this, "FileSave1", "&Save", "Save|Save current file", QKeySequence("Ctrl+S"));
    FileSaveAs1 = makeAction(this, "FileSaveAs1", "Save &As...",
                             "Save As|Save current file with different name");
    FileExit1 = makeAction(this, "FileExit1", "E&xit", "Exit|Exit application");
    // Ctrl+X belongs to "Image Right"; Cut keeps its usual key inside a focused text box.
    EditCut1 =
        makeAction(this, "EditCut1", "Cu&t", "Cut|Cuts the selection and puts it on the Clipboard");
    EditCut1->setIcon(s->standardIcon(QStyle::SP_DialogDiscardButton));
    EditCopy1 = makeAction(this, "EditCopy1", "&Copy",
                           "Copy|Copies the selection and puts it on the Clipboard");
    EditCopy1->setIcon(s->standardIcon(QStyle::SP_FileDialogContentsView));
    EditPaste1 = makeAction(this, "EditPaste1", "&Paste", "Paste|Inserts Clipboard contents");
    EditPaste1->setIcon(s->standardIcon(QStyle::SP_DialogApplyButton));
    WindowCascade1 = makeAction(this, "WindowCascade1", "&Cascade");
    WindowCascade1->setIcon(s->standardIcon(QStyle::SP_TitleBarNormalButton));
    WindowTileHorizontal1 = makeAction(this, "WindowTileHorizontal1", "Tile &Horizontally");
    WindowTileHorizontal1->setIcon(s->standardIcon(QStyle::SP_ToolBarVerticalExtensionButton));
    WindowTileVertical1 = makeAction(this, "WindowTileVertical1", "Tile &Vertically");
    WindowTileVertical1->setIcon(s->standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton));
    WindowMinimizeAll1 = makeAction(this, "WindowMinimizeAll1", "&Minimize All");
    WindowArrangeAll1 = makeAction(this, "WindowArrangeAll1", "&Arrange All");
    HelpAbout1 = makeAction(this, "HelpAbout1", "&About...");

    ToolButton2 = makeAction(this, "ToolButton2Action", "Save", "Save|Save current file");
    ToolButton2->setIcon(s->standardIcon(QStyle::SP_DialogSaveButton));
    ToolButton12 = makeAction(this, "ToolButton12Action", "Save Active BMP", "Save Active BMP");
    ToolButton12->setIcon(s->standardIcon(QStyle::SP_DriveFDIcon));
    ToolButton12->setEnabled(false);
    MFmaxValue00 = makeAction(this, "MFmaxValue00Action", "(0,0) MAX Value", "(0,0) MAX Value");
    MFmaxValue00->setIcon(s->standardIcon(QStyle::SP_ArrowUp));

    // Menu items that share an action's caption but are switched on their own.
    FileSaveItem = FileSave1;
    FileSaveAsItem = FileSaveAs1;
    ImagesAsLayer1 = makeAction(this, "ImagesAsLayer1", "Images As Layer");
    DataAsLayer1 = makeAction(this, "DataAsLayer1", "Data As Layer");
    ExportFloatTiff1 = makeAction(this, "ExportFloatTiff1", "Export Float TIFF...",
                                  "Export Float TIFF|The current layer as 32-bit float TIFF");
    ExportFloatTiff1->setEnabled(false);
    OpenSample1 = makeAction(this, "OpenSample1", "Open Sample Series",
                             "Open Sample Series|A synthetic series to try Connect and Find on");
    T1 = makeAction(this, "T1", "Trapezium Simulation");
    GetHorizontalLine1 = makeAction(this, "GetHorizontalLine1", "Get Horizontal Line");
    DelateLastLayer1 = makeAction(this, "DelateLastLayer1", "Delete Last Layer");
    Left1 = makeAction(this, "Left1", "Image &Left", {}, QKeySequence("Ctrl+Z"));
    ImageRight1 = makeAction(this, "ImageRight1", "Image &Right", {}, QKeySequence("Ctrl+X"));

    connect(EditCut1, &QAction::triggered, this, [] { onFocusedLineEdit(&QLineEdit::cut); });
    connect(EditCopy1, &QAction::triggered, this, [] { onFocusedLineEdit(&QLineEdit::copy); });
    connect(EditPaste1, &QAction::triggered, this, [] { onFocusedLineEdit(&QLineEdit::paste); });
    connect(WindowCascade1, &QAction::triggered, this, [this] { mdiArea->cascadeSubWindows(); });
    connect(WindowTileHorizontal1, &QAction::triggered, this, &TMF::tileHorizontally);
    connect(WindowTileVertical1, &QAction::triggered, this, &TMF::tileVertically);
    connect(WindowMinimizeAll1, &QAction::triggered, this, &TMF::minimizeAll);
    connect(WindowArrangeAll1, &QAction::triggered, this, &TMF::arrangeAll);
    onSignal(FileExit1, &QAction::triggered, &TMF::FileExit1Execute);
    onSignal(HelpAbout1, &QAction::triggered, &TMF::HelpAbout1Execute);
}

void TMF::createMenus() {
    QMenuBar* bar = menuBar();
    File1 = bar->addMenu("&File");
    File1->setObjectName("File1");
    File1->addAction(FileOpen1);
    File1->addAction(OpenSample1);
    Add1 = File1->addMenu("&Add");
    Add1->setObjectName("Add1");
    Add1->addAction(ImagesAsLayer1);
    Add1->addAction(DataAsLayer1);
    File1->addAction(FileSaveItem);
    File1->addAction(FileSaveAsItem);
    File1->addAction(ExportFloatTiff1);
    File1->addSeparator();
    File1->addAction(FileExit1);

    Tools1 = bar->addMenu("&Tools");
    Tools1->setObjectName("Tools1");
    Tools1->addAction(T1);

    Project1 = bar->addMenu("&Project");
    Project1->setObjectName("Project1");
    Project1->addAction(GetHorizontalLine1);
    Project1->addAction(DelateLastLayer1);

    ImageControl1 = bar->addMenu("Image &Control");
    ImageControl1->setObjectName("ImageControl1");
    ImageControl1->addAction(Left1);
    ImageControl1->addAction(ImageRight1);

    Window1 = bar->addMenu("&Window");
    Window1->setObjectName("Window1");
    connect(Window1, &QMenu::aboutToShow, this, &TMF::updateWindowMenu);
    updateWindowMenu();

    Help1 = bar->addMenu("&Help");
    Help1->setObjectName("Help1");
    Help1->addAction(HelpAbout1);
}

void TMF::updateWindowMenu() {
    Window1->clear();
    Window1->addAction(WindowCascade1);
    Window1->addAction(WindowTileHorizontal1);
    Window1->addAction(WindowTileVertical1);
    Window1->addAction(WindowMinimizeAll1);
    Window1->addAction(WindowArrangeAll1);
    const QList<QMdiSubWindow*> windows = mdiArea->subWindowList();
    if (!windows.isEmpty()) Window1->addSeparator();
    for (int i = 0; i < windows.size(); ++i) {
        QMdiSubWindow* w = windows[i];
        QAction* a = Window1->addAction(QString("&%1 %2").arg(i + 1).arg(w->windowTitle()));
        a->setCheckable(true);
        a->setChecked(w == mdiArea->activeSubWindow());
        connect(a, &QAction::triggered, this, [this, w] { mdiArea->setActiveSubWindow(w); });
    }
}

void TMF::createToolBar() {
    ToolBar2 = addToolBar("ToolBar2");
    ToolBar2->setObjectName("ToolBar2");
    ToolBar2->setMovable(false);
    const auto add = [this](QAction* action, const char* buttonName) {
        ToolBar2->addAction(action);
        ToolBar2->widgetForAction(action)->setObjectName(buttonName);
    };
    add(FileNew1, "ToolButton9");
    add(FileOpen1, "ToolButton1");
    add(ToolButton2, "ToolButton2");
    add(ToolButton12, "ToolButton12");
    ToolBar2->addSeparator();
    add(EditCut1, "ToolButton4");
    add(EditCopy1, "ToolButton5");
    add(EditPaste1, "ToolButton6");
    ToolBar2->addSeparator();
    add(WindowCascade1, "ToolButton8");
    add(WindowTileHorizontal1, "ToolButton10");
    add(WindowTileVertical1, "ToolButton11");
    ToolBar2->addSeparator();
    add(MFmaxValue00, "MFmaxValue00");
}
