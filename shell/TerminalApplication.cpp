#include "TerminalApplication.h"

#include "Clock.h"

#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>

#include <csignal>
#include <exception>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

QString errorLogText(QString message) {
    // Connection strings and the drivers' texts about them may carry the database password, in
    // ODBC's or OLE DB's spelling, bare, quoted or in braces.
    static const QRegularExpression password(
        QStringLiteral(
            R"(\b(pwd|password)(\s*=\s*)(\{([^}]|\}\})*\}?|"[^"]*"?|'[^']*'?|[^;\r\n]*))"),
        QRegularExpression::CaseInsensitiveOption);
    message.replace(password, QStringLiteral("\\1\\2***"));
    message.replace(QLatin1Char('\r'), QStringLiteral("\\r"));
    message.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    return message;
}

QByteArray errorLogLine(const QDateTime& when, const QString& message) {
    const QString text = systemDateText(when.date()) + QLatin1Char(' ') +
                         systemTimeText(when.time()) + QLatin1Char(':') + errorLogText(message) +
                         QStringLiteral("\r\n");
    return text.toLocal8Bit();
}

void appendErrorLog(const QString& logPath, const QString& message) {
    // The installed program's log is a link, in the program's own folder, to the log in
    // /var/log, a folder the kiosk user owns. That link is as trusted as the program and is
    // followed; the file it names is not when it is a link or not a plain file, or a terminal run
    // by root could be made to append to any file of the system.
    const QFileInfo beside(logPath);
    const QString file = beside.isSymLink() ? beside.symLinkTarget() : logPath;
    const int log = ::open(QFile::encodeName(file).constData(),
                           O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC,
                           S_IRUSR | S_IWUSR | S_IRGRP);
    if (log < 0) {
        return;
    }
    struct stat info {};
    if (::fstat(log, &info) == 0 && S_ISREG(info.st_mode)) {
        const QByteArray line = errorLogLine(platform::now(), message);
        [[maybe_unused]] const ssize_t written = ::write(log, line.constData(), line.size());
    }
    ::close(log);
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
