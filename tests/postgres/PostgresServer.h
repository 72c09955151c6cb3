#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <csignal>

// A throw-away PostgreSQL server of the test's own, on a free port of 127.0.0.1, that the test can
// stop and start again. PostgreSQL refuses to run as root, so as root it runs as "postgres".
class PostgresServer {
public:
    PostgresServer();
    ~PostgresServer();
    PostgresServer(const PostgresServer&) = delete;
    PostgresServer& operator=(const PostgresServer&) = delete;

    // Empty when the server can run here; otherwise why not.
    static QString unavailableReason();

    // Creates the cluster and a database, and starts the server; throws std::runtime_error.
    void create(const QString& database);
    void start();
    void stop();
    // Stops every process of the running server, as a server too loaded to answer: connections
    // stay open and nothing comes back until thaw().
    void freeze() { signalEveryProcess(SIGSTOP); }
    void thaw() { signalEveryProcess(SIGCONT); }

    // The server logs every statement and login into its log file (from the next start).
    void logStatements() { m_logStatements = true; }
    // A setting of the server's own ("max_connections", say), from the next start.
    void setSetting(const QString& name, const QString& value) {
        m_settings << QStringLiteral("-c %1=%2").arg(name, value);
    }
    // The size of the log so far, to count from.
    qint64 logMark() const;
    // The statements the server ran and the logins it accepted since a mark of the log.
    QStringList statementsSince(qint64 mark) const;
    int loginsSince(qint64 mark) const;

    int port() const { return m_port; }
    // The ODBC connection string of the database, through the PostgreSQL ODBC driver; to another
    // port of 127.0.0.1 (a relay to the server) when one is given.
    QString odbcConnectionString(int throughPort = 0) const;

private:
    void signalEveryProcess(int signal) const;
    QString run(const QString& program, const QStringList& arguments) const;
    QString logPath() const;
    QStringList logLinesSince(qint64 mark) const;

    QTemporaryDir m_dir;
    int m_port = 0;
    QString m_database;
    bool m_running = false;
    bool m_logStatements = false;
    QStringList m_settings;
};
