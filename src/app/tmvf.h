// TMVF: the "Maximum Values" dialog, where the user enters the maximum energy and the maximum
// diode reading that the measurement labels relate their results to.
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class TMF;

class TMVF : public QDialog {
    Q_OBJECT
public:
    explicit TMVF(TMF& mainWindow);

    // Stores both values in the active document, logs them and closes. A text that is no
    // number raises a conversion error: values converted before it stay stored, the dialog
    // stays open.
    void BtnOKClick();
    void BtnCancelClick();

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* E_EnV = nullptr;
    QLineEdit* E_DV = nullptr;
    QPushButton* BtnOK = nullptr;
    QPushButton* BtnCancel = nullptr;

private:
    TMF& main_;
};
