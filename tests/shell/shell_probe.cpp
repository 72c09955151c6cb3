// A small program for the tests that need real processes:
//   shell_probe throw TEXT...   each TEXT is thrown from an event handler; then it ends normally
//   shell_probe instance FOLDER  the terminal's single-instance test on a data-link folder:
//                                prints "second" and ends with 3 when a copy runs, otherwise
//                                prints "first" and runs until asked to come to the top ("raised").
//   shell_probe cut-socket       writes to a socket whose other end is closed, as a database
//                                driver may; prints "write failed" when the program lives on.
#include "SingleInstance.h"
#include "TerminalApplication.h"

#include <QTimer>

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
    std::fprintf(stderr, "usage: shell_probe throw TEXT... | instance FOLDER | cut-socket\n");
    return 2;
}
