#include "Database.h"

#include "DataLink.h"
#include "DemoData.h"
#include "OwnSystemFiles.h"
#include "Schema.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>
#include <mutex>
#include <thread>

namespace {

// One pair of demo databases for the whole suite, reached through two drivers: Qt's own SQLite
// driver and the SQLite ODBC driver. Both must give the same answers.
class DemoFolder {
public:
    static DemoFolder& instance() {
        static DemoFolder folder;
        return folder;
    }
    QString path(const QString& name) const { return QDir(m_dir.path()).filePath(name); }
    QString connectionString(const QString& udl) const {
        return platform::dataLinkConnectionString(m_dir.path(), udl);
    }

private:
    DemoFolder() {
        demo::Options options;
        options.members = 60;
        demo::writeDemoDatabases(m_dir.path(), options);
        demo::writeDataLinkFile(
            path("PalendraOdbc.udl"),
            "Provider=MSDASQL.1;Extended Properties=\"DRIVER={SQLite3};Database=" +
                path("palendra.db") + "\"");
        demo::writeDataLinkFile(
            path("QuorvelOdbc.udl"),
            "Provider=MSDASQL.1;Extended Properties=\"DRIVER={SQLite3};Database=" +
                path("quorvel.db") + "\"");
    }
    QTemporaryDir m_dir;
};

struct Provider {
    const char* label;
    const char* palendra;
    const char* quorvel;
};

class DataAccess : public ::testing::TestWithParam<Provider> {
protected:
    void SetUp() override {
        DemoFolder& folder = DemoFolder::instance();
        palendra = std::make_unique<Connection>(folder.connectionString(GetParam().palendra));
        quorvel = std::make_unique<Connection>(folder.connectionString(GetParam().quorvel));
        palendra->open();
        quorvel->open();
    }

    std::unique_ptr<Connection> palendra;
    std::unique_ptr<Connection> quorvel;
};

// A socket of the test's own on 127.0.0.1, closed with the object.
class LocalSocket {
public:
    LocalSocket(int type, int port) {
        m_descriptor = ::socket(AF_INET, type | SOCK_NONBLOCK, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (::bind(m_descriptor, reinterpret_cast<const sockaddr*>(&address), length) != 0 ||
            (type == SOCK_STREAM && ::listen(m_descriptor, 4) != 0) ||
            ::getsockname(m_descriptor, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            ADD_FAILURE() << "port " << port << " of 127.0.0.1 cannot be taken";
        }
        m_port = ntohs(address.sin_port);
    }
    ~LocalSocket() { ::close(m_descriptor); }
    LocalSocket(const LocalSocket&) = delete;
    LocalSocket& operator=(const LocalSocket&) = delete;

    int descriptor() const { return m_descriptor; }
    int port() const { return m_port; }
    // A listening socket: whether a connection has come.
    bool reached() const { return ::accept(m_descriptor, nullptr, nullptr) >= 0; }

private:
    int m_descriptor = -1;
    int m_port = 0;
};

// The SQL Server Browser of 127.0.0.1 (UDP 1434): answers each request with these records, or
// keeps silent when there are none, as a browser behind a firewall does.
class BrowserService {
public:
    explicit BrowserService(const QByteArray& records)
        : m_thread([this, records](const std::stop_token& stop) { serve(stop, records); }) {}
    QByteArray requests() const {
        const std::scoped_lock lock(m_mutex);
        return m_requests;
    }

private:
    void serve(const std::stop_token& stop, const QByteArray& records) {
        while (!stop.stop_requested()) {
            pollfd readable{m_socket.descriptor(), POLLIN, 0};
            if (::poll(&readable, 1, 20) <= 0) {
                continue;
            }
            char request[512];
            sockaddr_in from{};
            socklen_t length = sizeof from;
            const ssize_t count = ::recvfrom(m_socket.descriptor(), request, sizeof request, 0,
                                             reinterpret_cast<sockaddr*>(&from), &length);
            {
                const std::scoped_lock lock(m_mutex);
                m_requests.append(request, std::max<ssize_t>(count, 0));
            }
            if (!records.isEmpty()) {
                const QByteArray reply = QByteArray("\x05") +
                                         static_cast<char>(records.size() & 0xFF) +
                                         static_cast<char>(records.size() >> 8) + records;
                ::sendto(m_socket.descriptor(), reply.constData(), reply.size(), 0,
                         reinterpret_cast<const sockaddr*>(&from), length);
            }
        }
    }

    LocalSocket m_socket{SOCK_DGRAM, 1434};
    mutable std::mutex m_mutex;
    QByteArray m_requests;
    std::jthread m_thread; // started last
};

std::string errorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const DatabaseError& error) {
        return error.what();
    }
    return "no error";
}

} // namespace

TEST_P(DataAccess, SettingsTableReadsTypedValues) {
    TableDataSet settings;
    settings.setConnection(palendra.get());
    settings.setTableName("Secvar");
    settings.setDeclaredColumns(schema::columnRange("Secvar", "ACADEMIA", "Tec12USB"));
    settings.open();
    ASSERT_FALSE(settings.eof());
    EXPECT_EQ(settings.fieldText("ACADEMIA"), "Academia Corpo & Movimento");
    EXPECT_EQ(settings.fieldText("path_exercicio"), "Não");
    EXPECT_EQ(settings.fieldText("PORTA_IMP"), "TKT");
    EXPECT_EQ(settings.fieldInteger("ESPACO"), 3);
    EXPECT_EQ(settings.fieldInteger("TEMPO_REAVALIACAO"), 3); // a text column read as a number
    EXPECT_EQ(settings.fieldInteger("VELOCIDADE"), 9600);
    EXPECT_FALSE(settings.fieldBoolean("POR_CODIGO_APARELHO"));
    EXPECT_TRUE(settings.isNull("LOGOACADEMIA1"));
    EXPECT_TRUE(settings.fieldBlob("LOGOACADEMIA1").isEmpty());
    EXPECT_NE(errorOf([&] { settings.fieldInteger("ACADEMIA"); }).find("ACADEMIA"),
              std::string::npos);
    EXPECT_NE(errorOf([&] { settings.fieldText("NO_SUCH_COLUMN"); }).find("NO_SUCH_COLUMN"),
              std::string::npos);
    settings.next();
    EXPECT_TRUE(settings.eof());
    EXPECT_NE(errorOf([&] { settings.fieldText("ACADEMIA"); }), "no error");
    settings.first();
    EXPECT_EQ(settings.fieldText("ACADEMIA"), "Academia Corpo & Movimento");
    settings.close();
    EXPECT_FALSE(settings.isOpen());
    EXPECT_NE(errorOf([&] { settings.fieldText("ACADEMIA"); }), "no error");
}

TEST_P(DataAccess, TableOpensOnlyWithEveryDeclaredColumn) {
    TableDataSet settings;
    settings.setConnection(palendra.get());
    settings.setTableName("SECVAR");
    settings.setDeclaredColumns({"ACADEMIA", "CAPTURA_WEBX"});
    const std::string error = errorOf([&] { settings.open(); });
    EXPECT_NE(error.find("CAPTURA_WEBX"), std::string::npos) << error;
    EXPECT_FALSE(settings.isOpen());

    TableDataSet missing;
    missing.setConnection(palendra.get());
    missing.setTableName("ALUNOSATIVOS"); // only the member database has it
    EXPECT_NE(errorOf([&] { missing.open(); }).find("ALUNOSATIVOS"), std::string::npos);

    TableDataSet hostile;
    hostile.setConnection(palendra.get());
    hostile.setTableName("Secvar; DROP TABLE Usuarios");
    EXPECT_NE(errorOf([&] { hostile.open(); }), "no error");
}

TEST_P(DataAccess, LocateFindsExactEnrolmentNumbersOnly) {
    TableDataSet members;
    members.setConnection(quorvel.get());
    members.setTableName("ALUNOSATIVOS");
    members.setDeclaredColumns({"MATRICULA", "NOME"});
    members.open();
    const QString first = members.fieldText("MATRICULA");
    members.next();
    const QString second = members.fieldText("MATRICULA");
    const QString secondName = members.fieldText("NOME");

    ASSERT_TRUE(members.locate("MATRICULA", second));
    EXPECT_EQ(members.fieldText("NOME"), secondName);
    // A miss keeps the row the data set stood on.
    EXPECT_FALSE(members.locate("matricula", QString::number(second.toInt()))); // no leading zeros
    ASSERT_FALSE(members.eof());
    EXPECT_EQ(members.fieldText("NOME"), secondName);
    EXPECT_FALSE(members.locate("MATRICULA", "0' OR '1'='1"));
    EXPECT_EQ(members.fieldText("MATRICULA"), second);
    members.next();
    EXPECT_TRUE(members.eof()); // the located row was the only one the lookup held
    members.requery();
    EXPECT_EQ(members.fieldText("MATRICULA"), first);
}

// Members and operators are only looked up by key: opening such a table reads none of its rows,
// and no statement stays open between look-ups, so a SQLite back office can still write while the
// kiosk is open. The guarded view fails on any row read but the one looked up.
TEST_P(DataAccess, LookUpTablesReadNoRowAtOpenAndLeaveNoStatementOpen) {
    const QString member = demo::enrolmentOf(7);
    {
        QSqlDatabase writer = QSqlDatabase::addDatabase("QSQLITE", "writer");
        writer.setDatabaseName(DemoFolder::instance().path("quorvel.db"));
        ASSERT_TRUE(writer.open());
        QSqlQuery(writer).exec(
            "CREATE VIEW IF NOT EXISTS ALUNOS_VIGIADOS AS SELECT MATRICULA, CASE WHEN MATRICULA = "
            "'" +
            member + "' THEN NOME ELSE json('a row read at open') END AS NOME FROM ALUNOS");
    }
    QSqlDatabase::removeDatabase("writer");
    KeyedTable members;
    members.keepConnection(quorvel.get());
    members.setTableName("ALUNOS_VIGIADOS");
    members.setDeclaredColumns({"MATRICULA", "NOME"});
    members.open();
    EXPECT_TRUE(members.eof());
    ASSERT_TRUE(members.locate("MATRICULA", member));
    EXPECT_FALSE(members.fieldText("NOME").isEmpty());

    TableDataSet settings;
    settings.setConnection(palendra.get());
    settings.setTableName("Secvar");
    settings.open();
    for (const char* database : {"quorvel.db", "palendra.db"}) {
        QSqlDatabase writer = QSqlDatabase::addDatabase("QSQLITE", "writer");
        writer.setDatabaseName(DemoFolder::instance().path(database));
        ASSERT_TRUE(writer.open());
        QSqlQuery update(writer);
        EXPECT_TRUE(
            update.exec(database == QString("quorvel.db")
                            ? "UPDATE ALUNOS SET NOME = NOME WHERE MATRICULA = '" + member + "'"
                            : "UPDATE Secvar SET ACADEMIA = ACADEMIA"))
            << database << ": " << update.lastError().text().toStdString();
        writer.close();
        writer = {};
        QSqlDatabase::removeDatabase("writer");
    }
    EXPECT_EQ(settings.fieldText("PORTA_IMP"), "TKT");
    EXPECT_EQ(members.fieldText("MATRICULA"), member);
}

// The kiosk's look-ups keep one connection; when a statement of one of them fails, the connection
// is dropped and opened again. The others' statements of the dropped connection are dead handles
// that must never run again: on the new connection each look-up succeeds the first time.
TEST_P(DataAccess, LookUpsKeepServingOnAConnectionReplacedUnderThem) {
    TableDataSet members;
    members.keepConnection(quorvel.get());
    members.setTableName("ALUNOSATIVOS");
    members.setDeclaredColumns({"MATRICULA", "NOME"});
    members.open();
    members.next();
    const QString second = members.fieldText("MATRICULA");
    ASSERT_TRUE(members.locate("MATRICULA", second));

    CommandDataSet broken;
    broken.keepConnection(quorvel.get());
    broken.setCommandText("SELECT NO_SUCH_COLUMN FROM ALUNOSATIVOS");
    EXPECT_THROW(broken.open(), DatabaseError);
    EXPECT_EQ(members.fieldText("MATRICULA"), second); // rows read stay readable

    ASSERT_TRUE(members.locate("MATRICULA", second));
    const int generation = quorvel->generation();
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(members.locate("MATRICULA", second));
        members.first();
        members.next();
    }
    EXPECT_EQ(quorvel->generation(), generation) << "the connection was replaced again";
}

TEST_P(DataAccess, RequerySeesTheTableAnew) {
    TableDataSet members;
    members.setConnection(quorvel.get());
    members.setTableName("ALUNOS");
    members.open();
    const QString first = members.fieldText("MATRICULA");
    members.next();
    members.next();
    members.requery();
    EXPECT_EQ(members.fieldText("MATRICULA"), first);
    EXPECT_THROW(TableDataSet().requery(), DatabaseError);
}

TEST_P(DataAccess, QueryTakesTheLatestPrescriptionInOrder) {
    // A member whose workout A was prescribed on two dates.
    QueryDataSet candidates;
    candidates.setConnection(palendra.get());
    candidates.sql() << "SELECT MATRICULA, MIN(DATA) AS OLDEST, MAX(DATA) AS NEWEST FROM TREINO"
                     << "WHERE TREINO = :LETRA GROUP BY MATRICULA HAVING COUNT(DISTINCT DATA) > 1";
    candidates.setParameter("LETRA", "A");
    candidates.open();
    ASSERT_FALSE(candidates.eof()) << "the demo data should hold a member with two prescriptions";
    const QString enrolment = candidates.fieldText("MATRICULA");
    const QDateTime newest = candidates.fieldDateTime("NEWEST");
    ASSERT_LT(candidates.fieldDateTime("OLDEST"), newest);

    QueryDataSet exercises;
    exercises.setConnection(palendra.get());
    exercises.sql() << "SELECT A.MATRICULA, A.CODIGO_EXERCICIO, C.DESCRICAO AS EXERCICIO, "
                       "A.PROFESSOR, A.ORDEM, A.DATA, A.DOM, C.APARELHO "
                    << "FROM TREINO A, EXERCICIOS C "
                    << "WHERE (A.CODIGO_EXERCICIO = C.CODIGO   ) AND"
                    << "      (A.MATRICULA        = :JMATRICULA) AND"
                    << "      (A.TREINO           = :JTREINO   ) AND "
                    << "      (DATA IN (SELECT MAX(DATA) FROM TREINO WHERE (MATRICULA = "
                       ":MMATRICULA) AND (TREINO = :MTREINO)))"
                    << "ORDER BY A.ORDEM";
    exercises.setParameter("JMATRICULA", enrolment);
    exercises.setParameter("MMATRICULA", enrolment);
    exercises.setParameter("JTREINO", "A");
    exercises.setParameter("MTREINO", "A");
    exercises.open();
    int rows = 0;
    int lastOrder = 0;
    for (; !exercises.eof(); exercises.next(), ++rows) {
        EXPECT_EQ(exercises.fieldDateTime("DATA"), newest);
        EXPECT_GT(exercises.fieldInteger("ORDEM"), lastOrder);
        lastOrder = exercises.fieldInteger("ORDEM");
        EXPECT_FALSE(exercises.fieldText("EXERCICIO").isEmpty());
        exercises.fieldBoolean("DOM");
    }
    EXPECT_GE(rows, 4);
}

TEST_P(DataAccess, CommandReadsPhotosAndNullPhotos) {
    CommandDataSet photos;
    photos.setConnection(quorvel.get());
    photos.setCommandText("SELECT * FROM FotosAlunos WHERE MATRICULA = :MATRICULA");
    int jpegs = 0;
    int nulls = 0;
    int missing = 0;
    for (int n = 1; n <= 60; ++n) {
        photos.close();
        photos.setParameter("MATRICULA", demo::enrolmentOf(n));
        photos.open();
        if (photos.eof()) {
            ++missing;
        } else if (photos.isNull("FOTO1")) {
            ++nulls;
        } else {
            const QByteArray jpeg = photos.fieldBlob("FOTO1");
            EXPECT_TRUE(jpeg.startsWith("\xFF\xD8\xFF")) << n;
            ++jpegs;
        }
    }
    EXPECT_GT(jpegs, 40);
    EXPECT_GT(nulls + missing, 0);
}

INSTANTIATE_TEST_SUITE_P(BothDrivers, DataAccess,
                         ::testing::Values(Provider{"sqlite", "Palendra.udl", "Quorvel.udl"},
                                           Provider{"odbc", "PalendraOdbc.udl", "QuorvelOdbc.udl"}),
                         [](const auto& paramInfo) { return std::string(paramInfo.param.label); });

TEST(DataAccessOwnConnection, CommandWithItsOwnConnectionString) {
    CommandDataSet staff;
    staff.setConnectionString(DemoFolder::instance().connectionString("Quorvel.udl"));
    staff.setCommandText("SELECT nome FROM FUNCIONARIOS WHERE MATRICULA = :M");
    staff.setParameter("M", "0000000901");
    staff.open();
    ASSERT_FALSE(staff.eof());
    EXPECT_EQ(staff.fieldText("NOME"), "Ricardo Prado");
    staff.close();
    staff.setParameter("M", "0000000999");
    staff.open();
    EXPECT_TRUE(staff.eof());
}

TEST(DataAccessValues, NullsReadAsZeroAndBadValuesRaise) {
    QTemporaryDir dir;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "values-writer");
        db.setDatabaseName(dir.filePath("values.db"));
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec("CREATE TABLE V (T VARCHAR(10), N INTEGER, D TIMESTAMP, B BOOLEAN, F "
                           "DOUBLE PRECISION)"));
        ASSERT_TRUE(q.exec("INSERT INTO V VALUES (NULL, NULL, NULL, NULL, NULL)"));
        ASSERT_TRUE(q.exec("INSERT INTO V VALUES ('x1', 'abc', 'not a date', 'maybe', '1,5')"));
        ASSERT_TRUE(q.exec("INSERT INTO V VALUES (' 42 ', 7, '2026-03-02 08:15:00', 1, 2.5)"));
        db.close();
    }
    QSqlDatabase::removeDatabase("values-writer");
    demo::writeDataLinkFile(dir.filePath("V.udl"), "Provider=SQLite;Data Source=values.db");
    Connection connection(platform::dataLinkConnectionString(dir.path(), "V.udl"));
    connection.open();
    TableDataSet values;
    values.setConnection(&connection);
    values.setTableName("V");
    values.open();

    EXPECT_TRUE(values.isNull("T"));
    EXPECT_EQ(values.fieldText("T"), "");
    EXPECT_EQ(values.fieldInteger("N"), 0);
    EXPECT_EQ(values.fieldFloat("F"), 0.0);
    EXPECT_FALSE(values.fieldBoolean("B"));
    EXPECT_EQ(values.fieldDateTime("D"), QDateTime(QDate(1899, 12, 30), QTime(0, 0)));

    values.next();
    EXPECT_THROW(values.fieldInteger("N"), DatabaseError);
    EXPECT_THROW(values.fieldInteger("T"), DatabaseError);
    EXPECT_THROW(values.fieldDateTime("D"), DatabaseError);
    EXPECT_THROW(values.fieldBoolean("B"), DatabaseError);
    EXPECT_THROW(values.fieldFloat("F"), DatabaseError);

    values.next();
    EXPECT_EQ(values.fieldInteger("T"), 42);
    EXPECT_EQ(values.fieldInteger("N"), 7);
    EXPECT_EQ(values.fieldDateTime("D"), QDateTime(QDate(2026, 3, 2), QTime(8, 15)));
    EXPECT_TRUE(values.fieldBoolean("B"));
    EXPECT_DOUBLE_EQ(values.fieldFloat("F"), 2.5);
}

TEST(DataAccessFailures, ConnectionsFailWithAClearError) {
    QTemporaryDir dir;
    Connection missingFile(platform::dataLinkConnectionString(dir.path(), "Palendra.udl"));
    EXPECT_NE(errorOf([&] { missingFile.open(); }).find("Palendra.udl"), std::string::npos);

    // SQLite is opened read-only: a database file that is not there is not created.
    demo::writeDataLinkFile(dir.filePath("Gone.udl"), "Provider=SQLite;Data Source=gone.db");
    Connection gone(platform::dataLinkConnectionString(dir.path(), "Gone.udl"));
    EXPECT_NE(errorOf([&] { gone.open(); }), "no error");
    EXPECT_FALSE(QFile::exists(dir.filePath("gone.db")));
    EXPECT_FALSE(gone.isOpen());

    // Nothing listens on port 1: both server drivers must give up quickly.
    demo::writeDataLinkFile(
        dir.filePath("Pg.udl"),
        "Provider=MSDASQL;Extended Properties=\"DRIVER={PostgreSQL Unicode};SERVER=127.0.0.1;"
        "PORT=1;DATABASE=x;UID=x;PWD=x\"");
    demo::writeDataLinkFile(
        dir.filePath("Tds.udl"),
        "Provider=SQLOLEDB.1;User ID=sa;Password=x;Initial Catalog=x;Data Source=127.0.0.1,1");
    for (const char* udl : {"Pg.udl", "Tds.udl"}) {
        Connection server(platform::dataLinkConnectionString(dir.path(), udl));
        QElapsedTimer timer;
        timer.start();
        EXPECT_NE(errorOf([&] { server.open(); }).find(udl), std::string::npos) << udl;
        EXPECT_LT(timer.elapsed(), 15000) << udl;
    }

    TableDataSet unconnected;
    unconnected.setTableName("Secvar");
    EXPECT_NE(errorOf([&] { unconnected.open(); }), "no error");
    Connection closed(platform::dataLinkConnectionString(dir.path(), "Gone.udl"));
    unconnected.setConnection(&closed);
    EXPECT_NE(errorOf([&] { unconnected.open(); }), "no error");
}

// A SQL Server named instance with no port: the instance's port is asked of the server's browser
// service within the bound of connecting, and the driver is handed the port it names.
TEST(DataAccessFailures, NamedInstanceIsFoundOrGivenUpWithinTheBoundOfConnecting) {
    QTemporaryDir dir;
    demo::writeDataLinkFile(dir.filePath("Named.udl"),
                            "Provider=SQLOLEDB.1;User ID=sa;Password=x;Initial Catalog=x;"
                            "Data Source=127.0.0.1\\PALENDRA");
    Connection named(platform::dataLinkConnectionString(dir.path(), "Named.udl"));
    QElapsedTimer timer;
    {
        const BrowserService silent({});
        timer.start();
        EXPECT_NE(errorOf([&] { named.open(); }).find("Named.udl"), std::string::npos);
        EXPECT_LT(timer.elapsed(), 3000);
        RecordProperty("silent_browser_ms", static_cast<int>(timer.elapsed()));
        EXPECT_TRUE(silent.requests().startsWith(QByteArray("\x04PALENDRA\0", 10)));
    }

    // The instance's port takes the connection but never answers the login.
    const LocalSocket instance(SOCK_STREAM, 0);
    const QByteArray record = "ServerName;DB;InstanceName;%1;IsClustered;No;Version;16.0.1000.6;"
                              "tcp;%2;;";
    const BrowserService browser(QByteArray(record).replace("%1", "OUTRA").replace("%2", "1") +
                                 QByteArray(record)
                                     .replace("%1", "PALENDRA")
                                     .replace("%2", QByteArray::number(instance.port())));
    timer.restart();
    EXPECT_NE(errorOf([&] { named.open(); }).find("Named.udl"), std::string::npos);
    EXPECT_LT(timer.elapsed(), 3000);
    RecordProperty("unanswered_login_ms", static_cast<int>(timer.elapsed()));
    EXPECT_TRUE(instance.reached());
}

// A DSN's server is looked up within the bound of connecting too: a name that the DNS server never
// answers for is given up in time, and a DSN's host name is reached by its address.
TEST(DataAccessFailures, DataSourceServerIsLookedUpWithinTheBoundOfConnecting) {
    if (!inOwnSystemFiles({{"resolv.conf", "nameserver 127.0.0.1\n"}})) {
        return;
    }
    const LocalSocket silentDns(SOCK_DGRAM, 53);
    const LocalSocket server(SOCK_STREAM, 0); // takes the connection, never answers the login
    const OwnOdbcIni ini("[Silent]\nDriver=PostgreSQL Unicode\nServername=palendra.example\n"
                         "Database=x\n"
                         "[Tds]\nDriver=FreeTDS\nServer=localhost\nPort=" +
                         QByteArray::number(server.port()) + "\n");
    QTemporaryDir dir;
    demo::writeDataLinkFile(dir.filePath("Silent.udl"), "Provider=MSDASQL;Data Source=Silent");
    demo::writeDataLinkFile(dir.filePath("Tds.udl"),
                            "Provider=MSDASQL;Extended Properties=\"DSN=Tds;UID=sa;PWD=x\"");
    for (const char* udl : {"Silent.udl", "Tds.udl"}) {
        Connection connection(platform::dataLinkConnectionString(dir.path(), udl));
        QElapsedTimer timer;
        timer.start();
        const std::string error = errorOf([&] { connection.open(); });
        EXPECT_NE(error.find(udl), std::string::npos) << error;
        EXPECT_LT(timer.elapsed(), 3000) << error;
        if (udl == std::string("Silent.udl")) {
            EXPECT_NE(error.find("palendra.example"), std::string::npos) << error;
        }
    }
    EXPECT_TRUE(server.reached());
}
