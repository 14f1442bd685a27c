// TMF: Fringel's main window.
//
// The frame of the multiple-document interface: menus, tool bar, status bar, and the panel on
// the right with the preview image, the three tool tabs, the layer navigation row, the
// progress bar and the log panel. Document windows open in its client area; every command
// works on the active document. The controls carry their historical names as Qt object
// names and are public so the control groups, the command handlers and the tests reach them.
#pragma once

#include "base/host.h"

#include <QMainWindow>
#include <functional>
#include <memory>

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMdiArea;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QScrollBar;
class QTabWidget;
class QToolBar;
class QToolButton;
class QWidget;
class QGroupBox;

namespace fringel {
class ImageDocument;
}

class RadioGroup;
class SelectionTrackBar;
class SpinEdit;
class TAboutBox;
class TMVF;
class TForm1;
class TMDIChild;
class UpDown;

class TMF : public QMainWindow {
    Q_OBJECT
public:
    explicit TMF(QWidget* parent = nullptr);
    ~TMF() override;

    // The log line: status bar text and a new last line of RE, shown at once.
    void logLine(const QString& text);
    // The host hooks the core uses while working for this window.
    fringel::Host& host();

    // Runs one command; any error that escapes it is shown in a message box and the program
    // goes on with the state as the command left it.
    void runCommand(const std::function<void()>& command);
    void showError(const QString& message);
    // Where error and modal messages go; a message box unless set (tests record them).
    std::function<void(const QString&)> messageSink;

    // Document windows.
    TMDIChild* activeDocument() const;
    QList<TMDIChild*> documents() const;
    // Creates a new empty document window, shows it and makes it the active document.
    TMDIChild* createDocument();

    // Window menu commands.
    void tileHorizontally();
    void tileVertically();
    void minimizeAll();
    void arrangeAll();

    // --- frame ---
    QMdiArea* mdiArea = nullptr;
    QToolBar* ToolBar2 = nullptr;
    TAboutBox* aboutBox = nullptr;
    TMVF* MVF = nullptr;     // "Maximum Values"
    TForm1* Form1 = nullptr; // "Trapezium Theorem"

    // --- actions, menus and tool buttons ---
    QAction* FileNew1 = nullptr;
    QAction* FileOpen1 = nullptr;
    QAction* FileSave1 = nullptr;
    QAction* FileSaveAs1 = nullptr;
    QAction* FileExit1 = nullptr;
    QAction* EditCut1 = nullptr;
    QAction* EditCopy1 = nullptr;
    QAction* EditPaste1 = nullptr;
    QAction* WindowCascade1 = nullptr;
    QAction* WindowTileHorizontal1 = nullptr;
    QAction* WindowTileVertical1 = nullptr;
    QAction* WindowMinimizeAll1 = nullptr;
    QAction* WindowArrangeAll1 = nullptr;
    QAction* HelpAbout1 = nullptr;
    QAction* ToolButton2 = nullptr;  // "Save|Save current file"
    QAction* ToolButton12 = nullptr; // "Save Active BMP"
    QAction* MFmaxValue00 = nullptr; // "(0,0) MAX Value"
    QAction* FileSaveItem = nullptr; // menu "&Save"
    QAction* FileSaveAsItem = nullptr;
    QAction* ImagesAsLayer1 = nullptr;
    QAction* DataAsLayer1 = nullptr;
    QAction* ExportFloatTiff1 = nullptr; // "Export Float TIFF..."
    QAction* OpenSample1 = nullptr;      // "Open Sample Series"
    QAction* T1 = nullptr;               // "Trapezium Simulation"
    QAction* GetHorizontalLine1 = nullptr;
    QAction* DelateLastLayer1 = nullptr;
    QAction* Left1 = nullptr;       // "Image &Left"
    QAction* ImageRight1 = nullptr; // "Image &Right"
    QMenu* File1 = nullptr;
    QMenu* Add1 = nullptr;
    QMenu* Tools1 = nullptr;
    QMenu* Project1 = nullptr;
    QMenu* ImageControl1 = nullptr;
    QMenu* Window1 = nullptr;
    QMenu* Help1 = nullptr;

    // --- right panel ---
    QWidget* Panel1 = nullptr;
    QWidget* Panel3 = nullptr;
    QFrame* Bevel1 = nullptr;
    QLabel* Image2 = nullptr;
    QComboBox* img2Method = nullptr;
    QTabWidget* PC1 = nullptr;
    QWidget* TabSheet1 = nullptr;
    QWidget* TabSheet2 = nullptr;
    QWidget* TabSheet3 = nullptr;
    QWidget* Panel4 = nullptr;
    QWidget* Panel2 = nullptr;
    QProgressBar* PB = nullptr;
    QPlainTextEdit* RE = nullptr;

    // --- "Energy Calc." tab ---
    QLineEdit* ex = nullptr;
    QLineEdit* ey = nullptr;
    SpinEdit* SERange = nullptr;
    QComboBox* RG1 = nullptr;
    QScrollBar* scroolCut = nullptr;
    QLineEdit* editCut = nullptr;
    QScrollBar* ScrollBar2 = nullptr;
    QLineEdit* Edit3 = nullptr;
    QCheckBox* CBfrad = nullptr;
    QLineEdit* ERcor = nullptr;
    QLineEdit* Ecor = nullptr;
    QLineEdit* EnOut = nullptr;
    QLineEdit* EnNoise = nullptr;
    SpinEdit* CSDiodeSize = nullptr;
    QLineEdit* DiodeOut = nullptr;
    QPushButton* BitBtn1 = nullptr; // "Find"
    QCheckBox* autoCalc = nullptr;

    // --- "Connecting" tab ---
    SelectionTrackBar* Tcutof = nullptr;
    RadioGroup* TBcutoff = nullptr;
    QLineEdit* EcutofTop = nullptr;
    QLineEdit* EcutofLow = nullptr;
    QComboBox* CBColorOrder = nullptr;
    QComboBox* CBEV = nullptr;
    UpDown* UTimeDown = nullptr;
    QLineEdit* ETimeDown = nullptr;
    QLineEdit* ETimeUp = nullptr;
    QGroupBox* GroupBox1 = nullptr; // "Trimming"
    QCheckBox* CBTrimming = nullptr;
    QLabel* Label8 = nullptr;
    QLineEdit* ETrimXpos = nullptr;
    QLineEdit* ETrimYpos = nullptr;
    QLabel* Label9 = nullptr;
    QLineEdit* ETrimXdim = nullptr;
    QLineEdit* ETrimYdim = nullptr;
    QPushButton* BitBtn2 = nullptr; // "Connect"

    // --- "Filters" tab ---
    QPushButton* BMedApply = nullptr;
    QCheckBox* CBMedFiltrerAuto = nullptr;
    SpinEdit* CSpinEdit1 = nullptr;

    // --- navigation row ---
    QScrollBar* SBimages = nullptr;
    QLineEdit* EImages = nullptr;
    QPushButton* AnimBtn = nullptr;
    QCheckBox* AnimCB = nullptr;
    QLineEdit* FPSEdit = nullptr;
    UpDown* FPSUpDown = nullptr;

    // --- opening ---
    void FileOpen1Execute();
    // Opens files into a new document window as the open dialog would (filter index 1-based).
    TMDIChild* openInNewDocument(const QStringList& files, int filterIndex,
                                 const QString& fileName);
    // The steps every open ends with, for the given document.
    void finishOpen(fringel::ImageDocument& document);
    // File > "Open Sample Series": the bundled synthetic series of a fabric, as a BMP series.
    // False when the sample is not where the program was built from.
    bool OpenSample1Click();
    // File > Add > "Images As Layer": the open dialog, then addImagesToActive.
    void ImagesAsLayer1Click();
    // Loads a further series into the active document's buffer (filter index 1-based).
    void addImagesToActive(const QStringList& files, int filterIndex);

    // --- saving ---
    // "Save": the save dialog (entry "Data *.mdt" preselected), then saveActiveDocument.
    void ToolButton2Click();
    // Saves the active document under `name` (empty: the dialog was cancelled) by the save
    // dialog's 1-based filter index.
    void saveActiveDocument(const QString& name, int filterIndex);
    // "Save Active BMP": the picture save dialog, then saveActivePicture.
    void ToolButton12Click();
    void saveActivePicture(const QString& name);
    // File > "Export Float TIFF...": the current layer as 32-bit float TIFF for other tools.
    void ExportFloatTiff1Click();
    void exportActiveLayer(const QString& fileName);

    // --- layer navigation and animation ---
    void SBimagesChange();
    void EImagesChange();
    void Left1Click();
    void ImageRight1Click();
    void AnimBtnClick();
    void runAnimation(TMDIChild* child);
    void FPSUpDownClick();
    void FPSEditChange();

    // --- energy tab ---
    // One energy measurement on the active document ("Find").
    void runMeasurement();
    void BitBtn1Click();
    // The folder the measurement reports go to: the working directory the program was
    // started in (empty: the current one).
    QString reportFolder;
    void EcorChange();
    void scroolCutChange();
    void ScrollBar2Change();

    // --- layer commands ---
    void GetHorizontalLine1Click();
    void DelateLastLayer1Click();
    void MFmaxValue00Click();

    // --- "Connecting" tab ---
    void TcutofChange();
    void EcutofTopChange();
    void EcutofLowChange();
    void CBColorOrderChange();
    void UTimeDownChanging();
    void CBTrimmingClick();
    void ETrimXposChange();
    void ETrimYposChange();
    void ETrimXdimChange();
    void ETrimYdimChange();
    void BitBtn2Click();

    // --- "Filters" tab ---
    void BMedApplyClick();
    void CBMedFiltrerAutoClick();
    void CSpinEdit1Change();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createActions();
    void createMenus();
    void createToolBar();
    void createRightPanel();
    QWidget* createEnergyTab();
    QWidget* createConnectingTab();
    QWidget* createFiltersTab();
    QWidget* createNavigationRow();
    void connectHandlers();
    void connectNavigation();
    void connectEnergyTab();
    void connectConnectingTab();
    void connectFiltersTab();
    void connectLayerCommands();
    // The size the trimming boxes are checked against, for the active document.
    QSize trimmingReference() const;
    void updateWindowMenu();

    // Handlers that exist from the start; the other tabs' handlers join them as they grow.
    void FileExit1Execute();
    // Tools > "Trapezium Simulation": shows the simulation window without blocking this one.
    void T1Click();
    void HelpAbout1Execute();

    // Runs `handler` through runCommand whenever `sender` emits `signal`.
    template <typename Sender, typename Signal>
    void onSignal(Sender* sender, Signal signal, void (TMF::*handler)()) {
        connect(sender, signal, this,
                [this, handler] { runCommand([this, handler] { (this->*handler)(); }); });
    }

    class GuiHost;
    std::unique_ptr<GuiHost> host_;
    bool firstShown_ = false;
    bool previewQueued_ = false;
    int documentsCreated_ = 0;
    int lastOpenFilter_ = 1; // the open dialog's entry chosen last
};
