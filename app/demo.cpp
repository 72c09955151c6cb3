// The demo: writes the demo databases into a folder and runs the terminal on them, with that
// folder as its data-link folder. Without a display it runs a scripted session instead and leaves
// a picture of every window it passed through.
#include "DemoData.h"
#include "DemoScript.h"
#include "TerminalApplication.h"
#include "TerminalStart.h"

#include <QDir>
#include <QTextStream>

#include <cstring>
#include <exception>

namespace {

bool displayAvailable() {
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

} // namespace

int main(int argc, char** argv) {
    const bool forceScript = argc == 3 && std::strcmp(argv[2], "--scripted") == 0;
    if (argc != 2 && !forceScript) {
        QTextStream(stderr) << "usage: se-demo FOLDER [--scripted]\n";
        return 2;
    }
    const bool scripted = forceScript || !displayAvailable();
    if (scripted) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    TerminalApplication app(argc, argv);
    QTextStream out(stdout);
    const QString folder = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();

    demo::DemoDatabases made;
    try {
        made = demo::writeDemoDatabases(folder);
    } catch (const std::exception& error) {
        QTextStream(stderr) << "se-demo: " << error.what() << "\n";
        return 1;
    }
    out << "Demo databases and data-link files written to " << folder << "\n";
    out << "Operators (code / password / right to open the sheet):\n";
    for (const demo::Operator& op : made.operators) {
        out << "  " << op.code << " / " << op.password << " / \"" << op.right << "\"  " << op.name
            << "\n";
    }
    out << "Members' enrolment numbers: " << demo::enrolmentOf(1) << " to "
        << demo::enrolmentOf(made.members) << "\n";
    out.flush();

    if (!scripted) {
        return runTerminal(folder);
    }
    out << "No display: running a scripted session on the offscreen platform.\n";
    out.flush();
    const demo::Operator& administrator = made.operators.front();
    DemoScript script(QDir(folder).filePath(QStringLiteral("screenshots")), administrator.code,
                      administrator.password);
    script.start();
    const int result = runTerminal(folder);
    if (script.failed()) {
        return 1;
    }
    out << "Logged in, the status bar shows \"" << script.operatorShown() << "\"\n";
    out << "Pictures of the windows:\n";
    for (const QString& picture : script.pictures()) {
        out << "  " << picture << "\n";
    }
    return result;
}
