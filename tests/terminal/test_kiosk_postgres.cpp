// The kiosk against a real database server that goes away and comes back: a PostgreSQL server of
// the test's own holding both databases, reached through its ODBC driver.
#include "KioskFixture.h"
#include "PostgresServer.h"
#include "Schema.h"

#include <QFile>
#include <QLabel>
#include <QSqlError>

namespace {

void createDatabase(const QString& odbc, const QStringList& rows) {
    const QString name = QStringLiteral("test-kiosk-postgres");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), name);
        db.setDatabaseName(odbc);
        ASSERT_TRUE(db.open()) << db.lastError().text().toStdString();
        QStringList statements;
        for (const schema::Table* table : schema::tablesOf(schema::Database::Palendra)) {
            statements << schema::createTableSql(*table, schema::Dialect::PostgreSQL);
        }
        for (const QString& statement : statements + rows) {
            QSqlQuery query(db);
            ASSERT_TRUE(query.exec(statement))
                << statement.toStdString() << ": " << query.lastError().text().toStdString();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

class KioskPostgres : public KioskTest {
protected:
    void SetUp() override {
        const QString reason = PostgresServer::unavailableReason();
        if (!reason.isEmpty()) {
            GTEST_SKIP() << reason.toStdString();
        }
        KioskTest::SetUp();
        server.create(QStringLiteral("palendra"));
        // Members, photos and staff come from the training database too.
        createDatabase(server.odbcConnectionString(),
                       knownPrescriptions() + knownMembers(QStringLiteral("ALUNOS")) +
                           QStringList{QStringLiteral(
                               "INSERT INTO Secvar (PATH_EXERCICIO, AlunosAtivos, PINPAD, "
                               "SERIEEMVIDEO, Terminal_Video_Aparelho, PORTA_IMP, ENDERECO_PORTA, "
                               "ESPACO, POR_CODIGO_APARELHO, IMPRESSAOREDUZIDA) VALUES ('Sim', "
                               "'Não', 'NADA', 'Não', 'Não', 'TKT', '378', 0, FALSE, 'Não')")});
        const QString link = QStringLiteral("Provider=MSDASQL;Extended Properties=\"%1\"")
                                 .arg(server.odbcConnectionString());
        for (const char* file : {"Palendra.udl", "Quorvel.udl"}) {
            demo::writeDataLinkFile(QDir(folder()).filePath(QString::fromLatin1(file)), link);
        }
        m_previousFolder = QDir::currentPath();
        QDir::setCurrent(folder());
    }
    void TearDown() override {
        if (!m_previousFolder.isEmpty()) {
            QDir::setCurrent(m_previousFolder);
        }
        KioskTest::TearDown();
    }
    // Serves member 42 workout A; returns the ticket's text.
    QByteArray serve(TFRMIMPSERIE40COLUNAS& k) {
        enter(k.EDTMATRICULA, QStringLiteral("42"));
        EXPECT_EQ(k.LBLNOME->text(), QStringLiteral("Zé da Silva"));
        enter(k.EDTTREINO, QStringLiteral("1"));
        QFile ticket(QDir(folder()).filePath(QStringLiteral("TKT")));
        return ticket.open(QIODevice::ReadOnly) ? ticket.readAll() : QByteArray();
    }

    PostgresServer server;
    QString m_previousFolder;
};

TEST_F(KioskPostgres, ServesMembersBeforeAndAfterTheServerWasRestarted) {
    TFRMIMPSERIE40COLUNAS& k = openKiosk();
    const QByteArray ticket = serve(k);
    EXPECT_TRUE(ticket.contains("0000000042 - Ze da Silva\r\n")) << ticket.toStdString();
    EXPECT_TRUE(ticket.contains("Supino Reto\r\n"));
    EXPECT_EQ(DATA_TREINO, QStringLiteral("05 / março / 2026"));
    EXPECT_EQ(NOME_PROFESSOR, QStringLiteral("Ana Instrutora"));

    server.stop();
    server.start();
    MCONTROLE_OK = true;
    main->Timer1Timer(); // the heartbeat finds the connection dead and reconnects
    messages.clear();
    QFile::remove(QDir(folder()).filePath(QStringLiteral("TKT")));
    EXPECT_EQ(serve(k), ticket);
    EXPECT_TRUE(messages.texts().isEmpty()) << messages.texts().join('|').toStdString();
}

} // namespace
