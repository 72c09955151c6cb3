#pragma once

#include "Database.h"
#include "ModalWindow.h"

class QLabel;

// The about window: version, the gym's identity from the settings record of the Palendra
// database, the support contacts. Lives until the main window goes; each request makes a new one.
class TFRMSOBRE : public ModalWindow {
public:
    TFRMSOBRE(Connection& palendra, QWidget* owner);

    QLabel* Image1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* DBText1 = nullptr;
    QLabel* DBText2 = nullptr;
    QLabel* DBText3 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* DBText4 = nullptr;
    TableDataSet TBLCONTROLE;

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildSupportBlock();
    void FormShow();
    // What DSCONTROLE shows: the current row of the settings, or empty fields.
    void showSettings();
};
