#pragma once

#include "Database.h"
#include "ModalWindow.h"

class QLabel;

// The about window: version, the gym's identity from the settings record of the Palendra
// database, the support contacts. Lives until the main window goes; each request makes a new one.
class AboutWindow : public ModalWindow {
public:
    AboutWindow(Connection& palendra, QWidget* owner);

    QLabel* picture = nullptr;
    QLabel* versionCaption = nullptr;
    QLabel* licenceCaption = nullptr;
    QLabel* gymName = nullptr;
    QLabel* address = nullptr;
    QLabel* complement = nullptr;
    QLabel* taxIdCaption = nullptr;
    QLabel* taxId = nullptr;
    TableDataSet settings;

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildSupportBlock();
    void firstShown();
    // What DSCONTROLE shows: the current row of the settings, or empty fields.
    void showSettings();
};
