#include "PostgresServer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTcpServer>

#include <stdexcept>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QString binaries() {
    const QStringList versions = QDir(QStringLiteral("/usr/lib/postgresql"))
                                     .entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    return versions.isEmpty() ? QString()
                              : QStringLiteral("/usr/lib/postgresql/%1/bin").arg(versions.last());
}

bool runningAsRoot() {
    return geteuid() == 0;
}

int freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

struct Finished {
    bool exitedWithZero = false;
    QByteArray output;
};

// Runs a program in a folder and waits for it, its output and errors caught. Not QProcess: it
// starts children through a clone ThreadSanitizer does not see, after which the sanitizer no
// longer sees our main thread's locks and reports races that are not there. A plain fork it
// follows. The program's own children (the server pg_ctl starts) may keep the pipe: only the
// program's end is waited for.
Finished runInFolder(const QString& folder, const QStringList& command, int timeoutMs) {
    std::vector<QByteArray> words;
    for (const QString& word : command) {
        words.push_back(word.toLocal8Bit());
    }
    std::vector<char*> argv;
    for (QByteArray& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    const QByteArray directory = folder.toLocal8Bit();

    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) {
        throw std::runtime_error("no pipe");
    }
    const pid_t child = fork();
    if (child == 0) {
        dup2(pipeEnds[1], STDOUT_FILENO);
        dup2(pipeEnds[1], STDERR_FILENO);
        if (chdir(directory.constData()) == 0) {
            execvp(argv[0], argv.data());
        }
        _exit(127);
    }
    close(pipeEnds[1]);
    fcntl(pipeEnds[0], F_SETFL, O_NONBLOCK);

    Finished finished;
    const auto readAvailable = [&] {
        char buffer[4096];
        ssize_t count = 0;
        while ((count = read(pipeEnds[0], buffer, sizeof buffer)) > 0) {
            finished.output.append(buffer, count);
        }
    };
    QElapsedTimer clock;
    clock.start();
    int status = 0;
    while (child > 0 && waitpid(child, &status, WNOHANG) == 0) {
        readAvailable();
        if (clock.hasExpired(timeoutMs)) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            status = -1;
            break;
        }
        usleep(10000);
    }
    readAvailable();
    close(pipeEnds[0]);
    finished.exitedWithZero = child > 0 && status == 0;
    return finished;
}

} // namespace

PostgresServer::PostgresServer() = default;

PostgresServer::~PostgresServer() {
    if (m_running) {
        try {
            stop();
        } catch (const std::exception&) {
            // Nothing more to do for a server that will not stop; its folder goes anyway.
        }
    }
}

QString PostgresServer::unavailableReason() {
    if (binaries().isEmpty() || !QFile::exists(binaries() + QStringLiteral("/pg_ctl"))) {
        return QStringLiteral("the PostgreSQL server is not installed");
    }
    if (runningAsRoot() && !QFile::exists(QStringLiteral("/usr/sbin/runuser"))) {
        return QStringLiteral("running as root without runuser");
    }
    return {};
}

QString PostgresServer::run(const QString& program, const QStringList& arguments) const {
    const QString path = binaries() + QLatin1Char('/') + program;
    const QStringList command =
        runningAsRoot() ? QStringList{QStringLiteral("/usr/sbin/runuser"), QStringLiteral("-u"),
                                      QStringLiteral("postgres"), QStringLiteral("--"), path} +
                              arguments
                        : QStringList{path} + arguments;
    const Finished finished = runInFolder(m_dir.path(), command, 60000);
    if (!finished.exitedWithZero) {
        throw std::runtime_error(
            (program + QStringLiteral(" failed: ") + QString::fromLocal8Bit(finished.output))
                .toStdString());
    }
    return QString::fromLocal8Bit(finished.output);
}

void PostgresServer::create(const QString& database) {
    if (!m_dir.isValid()) {
        throw std::runtime_error("no temporary folder");
    }
    if (runningAsRoot()) {
        runInFolder(m_dir.path(),
                    {QStringLiteral("chown"), QStringLiteral("postgres:postgres"), m_dir.path()},
                    10000);
    }
    m_database = database;
    m_port = freePort();
    run(QStringLiteral("initdb"),
        {QStringLiteral("-D"), m_dir.filePath(QStringLiteral("data")), QStringLiteral("-A"),
         QStringLiteral("trust"), QStringLiteral("-U"), QStringLiteral("se"), QStringLiteral("-E"),
         QStringLiteral("UTF8"), QStringLiteral("--locale=C"), QStringLiteral("--no-sync")});
    start();
    run(QStringLiteral("createdb"),
        {QStringLiteral("-h"), QStringLiteral("127.0.0.1"), QStringLiteral("-p"),
         QString::number(m_port), QStringLiteral("-U"), QStringLiteral("se"), database});
}

void PostgresServer::start() {
    QString options = QStringLiteral("-p %1 -k %2 -c listen_addresses=127.0.0.1 -c fsync=off")
                          .arg(m_port)
                          .arg(m_dir.path());
    if (m_logStatements) {
        options += QStringLiteral(" -c log_statement=all -c log_connections=on");
    }
    for (const QString& setting : m_settings) {
        options += QLatin1Char(' ') + setting;
    }
    run(QStringLiteral("pg_ctl"),
        {QStringLiteral("-D"), m_dir.filePath(QStringLiteral("data")), QStringLiteral("-l"),
         logPath(), QStringLiteral("-o"), options, QStringLiteral("-w"), QStringLiteral("-t"),
         QStringLiteral("30"), QStringLiteral("start")});
    m_running = true;
}

void PostgresServer::stop() {
    run(QStringLiteral("pg_ctl"),
        {QStringLiteral("-D"), m_dir.filePath(QStringLiteral("data")), QStringLiteral("-m"),
         QStringLiteral("fast"), QStringLiteral("-w"), QStringLiteral("stop")});
    m_running = false;
}

void PostgresServer::signalEveryProcess(int signal) const {
    // The first line of postmaster.pid is the server's process; the others are its children.
    QFile pidFile(m_dir.filePath(QStringLiteral("data/postmaster.pid")));
    if (!pidFile.open(QIODevice::ReadOnly)) {
        throw std::runtime_error("the server is not running");
    }
    const QByteArray server = pidFile.readLine().trimmed();
    kill(server.toInt(), signal);
    for (const QString& process :
         QDir(QStringLiteral("/proc")).entryList({QStringLiteral("[0-9]*")}, QDir::Dirs)) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(process));
        // "pid (name) state ppid ...": the name may hold spaces, the rest follows its ")".
        if (stat.open(QIODevice::ReadOnly)) {
            const QByteArray line = stat.readAll();
            const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
            if (fields.size() > 1 && fields[1] == server) {
                kill(process.toInt(), signal);
            }
        }
    }
}

QString PostgresServer::logPath() const {
    return m_dir.filePath(QStringLiteral("server.log"));
}

qint64 PostgresServer::logMark() const {
    return QFileInfo(logPath()).size();
}

QStringList PostgresServer::logLinesSince(qint64 mark) const {
    QFile log(logPath());
    if (!log.open(QIODevice::ReadOnly) || !log.seek(mark)) {
        throw std::runtime_error("cannot read the server's log");
    }
    return QString::fromUtf8(log.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QStringList PostgresServer::statementsSince(qint64 mark) const {
    // A statement of the simple protocol logs as "statement: ...", one of the extended protocol as
    // "execute <name>: ..." when it runs (not when it is parsed or bound).
    static const QRegularExpression statement(QStringLiteral("LOG:  (statement|execute [^:]*): "));
    QStringList statements;
    for (const QString& line : logLinesSince(mark)) {
        if (statement.match(line).hasMatch()) {
            statements << line;
        }
    }
    return statements;
}

int PostgresServer::loginsSince(qint64 mark) const {
    return static_cast<int>(
        logLinesSince(mark).filter(QStringLiteral("connection authorized")).size());
}

QString PostgresServer::odbcConnectionString(int throughPort) const {
    return QStringLiteral(
               "DRIVER={PostgreSQL Unicode};SERVER=127.0.0.1;PORT=%1;DATABASE=%2;UID=se;PWD=se")
        .arg(throughPort != 0 ? throughPort : m_port)
        .arg(m_database);
}
