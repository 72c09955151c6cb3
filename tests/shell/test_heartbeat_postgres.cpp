// The heartbeat against a real database server that goes away and comes back: a PostgreSQL server
// of the test's own, reached through its ODBC driver as a data-link file with Provider=MSDASQL.
#include "DemoData.h"
#include "MessageBox.h"
#include "PostgresServer.h"
#include "SEPRINCIPAL.h"
#include "SESOBRE.h"
#include "Schema.h"
#include "TerminalApplication.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTimer>

#include <gtest/gtest.h>

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
        : m_onMessage(std::move(onMessage)) {
        m_previous = platform::setMessagePresenter([this](const platform::Message& message) {
            texts << message.text;
            m_onMessage(static_cast<int>(texts.size()));
            return static_cast<int>(platform::IdOk);
        });
    }
    ~MessageScript() { platform::setMessagePresenter(std::move(m_previous)); }
    MessageScript(const MessageScript&) = delete;
    MessageScript& operator=(const MessageScript&) = delete;

    QStringList texts;

private:
    std::function<void(int)> m_onMessage;
    platform::MessagePresenter m_previous;
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
        const QString link = QStringLiteral("Provider=MSDASQL;Extended Properties=\"%1\"")
                                 .arg(server.odbcConnectionString());
        demo::writeDataLinkFile(QDir(links.path()).filePath(QStringLiteral("Palendra.udl")), link);
        demo::writeDataLinkFile(QDir(links.path()).filePath(QStringLiteral("Quorvel.udl")), link);
        shell::clearTermination();
        main = std::make_unique<TFRMSEPRINCIPAL>(links.path());
        main->Timer1->stop();
    }
    void TearDown() override {
        main.reset();
        shell::clearTermination();
    }

    PostgresServer server;
    QTemporaryDir links;
    std::unique_ptr<TFRMSEPRINCIPAL> main;
};

TEST_F(HeartbeatPostgresTest, ServerGoneIsReportedAndTriedUntilItAnswers) {
    MessageScript script([this](int count) {
        if (count == 3) {
            server.start(); // back after the second failed reconnection
        }
    });
    main->show();
    ASSERT_TRUE(script.texts.isEmpty()) << script.texts.join(QLatin1Char('|')).toStdString();
    main->Timer1Timer();
    EXPECT_TRUE(script.texts.isEmpty());

    main->mdiArea->addSubWindow(new QWidget)->show();
    server.stop();
    QElapsedTimer elapsed;
    elapsed.start();
    main->Timer1Timer();
    // One message for the heartbeat, one per failed try, then the clock runs again.
    EXPECT_EQ(script.texts, QStringList({databaseMessage, databaseMessage, databaseMessage}));
    EXPECT_TRUE(main->Timer1->isActive());
    EXPECT_TRUE(main->mdiArea->subWindowList().isEmpty());
    EXPECT_LT(elapsed.elapsed(), 30000);

    script.texts.clear();
    main->Timer1Timer();
    main->Timer1Timer();
    EXPECT_TRUE(script.texts.isEmpty());
}

TEST_F(HeartbeatPostgresTest, ServerDyingUnderAModalWindowIsCaughtByTheRunningClock) {
    bool aboutStillOpenAfterRecovery = false;
    MessageScript script([&](int count) {
        if (count == 2) {
            server.start();
            QTimer::singleShot(0, [&] {
                if (auto* about = dynamic_cast<TFRMSOBRE*>(QApplication::activeModalWidget())) {
                    aboutStillOpenAfterRecovery = true;
                    about->close();
                }
            });
        }
    });
    main->show();
    ASSERT_TRUE(script.texts.isEmpty());
    main->Timer1->start(); // the real one-second clock

    QTimer::singleShot(50, [this] { server.stop(); });
    // Whatever happens, the about window does not stay open for ever.
    QTimer::singleShot(40000, [] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            modal->close();
        }
    });
    main->MNSOBRE->trigger();
    EXPECT_EQ(script.texts, QStringList({databaseMessage, databaseMessage}));
    EXPECT_TRUE(aboutStillOpenAfterRecovery);
    EXPECT_TRUE(main->Timer1->isActive());
    EXPECT_TRUE(main->ADOConnectionPalendra.isOpen());
}

} // namespace
