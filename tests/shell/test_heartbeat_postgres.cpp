// The heartbeat against a real database server that goes away and comes back: a PostgreSQL server
// of the test's own, reached through its ODBC driver as a data-link file with Provider=MSDASQL,
// directly or through a relay that swallows the packets for a while.
#include "AboutWindow.h"
#include "CallWatch.h"
#include "DemoData.h"
#include "KioskWindow.h"
#include "MainWindow.h"
#include "MessageBox.h"
#include "PostgresServer.h"
#include "Recorders.h"
#include "Schema.h"
#include "TcpRelay.h"
#include "TerminalApplication.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTimer>

#include <gtest/gtest.h>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <algorithm>
#include <functional>
#include <memory>

namespace {

const QString databaseMessage = QStringLiteral("Entre em contato com Assistência Técnica !\r "
                                               "Problema no Banco de Dados ou não está Ativo !\n\r"
                                               "Problema na Rede ou não está Ativa !");

void execute(QSqlDatabase& db, const QString& statement) {
    QSqlQuery query(db);
    if (!query.exec(statement)) {
        throw std::runtime_error(
            (statement + QStringLiteral(": ") + query.lastError().text()).toStdString());
    }
}

// The Palendra tables with a settings row and one operator.
void createPalendra(const QString& odbc) {
    const QString name = QStringLiteral("test-postgres-setup");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), name);
        db.setDatabaseName(odbc);
        if (!db.open()) {
            throw std::runtime_error(db.lastError().text().toStdString());
        }
        for (const schema::Table* table : schema::tablesOf(schema::Database::Palendra)) {
            for (const QString& statement :
                 schema::createTableSql(*table, schema::Dialect::PostgreSQL)) {
                execute(db, statement);
            }
        }
        execute(
            db,
            QStringLiteral(
                "INSERT INTO Secvar (ACADEMIA, ENDERACADEMIA, COMPLEMENTO1, CNPJCPF, CAPTURA_WEB, "
                "PATH_EXERCICIO) VALUES ('Academia Pulso', 'Rua Um, 10', 'Centro', "
                "'11.222.333/0001-44', 'Não', 'Não')"));
        execute(db, QStringLiteral("INSERT INTO Usuarios (CODIGO, NOME, SENHA, IMP_SERIE_40) "
                                   "VALUES ('AD', 'Administrador', 'ADM123', 'Sim')"));
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

// Answers every message box, letting the test act on the n-th one.
class MessageScript {
public:
    explicit MessageScript(std::function<void(int)> onMessage)
        : m_onMessage(std::move(onMessage))
        , m_backends([this](platform::Backends& backends) {
            backends.presentMessage = [this](const platform::Message& message) {
                texts << message.text;
                m_onMessage(static_cast<int>(texts.size()));
                return static_cast<int>(platform::IdOk);
            };
        }) {}
    MessageScript(const MessageScript&) = delete;
    MessageScript& operator=(const MessageScript&) = delete;

    QStringList texts;

private:
    std::function<void(int)> m_onMessage;
    TestBackends m_backends;
};

class HeartbeatPostgresTest : public ::testing::Test {
protected:
    void SetUp() override {
        const QString reason = PostgresServer::unavailableReason();
        if (!reason.isEmpty()) {
            GTEST_SKIP() << reason.toStdString();
        }
        server.create(QStringLiteral("palendra"));
        createPalendra(server.odbcConnectionString());
        createMainWindow(openWayToServer());
    }
    // Opens the way the terminal reaches the server; returns its port of 127.0.0.1.
    virtual int openWayToServer() { return server.port(); }
    void createMainWindow(int port) {
        const QString link = QStringLiteral("Provider=MSDASQL;Extended Properties=\"%1\"")
                                 .arg(server.odbcConnectionString(port));
        demo::writeDataLinkFile(QDir(links.path()).filePath(QStringLiteral("Palendra.udl")), link);
        demo::writeDataLinkFile(QDir(links.path()).filePath(QStringLiteral("Quorvel.udl")), link);
        shell::clearTermination();
        main = std::make_unique<MainWindow>(links.path(), openExerciseSheet);
        main->clockTimer->stop();
    }
    void TearDown() override {
        main.reset();
        shell::clearTermination();
    }

    PostgresServer server;
    QTemporaryDir links;
    std::unique_ptr<MainWindow> main;
};

TEST_F(HeartbeatPostgresTest, ServerGoneIsReportedAndTriedUntilItAnswers) {
    MessageScript script([this](int count) {
        if (count == 3) {
            server.start(); // back after the second failed reconnection
        }
    });
    main->show();
    ASSERT_TRUE(script.texts.isEmpty()) << script.texts.join(QLatin1Char('|')).toStdString();
    main->tick();
    EXPECT_TRUE(script.texts.isEmpty());

    main->mdiArea->addSubWindow(new QWidget)->show();
    server.stop();
    QElapsedTimer elapsed;
    elapsed.start();
    main->tick();
    // One message for the heartbeat, one per failed try, then the clock runs again.
    EXPECT_EQ(script.texts, QStringList({databaseMessage, databaseMessage, databaseMessage}));
    EXPECT_TRUE(main->clockTimer->isActive());
    EXPECT_TRUE(main->mdiArea->subWindowList().isEmpty());
    EXPECT_LT(elapsed.elapsed(), 30000);

    script.texts.clear();
    main->tick();
    main->tick();
    EXPECT_TRUE(script.texts.isEmpty());
}

TEST_F(HeartbeatPostgresTest, ServerDyingUnderAModalWindowIsCaughtByTheRunningClock) {
    bool aboutStillOpenAfterRecovery = false;
    MessageScript script([&](int count) {
        if (count == 2) {
            server.start();
            QTimer::singleShot(0, [&] {
                if (auto* about = dynamic_cast<AboutWindow*>(QApplication::activeModalWidget())) {
                    aboutStillOpenAfterRecovery = true;
                    about->close();
                }
            });
        }
    });
    main->show();
    ASSERT_TRUE(script.texts.isEmpty());
    main->clockTimer->start(); // the real one-second clock

    QTimer::singleShot(50, [this] { server.stop(); });
    // Whatever happens, the about window does not stay open for ever.
    QTimer::singleShot(40000, [] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            modal->close();
        }
    });
    main->aboutAction->trigger();
    EXPECT_EQ(script.texts, QStringList({databaseMessage, databaseMessage}));
    EXPECT_TRUE(aboutStillOpenAfterRecovery);
    EXPECT_TRUE(main->clockTimer->isActive());
    EXPECT_TRUE(main->trainingDb.isOpen());
}

// ---- Time limits of the connections ----

TEST_F(HeartbeatPostgresTest, StatementTheServerTakesTooLongOverIsCancelledAndTheConnectionLives) {
    main->show();
    CommandDataSet slow;
    slow.setConnection(&main->trainingDb);
    slow.setCommandText(QStringLiteral("SELECT pg_sleep(10)"));
    QElapsedTimer elapsed;
    elapsed.start();
    EXPECT_THROW(slow.open(), DatabaseError);
    EXPECT_LT(elapsed.elapsed(), databaseCallLimit.count());
    // Cancelled by the statement time-out, not cut: the connection still answers.
    CommandDataSet quick;
    quick.setConnection(&main->trainingDb);
    quick.setCommandText(QStringLiteral("SELECT ACADEMIA FROM Secvar"));
    quick.open();
    EXPECT_EQ(quick.fieldText(QStringLiteral("ACADEMIA")), QStringLiteral("Academia Pulso"));
}

TEST_F(HeartbeatPostgresTest, ConnectionsToTheServerSendKeepAlives) {
    main->show();
    int checked = 0;
    for (const platform::TcpSocket& socket : platform::tcpSockets()) {
        sockaddr_in peer{};
        socklen_t length = sizeof peer;
        getpeername(socket.descriptor, reinterpret_cast<sockaddr*>(&peer), &length);
        if (ntohs(peer.sin_port) != server.port()) {
            continue;
        }
        int keepAlive = 0;
        int idle = 0;
        socklen_t size = sizeof keepAlive;
        getsockopt(socket.descriptor, SOL_SOCKET, SO_KEEPALIVE, &keepAlive, &size);
        size = sizeof idle;
        getsockopt(socket.descriptor, IPPROTO_TCP, TCP_KEEPIDLE, &idle, &size);
        EXPECT_EQ(keepAlive, 1);
        EXPECT_EQ(idle, 5);
        ++checked;
    }
    EXPECT_EQ(checked, 2); // Palendra and Quorvel
}

// ---- A network that swallows the packets ----

void runEventsFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

class HeartbeatBlackHoleTest : public HeartbeatPostgresTest {
protected:
    int openWayToServer() override {
        relay = std::make_unique<TcpRelay>(server.port());
        return relay->port();
    }
    void TearDown() override {
        HeartbeatPostgresTest::TearDown();
        relay.reset();
    }

    std::unique_ptr<TcpRelay> relay;
};

TEST_F(HeartbeatBlackHoleTest, SwallowedPacketsAreReportedSoonWithoutFreezingTheWindow) {
    QElapsedTimer sinceBlackHole;
    qint64 firstMessageAfter = -1;
    // The operator reads each box for a moment; while the first failed reconnection is shown the
    // network comes back.
    MessageScript script([&](int count) {
        if (count == 1) {
            firstMessageAfter = sinceBlackHole.elapsed();
        }
        if (count == 2) {
            relay->setForwarding(true);
        }
        runEventsFor(300);
    });
    main->show();
    main->clockTimer->start(); // the real one-second clock
    FreezeMeter freeze;
    runEventsFor(1500);
    ASSERT_TRUE(script.texts.isEmpty()) << script.texts.join(QLatin1Char('|')).toStdString();

    relay->setForwarding(false);
    sinceBlackHole.start();
    QElapsedTimer waited;
    waited.start();
    while ((script.texts.size() < 2 || !main->clockTimer->isActive()) && waited.elapsed() < 30000) {
        runEventsFor(50);
    }
    EXPECT_EQ(script.texts, QStringList({databaseMessage, databaseMessage}));
    EXPECT_GE(firstMessageAfter, 0);
    EXPECT_LT(firstMessageAfter, 10000);
    EXPECT_TRUE(main->clockTimer->isActive());

    // Reconnected: the heartbeat passes again and the clock moves on.
    const QString clock = main->panelText(3);
    runEventsFor(2100);
    EXPECT_EQ(script.texts.size(), 2);
    EXPECT_NE(main->panelText(3), clock);
    EXPECT_LT(freeze.longestMs(), 3000);
    RecordProperty("first_message_after_ms", static_cast<int>(firstMessageAfter));
    RecordProperty("longest_freeze_ms", static_cast<int>(freeze.longestMs()));
}

// Closing a connection ends the statements prepared on it, which the driver does by asking the
// server: on a link that swallows everything, that is bounded as any call.
TEST_F(HeartbeatBlackHoleTest, ConnectionClosedOnASilentLinkIsBackWithinTheBoundOfACall) {
    main->show();
    ASSERT_TRUE(main->trainingDb.isOpen());
    relay->setForwarding(false);
    QElapsedTimer closing;
    closing.start();
    main->trainingDb.close();
    EXPECT_LT(closing.elapsed(), databaseCallLimit.count() + 1000);
}

} // namespace
