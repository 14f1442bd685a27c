// TForm1: the "Trapezium Theorem" window, where a user simulates the diffraction image of a
// mesh whose openings are trapeziums, reads intensities under the pointer and saves the
// picture, the report and the envelope.
//
// The window only reads its controls and shows results; the model, the drawing, the read-out
// and the files are the core's. Runs and drawings let events run while they work, so the
// window stays responsive; a run or drawing asked for meanwhile waits until the current one
// has ended and then runs once with the latest inputs.
#pragma once

#include "base/clock.h"
#include "image/bitmap.h"
#include "trapez/trapezium_drawing.h"
#include "trapez/trapezium_model.h"

#include <QWidget>
#include <functional>

class ImageView;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;
class SpinEdit;
class TMF;

class TForm1 : public QWidget {
    Q_OBJECT
public:
    explicit TForm1(TMF& mainWindow);
    ~TForm1() override;

    // Handlers, named after their controls.
    void FormShow();
    void BBLiczClick();
    void BBAnulujClick();
    void CSpinEdit1Change();
    void TrCB_ShowTClick();
    void TrSe_cChange();
    void TrES_bChange();
    void TrES_2rChange();
    void TrUDPeakSizeChange();
    void TrCBMinorThicksClick();
    void TrCBMainAxisClick();
    void TrCb_peakrClick();
    void TrCb_newDrawClick();
    void Tr_GammaChange();
    void BitBtn1Click();
    void TrBB_nullGetClick();
    void BSaveImageClick();
    void TrapezShowMouseMove(int x, int y);

    // The whole picture from the last run's grid, with the current drawing options.
    void drawSimulation();

    const fringel::TrapeziumModel& model() const { return model_; }
    const fringel::Bitmap& simulationImage() const { return simulationImage_; }
    // True while a run, a drawing or an envelope is at work.
    bool busy() const { return working_ || writingEnvelope_; }

    // Asks for a file name to save to (caption, Qt name filter); empty when cancelled.
    // A file dialog unless replaced (tests answer it themselves).
    std::function<QString(const QString& caption, const QString& filter)> askSaveName;

    ImageView* TrapezShow = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* TrES_b = nullptr;
    QLineEdit* TrES_2r = nullptr;
    SpinEdit* TrSe_c = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QLineEdit* TrEd_f = nullptr;
    QLineEdit* TrEd_g = nullptr;
    QLineEdit* TrEd_a0 = nullptr;
    QLineEdit* TrEd_b0 = nullptr;
    QLineEdit* TrEd_om = nullptr;
    SpinEdit* TrUDPeakSize = nullptr;
    SpinEdit* CSpinEdit1 = nullptr;
    QCheckBox* TrCBAutoC = nullptr;
    QPushButton* BBLicz = nullptr;
    QPushButton* BBAnuluj = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BSaveImage = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QCheckBox* TrCB_ShowT = nullptr;
    QCheckBox* TrCBMainAxis = nullptr;
    QCheckBox* TrCBMinorThicks = nullptr;
    QCheckBox* TrCb_peakr = nullptr;
    QCheckBox* TrCb_newDraw = nullptr;
    QLabel* Label1 = nullptr;
    QScrollBar* Tr_Gamma = nullptr;
    QLineEdit* TrEd_nullK = nullptr;
    QLineEdit* TrEd_nullStep = nullptr;
    QPushButton* TrBB_nullGet = nullptr;
    QLabel* tl = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    enum class Work { None, Draw, Run };

    void createControls();
    void connectHandlers();
    // Runs `work`, or leaves it for when the current run or drawing has ended.
    void request(Work work);
    void runOnce();
    void drawOnce();
    fringel::TrapeziumInput readModelParameters();
    fringel::DrawingOptions drawingOptions() const;
    void showParameters(const fringel::TrapeziumParameters& p);
    // Lets events run at most every 15 ms from inside long loops.
    void pumpEvents();

    TMF& main_;
    fringel::TrapeziumModel model_;
    fringel::Bitmap simulationImage_;
    fringel::Bitmap visibleImage_; // what TrapezShow shows: the picture plus a read-out mark
    fringel::SimulationDrawing lastDrawing_;
    // The last accepted values of texts that may fail the numeric check while typed.
    float period_ = 169;
    float diameter_ = 51;
    std::int32_t spacing_ = 0;
    float envelopeK_ = 1;
    float envelopeStep_ = 0.1f;
    bool working_ = false;
    Work pending_ = Work::None;
    bool writingEnvelope_ = false;
    fringel::ClockStart lastPump_ = fringel::startClock();
};
