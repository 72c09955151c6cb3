#include "TerminalApplication.h"

#include "Clock.h"

#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <csignal>
#include <exception>

TerminalApplication::TerminalApplication(int& argc, char** argv)
    : QApplication(argc, argv) {
    // A driver writing to a connection the network or a watch has cut must get an error, not
    // end the terminal.
    std::signal(SIGPIPE, SIG_IGN);
}

bool TerminalApplication::notify(QObject* receiver, QEvent* event) {
    bool delivered = false;
    runLoggingFailures([&] { delivered = QApplication::notify(receiver, event); });
    return delivered;
}

bool runLoggingFailures(const std::function<void()>& handler) {
    try {
        handler();
        return true;
    } catch (const std::exception& error) {
        appendErrorLog(TerminalApplication::errorLogPath(), QString::fromLocal8Bit(error.what()));
    } catch (...) {
        appendErrorLog(TerminalApplication::errorLogPath(), QStringLiteral("unknown exception"));
    }
    return false;
}

QString TerminalApplication::errorLogPath() {
    return errorLogPathFor(QCoreApplication::applicationFilePath());
}

QString errorLogPathFor(const QString& programPath) {
    const QString suffix = QFileInfo(programPath).suffix();
    if (suffix.isEmpty()) {
        return programPath + QStringLiteral(".log");
    }
    return programPath.left(programPath.size() - suffix.size()) + QStringLiteral("log");
}

QString systemDateText(const QDate& date) {
    return QLocale::system().toString(date, QLocale::ShortFormat);
}

QString systemTimeText(const QTime& time) {
    // Qt's long time format ends with the time zone, which the terminal never showed.
    QString format = QLocale::system().timeFormat(QLocale::LongFormat);
    format.remove(QLatin1Char('t'));
    return QLocale::system().toString(time, format.trimmed());
}

QByteArray errorLogLine(const QDateTime& when, const QString& message) {
    const QString text = systemDateText(when.date()) + QLatin1Char(' ') +
                         systemTimeText(when.time()) + QLatin1Char(':') + message +
                         QStringLiteral("\r\n");
    return text.toLocal8Bit();
}

void appendErrorLog(const QString& logPath, const QString& message) {
    QFile log(logPath);
    if (log.open(QIODevice::WriteOnly | QIODevice::Append)) {
        log.write(errorLogLine(platform::now(), message));
    }
}

namespace shell {
namespace {
bool terminated = false;
bool messageLoopRunning = false;
} // namespace

void terminateApplication() {
    terminated = true;
    // Modal loops end as they do when the application is told to terminate: without the
    // windows' own close checks.
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<QDialog*>(widget);
        if (dialog != nullptr && dialog->isVisible() && dialog->isModal()) {
            dialog->done(QDialog::Rejected);
        }
    }
    // Only the application's own loop is told to quit: before it runs, a quit request would make
    // every later modal loop return at once.
    if (messageLoopRunning) {
        QCoreApplication::exit(0);
    }
}

bool applicationTerminated() {
    return terminated;
}

void clearTermination() {
    terminated = false;
}

int runMessageLoop() {
    if (terminated) {
        return 0;
    }
    messageLoopRunning = true;
    const int result = QCoreApplication::exec();
    messageLoopRunning = false;
    return result;
}

} // namespace shell
