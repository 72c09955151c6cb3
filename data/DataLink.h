#pragma once

#include <QMap>
#include <QString>

#include <stdexcept>

// Data-link files (.udl) say where a database is, as Windows' OLE DB writes them:
//   [oledb]
//   ; Everything after this line is an OLE DB initstring
//   Provider=SQLOLEDB.1;User ID=sa;Initial Catalog=Palendra;Data Source=server
// They are read as UTF-16 with a byte-order mark (as Windows saves them) or as UTF-8.
namespace platform {

class DataLinkError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What Qt SQL needs to reach the database a data-link file describes.
struct SqlTarget {
    QString driver;       // "QODBC" or "QSQLITE"
    QString databaseName; // an ODBC connection string, or the SQLite file
};

// The properties of the file's init string, keys as written.
using DataLinkProperties = QMap<QString, QString>;

// Reads and parses the file; throws DataLinkError naming the file when it is missing,
// unreadable or malformed.
DataLinkProperties readDataLinkFile(const QString& path);

// Parses one OLE DB init string ("Key=Value;Key=\"quoted; value\""); throws DataLinkError
// mentioning source on a malformed part.
DataLinkProperties parseInitString(const QString& initString, const QString& source);

// Maps the provider to a Qt SQL target:
//   SQLOLEDB, SQLNCLI*, MSOLEDBSQL -> ODBC through FreeTDS;
//   MSDASQL                        -> its own ODBC string (Extended Properties, or DSN=Data
//   Source); SQLite                         -> the file in Data Source, relative to the data-link's
//   folder.
// Throws DataLinkError for an unknown or missing provider.
SqlTarget sqlTargetFor(const DataLinkProperties& properties, const QString& dataLinkPath);

// A value of an ODBC connection string, braced when it holds ; { or } or blanks at its ends.
QString odbcValue(const QString& value);

// The connection string the terminal gives its connections: "FILE NAME=<folder>/<file>".
QString dataLinkConnectionString(const QString& folder, const QString& fileName);

// The path inside a "FILE NAME=" connection string; throws DataLinkError for anything else.
QString dataLinkPathOf(const QString& connectionString);

} // namespace platform
