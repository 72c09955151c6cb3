#pragma once

#include <QString>
#include <QTemporaryDir>

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

    int port() const { return m_port; }
    // The ODBC connection string of the database, through the PostgreSQL ODBC driver; to another
    // port of 127.0.0.1 (a relay to the server) when one is given.
    QString odbcConnectionString(int throughPort = 0) const;

private:
    QString run(const QString& program, const QStringList& arguments) const;

    QTemporaryDir m_dir;
    int m_port = 0;
    QString m_database;
    bool m_running = false;
};
