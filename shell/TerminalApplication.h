#pragma once

#include <QApplication>
#include <QDateTime>
#include <QString>

#include <functional>

// The application object of the terminal. Every exception that an event handler lets out ends up
// here and becomes one line of the error log next to the program; nothing is shown.
// SIGPIPE is ignored in the whole process: a write to a cut connection fails as an error.
class TerminalApplication : public QApplication {
public:
    TerminalApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // The log of this program: its path with the extension replaced by ".log".
    static QString errorLogPath();
};

// Runs an event handler and writes what it lets out to the error log, as the application object
// does; false when it let something out. Qt's own frames are built without exception clean-ups,
// so an exception that unwinds through them leaks what they hold: a handler that may throw on
// every failed look-up is run through this where Qt calls it.
bool runLoggingFailures(const std::function<void()>& handler);

// The log path of a program: extension replaced by ".log", or ".log" appended when the file name
// has none (as on Linux).
QString errorLogPathFor(const QString& programPath);

// A message as the log keeps it: passwords (PWD=, Password=) hidden as "***", carriage returns
// and line feeds written as \r and \n, so that an entry stays on one line.
QString errorLogText(QString message);

// One log line: the date and time in the system's format, ":" and the message, CR LF.
QByteArray errorLogLine(const QDateTime& when, const QString& message);

// Appends one line to the log file, creating it (0640) when missing. A link at logPath is
// followed, the file it names never through another link. A log that cannot be written is given
// up silently: there is nowhere else to report it.
void appendErrorLog(const QString& logPath, const QString& message);

// The system's standard date-time text: short date, a space, long time.
QString systemDateText(const QDate& date);
QString systemTimeText(const QTime& time);

// The terminal's "terminate the application": ends the message loop and every modal loop now
// running, and makes a modal window shown later return at once.
namespace shell {
void terminateApplication();
bool applicationTerminated();
// Back to a running application (a new run inside the same process, as the tests do).
void clearTermination();
// Runs the application's message loop until the application terminates.
int runMessageLoop();
} // namespace shell
