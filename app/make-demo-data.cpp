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
    QStringList arguments = app.arguments().mid(1);
    const bool force = arguments.removeAll(QStringLiteral("--force")) > 0;
    if (arguments.size() != 1) {
        err << "usage: se-make-demo-data [--force] FOLDER\n";
        return 2;
    }
    const QString folder = arguments.first();
    // The folder may be the gym's own /etc/se: its data-link files and databases are not lost to
    // a mistyped command.
    const QStringList existing = demo::demoFilesIn(folder);
    if (!existing.isEmpty() && !force) {
        err << "se-make-demo-data: " << folder << " already holds " << existing.join(", ")
            << "; nothing was written (--force replaces them)\n";
        return 1;
    }
    try {
        const demo::DemoDatabases made = demo::writeDemoDatabases(folder);
        out << "Demo databases written: " << made.palendraFile << ", " << made.quorvelFile << "\n";
        out << made.members << " members, enrolment numbers " << demo::enrolmentOf(1) << " to "
            << demo::enrolmentOf(made.members) << "\n";
        out << demo::writeDemoVideos(folder)
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
