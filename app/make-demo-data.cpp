// Writes the demo databases and their two data-link files into a folder.
#include "DemoData.h"
#include "DemoVideos.h"

#include <QGuiApplication>
#include <QTextStream>

#include <exception>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (argc != 2) {
        err << "usage: se-make-demo-data FOLDER\n";
        return 2;
    }
    try {
        const demo::DemoDatabases made = demo::writeDemoDatabases(QString::fromLocal8Bit(argv[1]));
        out << "Demo databases written: " << made.palendraFile << ", " << made.quorvelFile << "\n";
        out << made.members << " members, enrolment numbers " << demo::enrolmentOf(1) << " to "
            << demo::enrolmentOf(made.members) << "\n";
        out << demo::writeDemoVideos(QString::fromLocal8Bit(argv[1]))
            << " exercise videos made (the ones already there are kept)\n";
        out << "Operators (code / password / right to open the sheet):\n";
        for (const demo::Operator& op : made.operators) {
            out << "  " << op.code << " / " << op.password << " / \"" << op.right << "\"  "
                << op.name << "\n";
        }
    } catch (const std::exception& error) {
        err << "se-make-demo-data: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
