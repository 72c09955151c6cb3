// The demo: writes the demo databases into a folder (unless it holds them already) and runs the
// terminal on them, with that folder as its data-link folder. Without a display it runs a scripted
// session instead and leaves a picture of every window it passed through.
#include "DemoData.h"
#include "DemoScript.h"
#include "DemoVideos.h"
#include "KeypadDevices.h"
#include "MessageBox.h"
#include "SerialDriverPosix.h"
#include "TerminalApplication.h"
#include "TerminalStart.h"
#include "VirtualKeypad.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QProcess>
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
        << demo::enrolmentOf(demo::Options().members) << "; " << demo::showcaseMember()
        << " has a photo and workouts 1 to 5\n";
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
    platform::setKeypadSerialDriver(&keypadDriver);
    platform::setUsbKeypadSwitch(&keypadSwitch);

    if (!scripted) {
        // A program of its own, so that the kiosk's modal window does not shut its keys out.
        setDemoKeypadSetting(folder, demoKeypadName);
        QProcess keypad;
        keypad.start(QCoreApplication::applicationDirPath() + QStringLiteral("/se-virtual-keypad"),
                     {keypadLink});
        out << "The kiosk reads its keys from the virtual keypad (PINPAD \"" << demoKeypadName
            << "\"); the keyboard only leaves it with Esc\n";
        out.flush();
        const int result = runTerminal(folder);
        keypad.terminate();
        keypad.waitForFinished(2000);
        return result;
    }
    out << "No display: running a scripted session on the offscreen platform.\n";
    out.flush();
    // Nobody is there to answer a message box: each is told and answered with its first button.
    platform::setMessagePresenter([](const platform::Message& message) {
        QTextStream(stdout) << "Message box: " << message.text << "\n";
        return message.buttons == platform::MessageButtons::YesNo ? int(platform::IdYes)
                                                                  : int(platform::IdOk);
    });
    setDemoKeypadSetting(folder, QStringLiteral("NADA")); // the first visit types on the keyboard
    VirtualKeypad keypad(keypadLink);
    const demo::Operator& administrator = demo::operators().front();
    DemoScript script(QDir(folder).filePath(QStringLiteral("screenshots")), administrator.code,
                      administrator.password);
    script.addKeypadVisit(keypad, folder);
    script.start();
    const int result = runTerminal(folder);
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
