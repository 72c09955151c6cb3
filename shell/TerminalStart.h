#pragma once

#include "MainWindow.h"

#include <QString>

// The program start: refuses a second copy, shows the splash, creates the main window on the
// data-link folder (its sheet opened by openSheet), asks for the login and runs the message
// loop until the operator leaves.
// Under systemd it says it is ready once the login shows and pings the watchdog meanwhile.
// Needs the TerminalApplication to exist. Returns the program's exit code.
int runTerminal(const QString& dataLinkFolder, const SheetOpener& openSheet);
