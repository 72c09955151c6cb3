#pragma once

#include "CallWatch.h"
#include "ScopedDeadline.h"

#include <QByteArray>
#include <QDateTime>
#include <QMap>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

// Read-only access to the gym's databases, in the terms the windows use: connections opened from
// a "FILE NAME=" data-link connection string, and data sets over tables, queries and commands.
// Every failure raises DatabaseError; nothing here ever writes to a database.
//
// No statement holds the user-interface thread longer than databaseCallLimit when the network
// dies, and no attempt to connect longer than databaseConnectLimit: the server's name and a named
// instance's port are looked up with a deadline, the drivers get their time-outs, and a watch
// cuts the connection of a call that outlives them.

inline constexpr std::chrono::milliseconds databaseCallLimit{2500};
inline constexpr std::chrono::milliseconds databaseConnectLimit{3000};
// All the statements of one member's action together: Enter on a number, on a workout, a
// machine's code.
inline constexpr std::chrono::milliseconds memberActionLimit{6000};

class DatabaseError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class DataSet;

// While one lives, every statement and every attempt to connect ends by its deadline at the
// latest, and one begun after it fails at once, as a statement that timed out does: the bounds
// of single calls would otherwise add up within one key press.
using ActionDeadline = platform::ScopedDeadline<struct MemberAction>;

class Connection {
public:
    explicit Connection(QString connectionString = {});
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    void setConnectionString(const QString& connectionString);
    const QString& connectionString() const { return m_connectionString; }

    // Reads the data-link file and connects; throws DatabaseError when it cannot.
    void open();
    void close();
    bool isOpen() const;

    // The live database, for the data sets; throws DatabaseError when not open.
    QSqlDatabase database() const;

    // Bounds the call made while the result lives to databaseCallLimit.
    platform::CallWatch watchCall() const;

    // Names the last successful open, unique among all connections of the process: rows and
    // column checks taken on another open, or on another connection, are not this one's.
    int generation() const { return m_generation; }
    // The server bounds each statement's time itself, as a setting of the connection.
    bool serverLimitsStatements() const { return m_serverLimitsStatements; }

private:
    friend class DataSet;
    // The data sets whose statements run on this connection. Closing it ends their statements
    // first: a driver may refuse to disconnect while statements are left on it, and the handle
    // of a statement whose connection has closed must never be used again.
    void attach(DataSet& dataSet);
    void detach(DataSet& dataSet);

    [[noreturn]] void failToConnect(const QString& why) const;
    // The ODBC string with the options the terminal adds for its driver.
    QString withDriverOptions(QString odbc);

    QString m_connectionString;
    QString m_name;                             // Qt's connection name, unique per object
    std::vector<platform::TcpSocket> m_sockets; // those the driver opened for this connection
    int m_generation = 0;
    bool m_serverLimitsStatements = false;
    std::vector<DataSet*> m_dataSets;
};

// The rows of a statement. Each statement's rows are read whole when it runs, and the statement
// is reset at once: no cursor stays open on the server between look-ups (with SQLite, an open
// cursor holds a read lock that blocks the back office's writes), and moving through the rows
// never waits on the network.
class DataSet {
public:
    DataSet();
    virtual ~DataSet();
    DataSet(const DataSet&) = delete;
    DataSet& operator=(const DataSet&) = delete;

    // Either a shared connection, or a connection string of the data set's own.
    void setConnection(Connection* connection);
    void setConnectionString(const QString& connectionString);
    // A shared connection the data set keeps as if it were its own: it opens it when closed and
    // replaces it when a statement fails (see close()), for every data set that shares it.
    void keepConnection(Connection* connection);

    void open();
    // A data set with a connection of its own, or a shared one it keeps, keeps that connection
    // from one open to the next (no new login for every lookup) and drops it only when a
    // statement fails, so the next open reaches the server afresh. One on a shared connection that
    // has been reopened since counts as closed and opens again on the new one.
    void close();
    bool isOpen() const;
    void requery();

    void first();
    void next();
    bool eof() const { return m_row >= m_rows.values.size(); }

    QStringList fieldNames() const;
    bool hasField(const QString& name) const;

    // Typed reads of the current row; names compare without regard to case. As the data sets the
    // terminal was written for, a null reads as the type's zero (empty text, 0, false, and the
    // day zero of dates, 30/12/1899); a value that does not convert raises DatabaseError.
    bool isNull(const QString& name) const;
    QString fieldText(const QString& name) const;
    int fieldInteger(const QString& name) const;
    double fieldFloat(const QString& name) const;
    bool fieldBoolean(const QString& name) const;
    QDateTime fieldDateTime(const QString& name) const;
    QByteArray fieldBlob(const QString& name) const;

    // The day zero of the date system, what a null date reads as.
    static QDateTime dayZero();

protected:
    // What a statement gave: its columns and all its rows.
    struct Rows {
        QSqlRecord columns;
        std::vector<QSqlRecord> values;
    };

    // The statement to run on open, with its bound values.
    virtual QString selectText() const = 0;
    virtual QMap<QString, QVariant> boundValues() const { return {}; }
    // Whether open and requery read the rows of selectText(); a data set that only looks rows up
    // reads none there.
    virtual bool readsRowsOnOpen() const { return true; }
    // Checks made once the database is reached, before the rows are read.
    virtual void validate();
    // Moves to the first row of another statement (used by locate); when it has none, the
    // current row stays and the result is false.
    bool runLookup(const QString& text, const QMap<QString, QVariant>& values);
    // Runs a statement and reads its rows. A kept connection that fails at once is replaced and
    // the statement run again; one that timed out is not.
    Rows execute(const QString& text, const QMap<QString, QVariant>& values);
    [[noreturn]] void fail(const QString& what) const;
    virtual QString describe() const = 0;

    // The connection's generation (see Connection), connecting first when the data set has its
    // own connection and it is closed.
    int connectionGeneration();

private:
    friend class Connection;
    // Called by the connection before it closes: the rows read so far stay readable, and the
    // next statement is prepared anew.
    void endStatements();
    // Called by a shared connection that is destroyed first.
    void forgetConnection(const Connection& connection);
    // Ends the statements on the connection used so far and leaves it.
    void leaveConnection();

    QVariant value(const QString& name) const;
    const Connection* connection() const { return m_own ? m_own.get() : m_shared; }
    // The connection the data set opens and replaces itself, if any.
    Connection* keptConnection() const { return m_own ? m_own.get() : m_kept; }
    // A statement prepared before on the same connection, or a new one, forward-only with the
    // drivers' time-out. Preparing anew costs the server a parse and, later, a deallocation.
    std::unique_ptr<QSqlQuery> preparedStatement(const QSqlDatabase& db, const QString& text);
    // Keeps a statement whose rows are no longer read for its next run.
    void keepPrepared(std::unique_ptr<QSqlQuery> query);
    QSqlDatabase connectedDatabase();
    // Bounds the driver call made while the result lives to databaseCallLimit.
    platform::CallWatch watchCall() const;
    // A statement failed: its own connection is dropped too, the server may have gone. The
    // statement is ended before that.
    [[noreturn]] void failStatement(std::unique_ptr<QSqlQuery> statement);
    Rows executeOnce(const QString& text, const QMap<QString, QVariant>& values);
    // The rows of selectText(), or none when the data set only looks rows up.
    void readRows();
    // Stands on the first of these rows.
    void takeRows(Rows rows);
    // The shared connection's rows are this one's now.
    void markConnection();

    Connection* m_shared = nullptr;
    Connection* m_kept = nullptr; // the shared connection, when the data set keeps it
    int m_sharedGeneration = 0;   // of the shared connection when the rows were read
    std::unique_ptr<Connection> m_own;
    // Statements prepared on the open connection, by their text, reset between runs.
    std::map<QString, std::unique_ptr<QSqlQuery>> m_prepared;
    Rows m_rows;
    std::size_t m_row = 0;
    bool m_open = false;
};

// All rows of one table. Its declared columns must exist for it to open.
class TableDataSet : public DataSet {
public:
    void setTableName(const QString& name) {
        m_table = name;
        m_checkedGeneration = 0;
    }
    const QString& tableName() const { return m_table; }
    // The columns the window reads; empty selects every column.
    void setDeclaredColumns(const QStringList& columns) {
        m_columns = columns;
        m_checkedGeneration = 0;
    }

    // Moves to the first row whose column equals value exactly; when none does, the result is
    // false and the current row stays. The lookup asks the database for that row alone, so it
    // costs the same on any table size; after it the data set holds the matching rows, and
    // requery() brings back the table.
    bool locate(const QString& column, const QVariant& value);

protected:
    QString selectText() const override;
    void validate() override;
    QString describe() const override;

private:
    QString columnList() const;

    QString m_table;
    QStringList m_columns;
    // The columns are checked once per connection: the generation they were checked on.
    int m_checkedGeneration = 0;
};

// A table the terminal only looks rows up in by key (members, operators): opening checks that the
// table and its declared columns are there and reads no row, so it takes the same time at a
// thousand rows as at ten million; locate() reads the row asked for.
class KeyedTable : public TableDataSet {
protected:
    bool readsRowsOnOpen() const override { return false; }
};

// A statement with named parameters (":NAME"), given as lines and text values.
class QueryDataSet : public DataSet {
public:
    QStringList& sql() { return m_lines; }
    void setParameter(const QString& name, const QString& value) { m_parameters[name] = value; }
    void clearParameters() { m_parameters.clear(); }

protected:
    QString selectText() const override;
    QMap<QString, QVariant> boundValues() const override { return m_parameters; }
    QString describe() const override;

private:
    QStringList m_lines;
    QMap<QString, QVariant> m_parameters;
};

// One complete statement set as command text. Values are bound as parameters (":NAME"), never
// pasted into the text.
class CommandDataSet : public DataSet {
public:
    void setCommandText(const QString& text) { m_text = text; }
    const QString& commandText() const { return m_text; }
    void setParameter(const QString& name, const QVariant& value) { m_parameters[name] = value; }
    void clearParameters() { m_parameters.clear(); }

protected:
    QString selectText() const override { return m_text; }
    QMap<QString, QVariant> boundValues() const override { return m_parameters; }
    QString describe() const override;

private:
    QString m_text;
    QMap<QString, QVariant> m_parameters;
};
