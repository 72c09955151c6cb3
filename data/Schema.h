#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <vector>

// The one catalogue of the tables and columns the terminal reads, with their widths and types.
// The windows take their declared columns from here, and the demo and test databases are made
// from the DDL generated here.
namespace schema {

enum class ColumnType {
    Text,
    Integer,
    SmallInt,
    Float,
    Boolean,
    DateTime,
    Blob,
    Memo,
    AutoIncrement
};

struct Column {
    QString name;
    ColumnType type;
    int width = 0; // characters, for text columns
};

// Which database holds a table. Member tables exist in both: the settings choose which is read.
enum class Database { Palendra, Quorvel, Both };

struct Table {
    QString name;
    Database database;
    std::vector<Column> columns;
    QStringList indexed; // columns the terminal looks rows up by
};

enum class Dialect { SQLite, PostgreSQL, SqlServer };

const std::vector<Table>& tables();

// Names compare without regard to case, as on every backend. Throws std::out_of_range for a
// name the catalogue does not hold (a programming error).
const Table& table(const QString& name);
const Column& column(const QString& tableName, const QString& columnName);

// The weekday flag columns of the workout tables, Sunday first: "DOM" to "SAB".
const QStringList& weekdayColumns();

// Column names of a table from `first` to `last` inclusive, in catalogue order.
QStringList columnRange(const QString& tableName, const QString& first, const QString& last);

// CREATE TABLE (and CREATE INDEX) statements for a table in a dialect.
QStringList createTableSql(const Table& table, Dialect dialect);

// Every table of one database, in the catalogue's order.
std::vector<const Table*> tablesOf(Database database);

} // namespace schema

// The weekdays a workout is done on, Sunday first, as the weekday columns hold them.
using WeekdayFlags = std::array<bool, 7>;
