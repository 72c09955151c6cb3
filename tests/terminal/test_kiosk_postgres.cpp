// The kiosk against a real database server that goes away and comes back: a PostgreSQL server of
// the test's own holding both databases, reached through its ODBC driver.
#include "KioskPostgres.h"
#include "TcpRelay.h"
#include "TerminalApplication.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QTest>

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

TEST_F(KioskPostgresRestart, FindsAMemberAddedInTheBackOfficeWhileTheKioskIsOpen) {
    TFRMIMPSERIE40COLUNAS& k = openKiosk();
    onServer({QStringLiteral("INSERT INTO ALUNOS (MATRICULA, NOME) VALUES ('0000000051', "
                             "'Recém Chegada')")});
    enter(k.EDTMATRICULA, QStringLiteral("51"));
    EXPECT_EQ(k.LBLNOME->text(), QStringLiteral("Recém Chegada"));
    EXPECT_TRUE(messages.texts().isEmpty()) << messages.texts().join('|').toStdString();
}

// The member database reached through a link where logins pass but the look-up's replies are
// swallowed (a path that drops large packets).
class KioskHalfDeadLink : public KioskPostgres {
protected:
    void SetUp() override {
        KioskPostgres::SetUp();
        if (IsSkipped()) {
            return;
        }
        relay = std::make_unique<TcpRelay>(server.port());
        setServerSetting(QStringLiteral("PATH_EXERCICIO"), QStringLiteral("'Não'"));
        writeDataLink(QStringLiteral("Quorvel.udl"), relay->port());
    }
    void TearDown() override {
        KioskPostgres::TearDown();
        relay.reset();
    }
    static QByteArray errorLog() {
        QFile log(TerminalApplication::errorLogPath());
        return log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
    }
    // Looks member 42 up while the link swallows the look-up: the failure reaches the error log
    // and the kiosk waits for the next enrolment number.
    void lookUpOnTheHalfDeadLink(TFRMIMPSERIE40COLUNAS& k, const std::string& connection) {
        const qsizetype logged = errorLog().size();
        QElapsedTimer answered;
        answered.start();
        enter(k.EDTMATRICULA, QStringLiteral("42"));
        // Enter held the window: at most one statement's budget plus one reconnect's.
        EXPECT_LT(answered.elapsed(), 6000) << connection;
        EXPECT_TRUE(errorLog().mid(logged).contains("ALUNOS")) << connection;
        EXPECT_TRUE(k.LBLNOME->text().isEmpty());
        EXPECT_TRUE(k.EDTMATRICULA->isEnabled());
        RecordProperty("answered_on_" + connection + "_ms", static_cast<int>(answered.elapsed()));
        k.EDTMATRICULA->clear();
    }

    std::unique_ptr<TcpRelay> relay;
};

TEST_F(KioskHalfDeadLink, LookUpFailsWithinItsBoundAndTheNextMemberIsServedOnceTheLinkIsWhole) {
    TFRMIMPSERIE40COLUNAS& k = openKiosk();
    relay->swallowConnectionsSending("ALUNOS");
    lookUpOnTheHalfDeadLink(k, "kept_connection");
    lookUpOnTheHalfDeadLink(k, "fresh_connection");

    relay->swallowConnectionsSending({});
    enter(k.EDTMATRICULA, QStringLiteral("42"));
    EXPECT_EQ(k.LBLNOME->text(), QStringLiteral("Zé da Silva"));
    QTest::keyClick(k.EDTTREINO, Qt::Key_Escape);

    // The kept connection now fails at once, and the one that replaces it is swallowed.
    server.stop();
    server.start();
    relay->swallowConnectionsSending("ALUNOS");
    lookUpOnTheHalfDeadLink(k, "replaced_connection");
}

} // namespace
