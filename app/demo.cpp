// The demo: writes the demo databases into a folder (unless it holds them already) and runs the
// terminal on them, with that folder as its data-link folder. Without a display it runs a scripted
// session instead and leaves a picture of every window it passed through.
#include "Backends.h"
#include "DemoData.h"
#include "DemoScript.h"
#include "DemoVideos.h"
#include "KioskWindow.h"
#include "SerialDriverPosix.h"
#include "TerminalApplication.h"
#include "TerminalStart.h"
#include "TextHelpers.h"
#include "TouchKeypad.h"
#include "VirtualKeypad.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTextStream>

#include <cstring>
#include <exception>

namespace {

bool displayAvailable() {
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

struct Arguments {
    bool valid = true;
    bool scripted = false;
    bool equipment = false;
};

Arguments readArguments(int argc, char** argv) {
    Arguments arguments;
    arguments.valid = argc >= 2;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--scripted") == 0) {
            arguments.scripted = true;
        } else if (std::strcmp(argv[i], "--equipment") == 0) {
            arguments.equipment = true;
        } else {
            arguments.valid = false;
        }
    }
    return arguments;
}

// Some members with workouts, one number nobody holds, and the machines' codes, read from the
// demo's databases so that they hold whatever the folder holds.
void printThingsToTry(QTextStream& out, const QString& folder) {
    const QString connection = QStringLiteral("se-demo-hints");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(QDir(folder).filePath(QStringLiteral("palendra.db")));
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        QSqlQuery query(db);
        const bool opened = db.open() && query.prepare(QStringLiteral("ATTACH ? AS q"));
        query.addBindValue(QDir(folder).filePath(QStringLiteral("quorvel.db")));
        if (!opened || !query.exec()) {
            out << "(the demo's databases cannot be read for examples)\n";
            return;
        }
        out << "Members to try (on the pad: the number, #, the workout's digit, #):\n";
        query.exec(QStringLiteral(
            "SELECT substr(a.MATRICULA, 7), a.NOME, COUNT(DISTINCT t.TREINO) FROM q.ALUNOSATIVOS a "
            "JOIN TREINO t ON t.MATRICULA = a.MATRICULA GROUP BY a.MATRICULA "
            "ORDER BY a.MATRICULA LIMIT 6"));
        while (query.next()) {
            const int workouts = query.value(2).toInt();
            const QString last = workoutLetter(workouts);
            out << "  " << query.value(0).toString() << "  " << query.value(1).toString() << ": "
                << (workouts == 1
                        ? QStringLiteral("workout 1 (A)")
                        : QStringLiteral("workouts 1 to %1 (A to %2)").arg(workouts).arg(last))
                << "\n";
        }
        out << "  9999  nobody: the kiosk says the number is wrong\n";
        out << "Machine codes to try in equipment mode (se-demo FOLDER --equipment):";
        query.exec(QStringLiteral("SELECT APARELHO FROM EXERCICIOS ORDER BY APARELHO"));
        while (query.next()) {
            out << " " << query.value(0).toString();
        }
        out << "\n";
    }
    QSqlDatabase::removeDatabase(connection);
}

} // namespace

int main(int argc, char** argv) {
    const Arguments arguments = readArguments(argc, argv);
    if (!arguments.valid) {
        QTextStream(stderr) << "usage: se-demo FOLDER [--scripted] [--equipment]\n";
        return 2;
    }
    const bool scripted = arguments.scripted || !displayAvailable();
    if (scripted) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    TerminalApplication app(argc, argv);
    QTextStream out(stdout);
    const QString folder = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();

    // A folder that already holds the demo keeps it: a terminal may be running on it, and the
    // demo's databases are never replaced under a running copy. Delete the folder to start afresh.
    const bool alreadyThere =
        QFile::exists(QDir(folder).filePath(QStringLiteral("Palendra.udl"))) &&
        QFile::exists(QDir(folder).filePath(QStringLiteral("Quorvel.udl")));
    if (alreadyThere) {
        out << "Using the demo databases already in " << folder << "\n";
    } else {
        try {
            demo::writeDemoDatabases(folder);
        } catch (const std::exception& error) {
            QTextStream(stderr) << "se-demo: " << error.what() << "\n";
            return 1;
        }
        out << "Demo databases and data-link files written to " << folder << "\n";
    }
    try {
        const int made = demo::writeDemoVideos(folder);
        if (made > 0) {
            out << made << " exercise videos made in " << QDir(folder).filePath("videos") << "\n";
        }
    } catch (const std::exception& error) {
        QTextStream(stderr) << "se-demo: the exercise videos are missing: " << error.what() << "\n";
    }
    out << "Operators (code / password / right to open the sheet):\n";
    for (const demo::Operator& op : demo::operators()) {
        out << "  " << op.code << " / " << op.password << " / \"" << op.right << "\"  " << op.name
            << "\n";
    }
    out << "Members' enrolment numbers: " << demo::enrolmentOf(1) << " to "
        << demo::enrolmentOf(demo::Options().members) << " (the leading zeros may be left out)\n";
    out.flush();

    // The demo's gym is Brazilian: month names in Portuguese whatever this machine's locale.
    // Printer ports that are plain names (the demo's "TKT") are files in the demo folder.
    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
    QDir::setCurrent(folder);

    // The keypad's devices are links in DIR/dev, where the virtual keypad links itself.
    const QString devices = QDir(folder).filePath(QStringLiteral("dev"));
    const QString keypadLink = QDir(devices).filePath(demoKeypadName);
    platform::PosixSerialDriver keypadDriver(devices);
    platform::SerialUsbKeypadSwitch keypadSwitch(keypadDriver);
    platform::Backends backends;
    backends.keypadSerialDriver = [&]() -> platform::SerialDriver& {
        return keypadDriver;
    };
    backends.usbKeypadSwitch = [&]() -> platform::UsbKeypadSwitch& {
        return keypadSwitch;
    };

    if (!scripted) {
        platform::installBackends(std::move(backends));
        // On a touch screen the kiosk's own keypad for fingers serves; elsewhere the virtual
        // keypad, a program of its own, so that the kiosk's modal window does not shut its keys
        // out.
        const bool fingers = touchKeypadWanted(false);
        setDemoKeypadSetting(folder, fingers ? QStringLiteral("NADA") : demoKeypadName);
        QProcess keypad;
        if (!fingers) {
            keypad.start(QCoreApplication::applicationDirPath() +
                             QStringLiteral("/se-virtual-keypad"),
                         {keypadLink});
        }
        demo::switchSetting(folder, QStringLiteral("Terminal_Video_Aparelho"), arguments.equipment);
        printThingsToTry(out, folder);
        if (fingers) {
            out << "The kiosk shows its keypad for fingers (a touch screen, or "
                   "SE_TOUCH_KEYPAD=1)\n";
        } else {
            out << "The kiosk reads its keys from the virtual keypad (PINPAD \"" << demoKeypadName
                << "\"); the keyboard only leaves it with Esc\n";
        }
        out.flush();
        const int result = runTerminal(folder, openExerciseSheet);
        keypad.terminate();
        keypad.waitForFinished(2000);
        return result;
    }
    out << "No display: running a scripted session on the offscreen platform.\n";
    out.flush();
    // The session starts from the printed ticket, typed on the keyboard.
    setDemoKeypadSetting(folder, QStringLiteral("NADA"));
    demo::switchSetting(folder, QStringLiteral("Terminal_Video_Aparelho"), false);
    VirtualKeypad keypad(keypadLink);
    const demo::Operator& administrator = demo::operators().front();
    DemoScript script(QDir(folder).filePath(QStringLiteral("screenshots")), administrator.code,
                      administrator.password);
    script.addKeypadVisit(keypad, folder);
    script.addTouchVisit();
    backends.presentMessage = [&script](const platform::Message& message) {
        return script.answer(message);
    };
    platform::installBackends(std::move(backends));
    script.start();
    const int result = runTerminal(folder, openExerciseSheet);
    if (script.failed()) {
        return 1;
    }
    out << "Logged in, the status bar shows \"" << script.operatorShown() << "\"\n";
    if (!script.ticketText().isEmpty()) {
        out << "The ticket printed:\n" << script.ticketText() << "\n";
    }
    out << "Pictures of the windows:\n";
    for (const QString& picture : script.pictures()) {
        out << "  " << picture << "\n";
    }
    return result;
}
