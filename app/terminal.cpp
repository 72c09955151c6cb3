// The exercise terminal. It reads nothing but its two data-link files in the fixed folder.
#include "SEIMPSERIE40COLUNAS.h"
#include "TerminalApplication.h"
#include "TerminalStart.h"

int main(int argc, char** argv) {
    TerminalApplication app(argc, argv);
    return runTerminal(QStringLiteral(SE_DATA_LINK_DIR), openExerciseSheet);
}
