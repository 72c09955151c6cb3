// The kiosk against a real database server that goes away and comes back: a PostgreSQL server of
// the test's own holding both databases, reached through its ODBC driver.
#include "KioskPostgres.h"

#include <QFile>
#include <QLabel>

namespace {

class KioskPostgresRestart : public KioskPostgres {
protected:
    // Serves member 42 workout A; returns the ticket's text.
    QByteArray serve(TFRMIMPSERIE40COLUNAS& k) {
        enter(k.EDTMATRICULA, QStringLiteral("42"));
        EXPECT_EQ(k.LBLNOME->text(), QStringLiteral("Zé da Silva"));
        enter(k.EDTTREINO, QStringLiteral("1"));
        QFile ticket(QDir(folder()).filePath(QStringLiteral("TKT")));
        return ticket.open(QIODevice::ReadOnly) ? ticket.readAll() : QByteArray();
    }
};

TEST_F(KioskPostgresRestart, ServesMembersBeforeAndAfterTheServerWasRestarted) {
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
