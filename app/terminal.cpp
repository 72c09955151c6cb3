// The exercise terminal. It reads nothing but its two data-link files in the fixed folder.
#include "Backends.h"
#include "KioskWindow.h"
#include "TerminalApplication.h"
#include "TerminalStart.h"

int main(int argc, char** argv) {
    TerminalApplication app(argc, argv);
    // The system's own: serial ports, the parallel port, CUPS, QtMultimedia, real boxes.
    platform::installBackends(platform::Backends());
    return runTerminal(QStringLiteral(SE_DATA_LINK_DIR), openExerciseSheet);
}
