#include "Database.h"

#include "DataLink.h"
#include "ServerAddress.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlResult>

#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <optional>

namespace {

QString uniqueConnectionName() {
    static std::atomic<int> counter{0};
    return QStringLiteral("se-connection-%1").arg(++counter);
}

// The drivers' own time-outs, in whole seconds, end before the watch of a call cuts it.
constexpr int driverTimeoutSeconds = 2;
static_assert(driverTimeoutSeconds * 1000 < databaseCallLimit.count());
// Connecting finds the server's address and port first; the driver's login has what is left,
// and a login still waiting is cut a moment before the bound, so that the driver is back by then.
constexpr auto serverLookupLimit =
    databaseConnectLimit - std::chrono::seconds(driverTimeoutSeconds);
static_assert(serverLookupLimit.count() > 0);
constexpr auto loginCutAt = databaseConnectLimit - std::chrono::milliseconds(200);

const QString sqliteOptions = QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=%1")
                                  .arg(driverTimeoutSeconds * 1000);
const QString odbcOptions =
    QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=%1;SQL_ATTR_CONNECTION_TIMEOUT=%1;"
                   "SQL_ATTR_ACCESS_MODE=SQL_MODE_READ_ONLY")
        .arg(driverTimeoutSeconds);

bool isOdbc(const QSqlDatabase& db) {
    return db.driverName() == QStringLiteral("QODBC");
}

bool isPostgresOdbc(const QString& odbc) {
    static const QRegularExpression postgresDriver(
        QStringLiteral("(^|;)\\s*DRIVER\\s*=\\s*\\{?[^;]*postgres"),
        QRegularExpression::CaseInsensitiveOption);
    return postgresDriver.match(odbc).hasMatch();
}

bool givesOption(const QString& odbc, const QString& key) {
    const QRegularExpression given(QStringLiteral("(^|;)\\s*") + key,
                                   QRegularExpression::CaseInsensitiveOption);
    return given.match(odbc).hasMatch();
}

QString withOptions(const QString& odbc, const QString& options) {
    const QString separator =
        odbc.trimmed().endsWith(QLatin1Char(';')) ? QString() : QStringLiteral(";");
    return odbc + separator + options;
}

// ODBC's statement time-out, on the statement Qt has prepared.
void limitStatementTime(const QSqlQuery& query) {
    const QVariant handle = query.result()->handle();
    if (handle.metaType() != QMetaType::fromType<SQLHANDLE>()) {
        return; // not an ODBC statement
    }
    SQLHANDLE statement = *static_cast<const SQLHANDLE*>(handle.constData());
    if (statement != nullptr) {
        SQLSetStmtAttr(statement, SQL_ATTR_QUERY_TIMEOUT,
                       reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(driverTimeoutSeconds)), 0);
    }
}

QString errorText(const QSqlError& error) {
    const QString text = error.text().trimmed();
    return text.isEmpty() ? QStringLiteral("unknown database error") : text;
}

// Table and column names go into the statement text, so only plain identifiers are accepted.
bool isIdentifier(const QString& name) {
    static const QRegularExpression identifier(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    return identifier.match(name).hasMatch();
}

bool isTextual(const QVariant& v) {
    return v.typeId() == QMetaType::QString || v.typeId() == QMetaType::QByteArray;
}

// The number a value holds, a text read without its blanks; none when it holds no number.
std::optional<double> numberOf(const QVariant& v) {
    bool ok = false;
    const double number = isTextual(v) ? v.toString().trimmed().toDouble(&ok) : v.toDouble(&ok);
    return ok ? std::optional(number) : std::nullopt;
}

QDateTime parseDateTime(const QString& text) {
    const QString trimmed = text.trimmed();
    for (const QString& format :
         {QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"), QStringLiteral("yyyy-MM-dd HH:mm:ss"),
          QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz"), QStringLiteral("yyyy-MM-ddTHH:mm:ss"),
          QStringLiteral("yyyy-MM-dd HH:mm"), QStringLiteral("yyyy-MM-dd")}) {
        const QDateTime parsed = QDateTime::fromString(trimmed, format);
        if (parsed.isValid()) {
            return parsed;
        }
    }
    return {};
}

QString actionOverText() {
    return QStringLiteral("the action ran out of its %1 ms for the database")
        .arg(memberActionLimit.count());
}

// A statement or a login begun after its action ran out fails at once.
void checkActionTime() {
    if (ActionDeadline::over()) {
        throw DatabaseError(actionOverText().toStdString());
    }
}

} // namespace

// ---- Connection ----

Connection::Connection(QString connectionString)
    : m_connectionString(std::move(connectionString))
    , m_name(uniqueConnectionName()) {}

Connection::~Connection() {
    for (DataSet* dataSet : m_dataSets) {
        dataSet->forgetConnection(*this);
    }
    if (QSqlDatabase::contains(m_name)) {
        QSqlDatabase::database(m_name, false).close();
        QSqlDatabase::removeDatabase(m_name);
    }
}

void Connection::setConnectionString(const QString& connectionString) {
    m_connectionString = connectionString;
}

void Connection::open() {
    platform::SqlTarget target;
    try {
        const QString path = platform::dataLinkPathOf(m_connectionString);
        target = platform::sqlTargetFor(platform::readDataLinkFile(path), path);
    } catch (const platform::DataLinkError& error) {
        throw DatabaseError(error.what());
    }

    close();
    checkActionTime();
    // Connecting within a member's action has what is left of it, if that is less.
    const auto started = std::chrono::steady_clock::now() -
                         (databaseConnectLimit - ActionDeadline::within(databaseConnectLimit));
    if (QSqlDatabase::contains(m_name) &&
        QSqlDatabase::database(m_name, false).driverName() != target.driver) {
        QSqlDatabase::removeDatabase(m_name);
    }
    QSqlDatabase db = QSqlDatabase::contains(m_name)
                          ? QSqlDatabase::database(m_name, false)
                          : QSqlDatabase::addDatabase(target.driver, m_name);
    if (!db.isValid()) {
        throw DatabaseError(QStringLiteral("the %1 database driver is not installed")
                                .arg(target.driver)
                                .toStdString());
    }
    const bool odbc = isOdbc(db);
    m_serverLimitsStatements = false;
    if (odbc) {
        // The drivers would look the server up themselves, with waits that nothing bounds. A DSN
        // comes back written out, so its driver is known below.
        try {
            db.setDatabaseName(withDriverOptions(
                platform::withServerAddress(target.databaseName, started + serverLookupLimit)));
        } catch (const platform::ServerLookupError& error) {
            failToConnect(QString::fromLocal8Bit(error.what()));
        }
    } else {
        db.setDatabaseName(target.databaseName);
    }
    // The terminal only reads; SQLite must not create a missing file either.
    db.setConnectOptions(odbc ? odbcOptions : sqliteOptions);
    const std::vector<platform::TcpSocket> before =
        odbc ? platform::tcpSockets() : std::vector<platform::TcpSocket>();
    bool opened = false;
    {
        const platform::CallWatch watch(
            {{}, odbc ? std::optional(before) : std::nullopt},
            std::chrono::ceil<std::chrono::milliseconds>(started + loginCutAt -
                                                         std::chrono::steady_clock::now()));
        opened = db.open();
    }
    if (!opened) {
        failToConnect(errorText(db.lastError()));
    }
    if (odbc) {
        m_sockets = platform::socketsAdded(before, platform::tcpSockets());
    }
    static int opens = 0; // connections live on the window thread only
    m_generation = ++opens;
}

// The PostgreSQL ODBC driver's options, unless the data-link file sets them itself. It sends TCP
// keep-alives when asked: an idle connection whose server is gone is noticed by the system too.
// The statement time-out that ODBC sets on each statement costs two statements more around every
// one ("SET statement_timeout"): the server is given it once instead, as the connection's setting.
QString Connection::withDriverOptions(QString odbc) {
    const bool postgres = isPostgresOdbc(odbc);
    if (postgres && !givesOption(odbc, QStringLiteral("Keepalive"))) {
        odbc = withOptions(odbc, QStringLiteral("KeepaliveTime=5;KeepaliveInterval=1"));
    }
    m_serverLimitsStatements = postgres && !givesOption(odbc, QStringLiteral("ConnSettings"));
    if (m_serverLimitsStatements) {
        odbc = withOptions(odbc, QStringLiteral("ConnSettings={SET statement_timeout = %1}")
                                     .arg(driverTimeoutSeconds * 1000));
    }
    return odbc;
}

void Connection::failToConnect(const QString& why) const {
    throw DatabaseError(QStringLiteral("cannot connect through %1: %2")
                            .arg(platform::dataLinkPathOf(m_connectionString), why)
                            .toStdString());
}

void Connection::attach(DataSet& dataSet) {
    m_dataSets.push_back(&dataSet);
}

void Connection::detach(DataSet& dataSet) {
    std::erase(m_dataSets, &dataSet);
}

void Connection::close() {
    for (DataSet* dataSet : m_dataSets) {
        dataSet->endStatements();
    }
    if (QSqlDatabase::contains(m_name)) {
        const platform::CallWatch watch = watchCall();
        QSqlDatabase::database(m_name, false).close();
    }
    m_sockets.clear();
}

platform::CallWatch Connection::watchCall() const {
    return platform::CallWatch({m_sockets, std::nullopt},
                               ActionDeadline::within(databaseCallLimit));
}

bool Connection::isOpen() const {
    return QSqlDatabase::contains(m_name) && QSqlDatabase::database(m_name, false).isOpen();
}

QSqlDatabase Connection::database() const {
    if (!isOpen()) {
        throw DatabaseError(QStringLiteral("the connection to %1 is not open")
                                .arg(m_connectionString)
                                .toStdString());
    }
    return QSqlDatabase::database(m_name, false);
}

// ---- DataSet ----

DataSet::DataSet() = default;

DataSet::~DataSet() {
    leaveConnection();
}

void DataSet::setConnection(Connection* connection) {
    leaveConnection();
    m_shared = connection;
    if (m_shared != nullptr) {
        m_shared->attach(*this);
    }
}

void DataSet::keepConnection(Connection* connection) {
    setConnection(connection);
    m_kept = connection;
}

void DataSet::setConnectionString(const QString& connectionString) {
    leaveConnection();
    m_own = std::make_unique<Connection>(connectionString);
    m_own->attach(*this);
}

void DataSet::leaveConnection() {
    endStatements();
    if (m_own) {
        m_own->detach(*this);
        m_own.reset();
    }
    if (m_shared != nullptr) {
        m_shared->detach(*this);
    }
    m_shared = nullptr;
    m_kept = nullptr;
}

void DataSet::endStatements() {
    // A driver may tell the server to drop what it prepared and wait for the answer.
    const platform::CallWatch watch = watchCall();
    m_prepared.clear();
}

void DataSet::forgetConnection(const Connection& connection) {
    if (m_shared == &connection) {
        endStatements();
        m_shared = nullptr;
        m_kept = nullptr;
    }
}

QSqlDatabase DataSet::connectedDatabase() {
    if (Connection* kept = keptConnection()) {
        if (!kept->isOpen()) {
            kept->open();
        }
        return kept->database();
    }
    if (m_shared) {
        return m_shared->database();
    }
    fail(QStringLiteral("no connection"));
}

int DataSet::connectionGeneration() {
    connectedDatabase();
    return connection()->generation();
}

platform::CallWatch DataSet::watchCall() const {
    return connection() != nullptr
               ? connection()->watchCall()
               : platform::CallWatch({}, ActionDeadline::within(databaseCallLimit));
}

bool DataSet::isOpen() const {
    // Rows read on a kept connection stay as they are when it is replaced, as on one's own.
    return m_open && (m_shared == nullptr || m_kept != nullptr ||
                      m_shared->generation() == m_sharedGeneration);
}

void DataSet::open() {
    if (isOpen()) {
        return;
    }
    validate();
    readRows();
    m_open = true;
}

void DataSet::close() {
    m_rows = {};
    m_row = 0;
    m_open = false;
}

void DataSet::requery() {
    if (!m_open) {
        fail(QStringLiteral("requery of a closed data set"));
    }
    readRows();
}

void DataSet::readRows() {
    if (readsRowsOnOpen()) {
        takeRows(execute(selectText(), boundValues()));
        return;
    }
    connectedDatabase();
    markConnection();
    takeRows({});
}

void DataSet::takeRows(Rows rows) {
    m_rows = std::move(rows);
    m_row = 0;
}

void DataSet::markConnection() {
    if (m_shared != nullptr) {
        m_sharedGeneration = m_shared->generation();
    }
}

void DataSet::first() {
    if (!m_open) {
        fail(QStringLiteral("not open"));
    }
    m_row = 0;
}

void DataSet::next() {
    if (!m_open) {
        fail(QStringLiteral("not open"));
    }
    if (!eof()) {
        ++m_row;
    }
}

void DataSet::validate() {}

DataSet::Rows DataSet::execute(const QString& text, const QMap<QString, QVariant>& values) {
    const bool reusingKeptConnection = keptConnection() && keptConnection()->isOpen();
    QElapsedTimer waited;
    waited.start();
    try {
        return executeOnce(text, values);
    } catch (const DatabaseError&) {
        // A connection kept from an earlier lookup may have died with the server or the network
        // since: when it failed at once, one fresh connection is tried before the failure is
        // reported. Not after a time-out: the wait would double, and the next lookup reconnects.
        if (!reusingKeptConnection || waited.elapsed() >= driverTimeoutSeconds * 1000 ||
            ActionDeadline::over()) {
            throw;
        }
        return executeOnce(text, values);
    }
}

DataSet::Rows DataSet::executeOnce(const QString& text, const QMap<QString, QVariant>& values) {
    checkActionTime();
    QSqlDatabase db = connectedDatabase();
    // Every statement has a budget of its own for all its rows, watched on the connection it
    // runs on.
    const platform::CallWatch watch = watchCall();
    std::unique_ptr<QSqlQuery> query = preparedStatement(db, text);
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        const QString placeholder =
            it.key().startsWith(QLatin1Char(':')) ? it.key() : QLatin1Char(':') + it.key();
        query->bindValue(placeholder, it.value());
    }
    if (!query->exec()) {
        failStatement(std::move(query));
    }
    Rows rows{query->record(), {}};
    while (query->next()) {
        rows.values.push_back(query->record());
    }
    if (query->lastError().isValid()) {
        failStatement(std::move(query));
    }
    markConnection();
    keepPrepared(std::move(query));
    return rows;
}

std::unique_ptr<QSqlQuery> DataSet::preparedStatement(const QSqlDatabase& db, const QString& text) {
    const auto kept = m_prepared.find(text);
    if (kept != m_prepared.end()) {
        std::unique_ptr<QSqlQuery> query = std::move(kept->second);
        m_prepared.erase(kept);
        return query;
    }
    auto query = std::make_unique<QSqlQuery>(db);
    query->setForwardOnly(true);
    if (!query->prepare(text)) {
        failStatement(std::move(query));
    }
    if (!connection()->serverLimitsStatements()) {
        limitStatementTime(*query);
    }
    return query;
}

void DataSet::keepPrepared(std::unique_ptr<QSqlQuery> query) {
    // Resetting may wait on the server too (a driver closes the cursor there).
    const platform::CallWatch watch = watchCall();
    query->finish();
    // A data set runs a few statements of its own; more texts than that are not worth keeping.
    constexpr std::size_t keptStatements = 4;
    if (m_prepared.size() >= keptStatements) {
        m_prepared.clear();
    }
    const QString text = query->lastQuery();
    m_prepared.insert_or_assign(text, std::move(query));
}

bool DataSet::runLookup(const QString& text, const QMap<QString, QVariant>& values) {
    Rows found = execute(text, values);
    if (found.values.empty()) {
        return false;
    }
    takeRows(std::move(found));
    return true;
}

void DataSet::failStatement(std::unique_ptr<QSqlQuery> statement) {
    const QString error = errorText(statement->lastError());
    // A statement cut at the end of its action says so, not only what the driver saw.
    const QString what =
        ActionDeadline::over() ? actionOverText() + QStringLiteral(": ") + error : error;
    statement.reset();
    if (Connection* kept = keptConnection()) {
        kept->close();
    }
    fail(what);
}

QStringList DataSet::fieldNames() const {
    QStringList names;
    for (int i = 0; i < m_rows.columns.count(); ++i) {
        names << m_rows.columns.fieldName(i);
    }
    return names;
}

bool DataSet::hasField(const QString& name) const {
    return m_rows.columns.indexOf(name) >= 0;
}

QVariant DataSet::value(const QString& name) const {
    if (!m_open) {
        fail(QStringLiteral("read of column %1 while closed").arg(name));
    }
    const int index = m_rows.columns.indexOf(name);
    if (index < 0) {
        fail(QStringLiteral("no column %1").arg(name));
    }
    if (eof()) {
        fail(QStringLiteral("read of column %1 with no current row").arg(name));
    }
    return m_rows.values[m_row].value(index);
}

bool DataSet::isNull(const QString& name) const {
    return value(name).isNull();
}

QString DataSet::fieldText(const QString& name) const {
    const QVariant v = value(name);
    if (v.isNull()) {
        return {};
    }
    if (v.typeId() == QMetaType::QByteArray) {
        return QString::fromUtf8(v.toByteArray());
    }
    return v.toString();
}

int DataSet::fieldInteger(const QString& name) const {
    const QVariant v = value(name);
    if (v.isNull()) {
        return 0;
    }
    const std::optional<double> number = numberOf(v);
    if (!number || !std::isfinite(*number) || *number < std::numeric_limits<int>::min() ||
        *number > std::numeric_limits<int>::max()) {
        fail(QStringLiteral("column %1: \"%2\" is not an integer").arg(name, v.toString()));
    }
    return static_cast<int>(std::lround(*number));
}

double DataSet::fieldFloat(const QString& name) const {
    const QVariant v = value(name);
    if (v.isNull()) {
        return 0.0;
    }
    const std::optional<double> number = numberOf(v);
    if (!number) {
        fail(QStringLiteral("column %1: \"%2\" is not a number").arg(name, v.toString()));
    }
    return *number;
}

bool DataSet::fieldBoolean(const QString& name) const {
    const QVariant v = value(name);
    if (v.isNull()) {
        return false;
    }
    if (v.typeId() == QMetaType::Bool) {
        return v.toBool();
    }
    if (!isTextual(v)) {
        bool ok = false;
        const double number = v.toDouble(&ok);
        if (ok) {
            return number != 0.0;
        }
    }
    const QString text = v.toString().trimmed().toLower();
    if (text == QStringLiteral("1") || text == QStringLiteral("true") ||
        text == QStringLiteral("t")) {
        return true;
    }
    if (text == QStringLiteral("0") || text == QStringLiteral("false") ||
        text == QStringLiteral("f")) {
        return false;
    }
    fail(QStringLiteral("column %1: \"%2\" is not a Boolean").arg(name, v.toString()));
}

QDateTime DataSet::fieldDateTime(const QString& name) const {
    const QVariant v = value(name);
    if (v.isNull()) {
        return dayZero();
    }
    if (v.typeId() == QMetaType::QDateTime) {
        return v.toDateTime();
    }
    if (v.typeId() == QMetaType::QDate) {
        return v.toDate().startOfDay();
    }
    const QDateTime parsed = parseDateTime(v.toString());
    if (!parsed.isValid()) {
        fail(QStringLiteral("column %1: \"%2\" is not a date").arg(name, v.toString()));
    }
    return parsed;
}

QByteArray DataSet::fieldBlob(const QString& name) const {
    const QVariant v = value(name);
    return v.isNull() ? QByteArray() : v.toByteArray();
}

QDateTime DataSet::dayZero() {
    return QDate(1899, 12, 30).startOfDay();
}

void DataSet::fail(const QString& what) const {
    throw DatabaseError((describe() + QStringLiteral(": ") + what).toStdString());
}

// ---- TableDataSet ----

QString TableDataSet::columnList() const {
    return m_columns.isEmpty() ? QStringLiteral("*") : m_columns.join(QStringLiteral(", "));
}

QString TableDataSet::selectText() const {
    return QStringLiteral("SELECT %1 FROM %2").arg(columnList(), m_table);
}

void TableDataSet::validate() {
    if (!isIdentifier(m_table)) {
        fail(QStringLiteral("not a table name"));
    }
    if (m_checkedGeneration == connectionGeneration()) {
        return;
    }
    const QSqlRecord record =
        execute(QStringLiteral("SELECT * FROM %1 WHERE 1 = 0").arg(m_table), {}).columns;
    for (const QString& column : m_columns) {
        if (!isIdentifier(column) || record.indexOf(column) < 0) {
            fail(QStringLiteral("missing column %1").arg(column));
        }
    }
    m_checkedGeneration = connectionGeneration();
}

bool TableDataSet::locate(const QString& column, const QVariant& value) {
    if (!isOpen()) {
        fail(QStringLiteral("locate on a closed table"));
    }
    if (!isIdentifier(column)) {
        fail(QStringLiteral("not a column name: %1").arg(column));
    }
    return runLookup(
        QStringLiteral("SELECT %1 FROM %2 WHERE %3 = :located").arg(columnList(), m_table, column),
        {{QStringLiteral(":located"), value}});
}

QString TableDataSet::describe() const {
    return QStringLiteral("table %1").arg(m_table);
}

// ---- QueryDataSet, CommandDataSet ----

QString QueryDataSet::selectText() const {
    return m_lines.join(QLatin1Char('\n'));
}

QString QueryDataSet::describe() const {
    return QStringLiteral("query \"%1\"").arg(m_lines.join(QLatin1Char(' ')).simplified().left(60));
}

QString CommandDataSet::describe() const {
    return QStringLiteral("command \"%1\"").arg(m_text.simplified().left(60));
}
