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
    QByteArray serve(KioskWindow& k) {
        enter(k.enrolmentEdit, QStringLiteral("42"));
        EXPECT_EQ(k.memberName->text(), QStringLiteral("Zé da Silva"));
        enter(k.workoutEdit, QStringLiteral("1"));
        QFile ticket(QDir(folder()).filePath(QStringLiteral("TKT")));
        return ticket.open(QIODevice::ReadOnly) ? ticket.readAll() : QByteArray();
    }
};

TEST_F(KioskPostgresRestart, ServesMembersBeforeAndAfterTheServerWasRestarted) {
    KioskWindow& k = openKiosk();
    const QByteArray ticket = serve(k);
    EXPECT_TRUE(ticket.contains("0000000042 - Ze da Silva\r\n")) << ticket.toStdString();
    EXPECT_TRUE(ticket.contains("Supino Reto\r\n"));
    EXPECT_EQ(k.workout().sheet.DATA_TREINO, QStringLiteral("05 / março / 2026"));
    EXPECT_EQ(k.workout().sheet.NOME_PROFESSOR, QStringLiteral("Ana Instrutora"));

    server.stop();
    server.start();
    main->tick(); // the heartbeat finds the connection dead and reconnects
    messages.clear();
    QFile::remove(QDir(folder()).filePath(QStringLiteral("TKT")));
    EXPECT_EQ(serve(k), ticket);
    EXPECT_TRUE(messages.texts().isEmpty()) << messages.texts().join('|').toStdString();
}

TEST_F(KioskPostgresRestart, FindsAMemberAddedInTheBackOfficeWhileTheKioskIsOpen) {
    KioskWindow& k = openKiosk();
    onServer({QStringLiteral("INSERT INTO ALUNOS (MATRICULA, NOME) VALUES ('0000000051', "
                             "'Recém Chegada')")});
    enter(k.enrolmentEdit, QStringLiteral("51"));
    EXPECT_EQ(k.memberName->text(), QStringLiteral("Recém Chegada"));
    EXPECT_TRUE(messages.texts().isEmpty()) << messages.texts().join('|').toStdString();
}

// What one terminal costs the server, from the server's own log of statements and logins.
class KioskServerLoad : public KioskPostgresRestart {
protected:
    void SetUp() override {
        server.logStatements();
        KioskPostgresRestart::SetUp();
    }
    // The statements the server ran for an action, and the logins it took.
    struct Cost {
        QStringList statements;
        int logins = 0;
    };
    template <typename Action> Cost costOf(Action action) {
        const qint64 mark = server.logMark();
        action();
        return {server.statementsSince(mark), server.loginsSince(mark)};
    }
};

TEST_F(KioskServerLoad, AMemberServedAndAMinuteAtRestCostAFewStatementsAndNoNewLogin) {
    KioskWindow& k = openKiosk();
    // The driver reads the columns of each table from the catalogue once per connection: the
    // first member served pays for that, every later one costs the same as the second.
    for (int member = 1; member <= 2; ++member) {
        const Cost lookUp = costOf([&] { enter(k.enrolmentEdit, QStringLiteral("42")); });
        EXPECT_EQ(k.memberName->text(), QStringLiteral("Zé da Silva"));
        const Cost ticket = costOf([&] { enter(k.workoutEdit, QStringLiteral("1")); });
        const std::string which = "member_" + std::to_string(member);
        RecordProperty(which + "_look_up_statements", static_cast<int>(lookUp.statements.size()));
        RecordProperty(which + "_ticket_statements", static_cast<int>(ticket.statements.size()));
        EXPECT_EQ(lookUp.logins + ticket.logins, 0) << which;
        if (member == 2) {
            EXPECT_LE(lookUp.statements.size(), 3) << lookUp.statements.join('\n').toStdString();
            EXPECT_LE(ticket.statements.size(), 8) << ticket.statements.join('\n').toStdString();
        }
    }
    // The heartbeat ticks once a second: five ticks stand for five seconds of a minute at rest.
    const Cost rest = costOf([&] {
        for (int tick = 0; tick < 5; ++tick) {
            main->tick();
        }
    });
    EXPECT_LE(rest.statements.size(), 5) << rest.statements.join('\n').toStdString();
    EXPECT_EQ(rest.logins, 0);
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
    void lookUpOnTheHalfDeadLink(KioskWindow& k, const std::string& connection) {
        const qsizetype logged = errorLog().size();
        QElapsedTimer answered;
        answered.start();
        enter(k.enrolmentEdit, QStringLiteral("42"));
        // Enter held the window: at most one statement's budget plus one reconnect's.
        EXPECT_LT(answered.elapsed(), 6000) << connection;
        EXPECT_TRUE(errorLog().mid(logged).contains("ALUNOS")) << connection;
        EXPECT_TRUE(k.memberName->text().isEmpty());
        EXPECT_TRUE(k.enrolmentEdit->isEnabled());
        RecordProperty("answered_on_" + connection + "_ms", static_cast<int>(answered.elapsed()));
        k.enrolmentEdit->clear();
    }

    std::unique_ptr<TcpRelay> relay;
};

TEST_F(KioskHalfDeadLink, LookUpFailsWithinItsBoundAndTheNextMemberIsServedOnceTheLinkIsWhole) {
    KioskWindow& k = openKiosk();
    relay->swallowConnectionsSending("ALUNOS");
    lookUpOnTheHalfDeadLink(k, "kept_connection");
    lookUpOnTheHalfDeadLink(k, "fresh_connection");

    relay->swallowConnectionsSending({});
    enter(k.enrolmentEdit, QStringLiteral("42"));
    EXPECT_EQ(k.memberName->text(), QStringLiteral("Zé da Silva"));
    QTest::keyClick(k.workoutEdit, Qt::Key_Escape);

    // The kept connection now fails at once, and the one that replaces it is swallowed.
    server.stop();
    server.start();
    relay->swallowConnectionsSending("ALUNOS");
    lookUpOnTheHalfDeadLink(k, "replaced_connection");
}

// Both databases reached through a slow link: each statement is answered within its own bound,
// but a workout's four statements together take longer than a member's action may.
class KioskSlowLink : public KioskHalfDeadLink {
protected:
    void SetUp() override {
        KioskHalfDeadLink::SetUp();
        if (!IsSkipped()) {
            writeDataLink(QStringLiteral("Palendra.udl"), relay->port());
        }
    }
};

TEST_F(KioskSlowLink, AWorkoutIsGivenUpWhenItsStatementsTogetherTakeLongerThanAnAction) {
    KioskWindow& k = openKiosk();
    enter(k.enrolmentEdit, QStringLiteral("42"));
    enter(k.workoutEdit, QStringLiteral("1")); // the statements are prepared once
    relay->setDelay(std::chrono::milliseconds(1800));
    enter(k.enrolmentEdit, QStringLiteral("42"));
    EXPECT_EQ(k.memberName->text(), QStringLiteral("Zé da Silva"));
    const qsizetype logged = errorLog().size();
    QElapsedTimer held;
    held.start();
    enter(k.workoutEdit, QStringLiteral("1"));
    // Four statements of 1.8 s each: the fourth is cut when the action's 6 s are over.
    EXPECT_LT(held.elapsed(), 6500);
    RecordProperty("workout_held_ms", static_cast<int>(held.elapsed()));
    EXPECT_TRUE(errorLog().mid(logged).contains("ran out of its 6000 ms"));
    EXPECT_TRUE(k.memberName->text().isEmpty());
    EXPECT_TRUE(k.enrolmentEdit->isEnabled());
}

} // namespace
