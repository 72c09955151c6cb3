#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// What withServerAddress reads from outside before it connects: the parts of an ODBC connection
// string and the SQL Server Browser's reply. Declared here, not kept inside ServerAddress.cpp, so
// that the fuzz tests reach them.
namespace platform::serveraddress {

// One "KEY=value" of an ODBC connection string: the value unbraced ("{a;b}}c}" is "a;b}c"),
// and where it stands in the string, braces included.
struct OdbcPart {
    QString key;
    QString value;
    qsizetype valueStart = 0;
    qsizetype valueEnd = 0;
};

QList<OdbcPart> odbcParts(const QString& odbc);

std::optional<OdbcPart> partNamed(const QList<OdbcPart>& parts, const QString& key);

// The server's TCP port: the string's PORT, or the default of the drivers the terminal knows
// (SQL Server's, PostgreSQL's); none for another driver, whose default is its own.
std::optional<int> serverPort(const QList<OdbcPart>& parts);

// The part naming the server's host: SERVER, or psqlODBC's SERVERNAME. FreeTDS's SERVERNAME names
// an entry of freetds.conf, whose host FreeTDS would look up itself with no bound: it throws
// ServerLookupError.
std::optional<OdbcPart> hostPart(const QList<OdbcPart>& parts);

// The port of the instance in a browser reply (0x05, size, then records
// "ServerName;S;InstanceName;I;IsClustered;No;Version;V;tcp;1433;;"); nullopt when the bytes
// are not such a reply, 0 when the instance is not in it or takes no TCP connections.
std::optional<int> portInReply(const QByteArray& reply, const QString& instance);

} // namespace platform::serveraddress
