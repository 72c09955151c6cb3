#pragma once

#include <QString>

// The operator's record for one run of the terminal. The main window owns it; the login dialogs
// only read it and hand back who logged in.
struct OperatorSession {
    QString operatorCode;          // the operator logged in
    int openSheets = 0;            // sheet windows opened from the menu and not yet closed
    bool changingOperator = false; // "Muda Usuário" has been used in this run
    bool settingsReadable = false; // the settings table could be opened
};
