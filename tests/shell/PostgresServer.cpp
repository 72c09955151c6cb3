#include "PostgresServer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>

#include <stdexcept>
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
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setWorkingDirectory(m_dir.path());
    const QString path = binaries() + QLatin1Char('/') + program;
    if (runningAsRoot()) {
        process.start(QStringLiteral("/usr/sbin/runuser"),
                      QStringList{QStringLiteral("-u"), QStringLiteral("postgres"),
                                  QStringLiteral("--"), path} +
                          arguments);
    } else {
        process.start(path, arguments);
    }
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        throw std::runtime_error(
            (program + QStringLiteral(" failed: ") + QString::fromLocal8Bit(process.readAll()))
                .toStdString());
    }
    return QString::fromLocal8Bit(process.readAll());
}

void PostgresServer::create(const QString& database) {
    if (!m_dir.isValid()) {
        throw std::runtime_error("no temporary folder");
    }
    if (runningAsRoot()) {
        QProcess::execute(QStringLiteral("chown"),
                          {QStringLiteral("postgres:postgres"), m_dir.path()});
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
