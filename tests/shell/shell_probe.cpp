// A small program for the tests that need real processes:
//   shell_probe throw TEXT...   each TEXT is thrown from an event handler; then it ends normally
//   shell_probe instance FOLDER  the terminal's single-instance test on a data-link folder:
//                                prints "second" and ends with 3 when a copy runs, otherwise
//                                prints "first" and runs until asked to come to the top ("raised").
//   shell_probe cut-socket       writes to a socket whose other end is closed, as a database
//                                driver may; prints "write failed" when the program lives on.
//   shell_probe terminal FOLDER  the terminal on a data-link folder. A line "block MS" on its
//                                input blocks its window thread that long, between the lines
//                                "blocking T0 CAPTION" and "unblocked T1" (times in ms since the
//                                epoch, CAPTION that of the modal window).
#include "KioskWindow.h"
#include "SingleInstance.h"
#include "TerminalApplication.h"
#include "TerminalStart.h"

#include <QDateTime>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <stdexcept>

#include <sys/socket.h>
#include <unistd.h>

namespace {

void say(const char* text) {
    std::printf("%s\n", text);
    std::fflush(stdout);
}

int throwFromHandlers(int count, char** texts) {
    for (int i = 0; i < count; ++i) {
        const std::string text = texts[i];
        QTimer::singleShot(i, [text] { throw std::runtime_error(text); });
    }
    QTimer::singleShot(count + 50, [] { QCoreApplication::quit(); });
    const int result = QCoreApplication::exec();
    say("ended normally");
    return result;
}

int runInstance(const QString& folder) {
    SingleInstance instance(SingleInstance::keyFor(folder), [] {
        say("raised");
        QTimer::singleShot(0, [] { QCoreApplication::quit(); });
    });
    if (instance.anotherCopyRunning()) {
        say("second");
        return 3;
    }
    say("first");
    QTimer::singleShot(30000, [] { QCoreApplication::exit(4); });
    return QCoreApplication::exec();
}

int writeToCutSocket() {
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_STREAM, 0, ends) != 0) {
        return 2;
    }
    close(ends[1]);
    if (write(ends[0], "x", 1) < 0) {
        say("write failed");
    }
    return 0;
}

// Blocks the window thread on each "block MS" line of the input.
int runTerminalBlockingOnRequest(const QString& folder) {
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&input] {
        char line[64] = {};
        const ssize_t size = read(STDIN_FILENO, line, sizeof line - 1);
        int milliseconds = 0;
        if (size <= 0 || std::sscanf(line, "block %d", &milliseconds) != 1) {
            input.setEnabled(false);
            return;
        }
        const QWidget* modal = QApplication::activeModalWidget();
        const QString caption = modal != nullptr ? modal->windowTitle() : QString();
        std::printf("blocking %lld %s\n", QDateTime::currentMSecsSinceEpoch(),
                    caption.toLocal8Bit().constData());
        QThread::msleep(static_cast<unsigned long>(milliseconds));
        std::printf("unblocked %lld\n", QDateTime::currentMSecsSinceEpoch());
        std::fflush(stdout);
    });
    return runTerminal(folder, openExerciseSheet);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TerminalApplication app(argc, argv);
    const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (mode == QStringLiteral("throw")) {
        return throwFromHandlers(argc - 2, argv + 2);
    }
    if (mode == QStringLiteral("instance") && argc == 3) {
        return runInstance(QString::fromLocal8Bit(argv[2]));
    }
    if (mode == QStringLiteral("cut-socket")) {
        return writeToCutSocket();
    }
    if (mode == QStringLiteral("terminal") && argc == 3) {
        return runTerminalBlockingOnRequest(QString::fromLocal8Bit(argv[2]));
    }
    std::fprintf(stderr, "usage: shell_probe throw TEXT... | instance FOLDER | cut-socket | "
                         "terminal FOLDER\n");
    return 2;
}
