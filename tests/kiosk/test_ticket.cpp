// The receipt ticket end to end, from the kiosk's database through the matrix driver into a file
// port, compared byte for byte with a ticket typed by hand (tests/data/ticket/golden.sh), and its
// failures. The other layouts are checked in memory (tests/ticket).
#include "TicketFixture.h"

#include <QFile>
#include <QLabel>

#include <fcntl.h>
#include <pty.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <utility>

namespace {

TEST_F(Ticket, FullFormByNameWorkoutA) {
    EXPECT_EQ(printed(QStringLiteral("1")), golden(QStringLiteral("full-by-name-a.bin")));
    EXPECT_TRUE(kioskAtRest());
    EXPECT_TRUE(messages.texts().isEmpty());
}

TEST_F(Ticket, PrinterThatIsNotReadyPrintsNothing) {
    FakePortInstalled parallel;
    parallel.port->busy = true;
    EXPECT_TRUE(printed(QStringLiteral("1")).isEmpty());
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral(
                                    "Dado INCORRETO ! Endereço de Porta da Impressora Recibo")});
    EXPECT_TRUE(errorLog().contains(QStringLiteral("ticket not started: the printer at port "
                                                   "address '378' is not ready")))
        << errorLog().toStdString();
    EXPECT_TRUE(kioskAtRest());
}

TEST_F(Ticket, PortThatFailsMidwayStopsTheTicketAndTheKioskServesTheNextMember) {
    // A printer that takes the first 100 bytes, then goes away. Its pipe holds 4096 bytes and
    // the ticket is longer, so the driver is still writing then.
    const QString fifo = QDir(folder()).filePath(QStringLiteral("port"));
    ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    setSetting(QStringLiteral("PORTA_IMP"), QStringLiteral("'%1'").arg(fifo));
    longStretchingMemo(8000);
    const int readEnd = ::open(fifo.toLocal8Bit().constData(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(readEnd, 0);
    ASSERT_EQ(::fcntl(readEnd, F_SETPIPE_SZ, 4096), 4096);
    QByteArray received(100, '\0');
    std::thread printer([&] {
        qsizetype got = 0;
        for (int tries = 0; got < received.size() && tries < 5000; ++tries) {
            const ssize_t n = ::read(readEnd, received.data() + got, size_t(received.size() - got));
            if (n > 0) {
                got += n;
            } else {
                std::this_thread::sleep_for(std::chrono::milliseconds(1)); // no writer yet
            }
        }
        ::close(readEnd);
    });
    printed(QStringLiteral("1"));
    printer.join();
    EXPECT_EQ(received, golden(QStringLiteral("full-by-name-a.bin")).left(100));
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("Dado INCORRETO ! ")});
    EXPECT_TRUE(kioskAtRest());

    messages.clear();
    kiosk.reset();
    setSetting(QStringLiteral("PORTA_IMP"), QStringLiteral("'TKT'"));
    EXPECT_EQ(printed(QStringLiteral("3")).left(100),
              golden(QStringLiteral("full-by-name-a.bin")).left(100));
    EXPECT_TRUE(messages.texts().isEmpty());
}

// A serial printer: the far end of a pseudo-terminal, named as the ticket's port.
class PseudoTerminalPrinter {
public:
    PseudoTerminalPrinter() {
        char name[256] = {};
        EXPECT_EQ(::openpty(&m_far, &m_near, name, nullptr, nullptr), 0);
        m_name = QString::fromLatin1(name);
    }
    ~PseudoTerminalPrinter() {
        closeNear();
        ::close(m_far);
    }
    PseudoTerminalPrinter(const PseudoTerminalPrinter&) = delete;
    PseudoTerminalPrinter& operator=(const PseudoTerminalPrinter&) = delete;

    const QString& name() const { return m_name; }
    int far() const { return m_far; }
    // Wakes a reader of the far end.
    void closeNear() { ::close(std::exchange(m_near, -1)); }

private:
    int m_far = -1;
    int m_near = -1;
    QString m_name;
};

TEST_F(Ticket, SerialPrinterThatStopsTakingBytesEndsTheTicketWithinSixSeconds) {
    // A serial printer gone off line: the far end is never read. Its buffers hold some 20 kB; the
    // ticket is longer. (What the far end holds cannot be read back afterwards: dropping the rest
    // at close empties it too.)
    const PseudoTerminalPrinter printer;
    setSetting(QStringLiteral("PORTA_IMP"), QStringLiteral("'%1'").arg(printer.name()));
    longStretchingMemo(40000);
    const qint64 heldMs = msHeldByWorkoutA(TicketTimeLimit);

    EXPECT_GE(heldMs, 5000);
    EXPECT_LT(heldMs, 15000) << "the window waited on the printer";
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("Dado INCORRETO ! ")});
    EXPECT_TRUE(kioskAtRest());
    EXPECT_TRUE(errorLog().contains(QStringLiteral("took nothing for 5 s")));
}

TEST_F(Ticket, PrinterThatKeepsTakingBytesSlowlyIsGivenUpOnAtTheTicketsTimeLimit) {
    // A serial printer at some 2.5 kB/s: every byte taken restarts the port's 5 s, so only the
    // ticket's own limit (shortened here) ends it.
    PseudoTerminalPrinter printer;
    setSetting(QStringLiteral("PORTA_IMP"), QStringLiteral("'%1'").arg(printer.name()));
    longStretchingMemo(40000);
    std::atomic<bool> printing = true;
    qsizetype taken = 0;
    std::thread reader([&] {
        char chunk[256];
        while (printing) {
            const ssize_t n = ::read(printer.far(), chunk, sizeof chunk);
            taken += std::max<ssize_t>(n, 0);
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    });
    const qint64 heldMs = msHeldByWorkoutA(std::chrono::seconds(1));
    printing = false;
    printer.closeNear();
    reader.join();

    EXPECT_GE(heldMs, 1000);
    EXPECT_LT(heldMs, 3000) << "the window waited on the printer";
    EXPECT_GT(taken, 0);
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("Dado INCORRETO ! ")});
    EXPECT_TRUE(errorLog().contains(QStringLiteral("ticket stopped at its limit of 1000 ms: ")))
        << errorLog().toStdString();
    EXPECT_TRUE(kioskAtRest());
}

// An escape sequence or a form feed in the back office's text would reprogram the printer or eject
// its paper; each prints as one blank. (The stretching memo's line break is in every ticket.)
TEST_F(Ticket, ControlCharactersFromTheDatabasePrintAsBlanks) {
    quorvel({QStringLiteral("UPDATE ALUNOS SET NOME = 'Ana' || char(27) || char(12) || 'Paula'")});
    palendra({QStringLiteral("UPDATE TREINO SET OBS = 'Atenção' || char(27) || '@' || char(12) || "
                             "'postura' WHERE OBS IS NOT NULL")});
    const QByteArray ticket = printed(QStringLiteral("1"));
    EXPECT_TRUE(ticket.contains("\r\n0000001234 - Ana  Paula\r\n")) << ticket.toStdString();
    EXPECT_TRUE(ticket.contains("\r\nObs.:Atencao @ postura\r\n")) << ticket.toStdString();
    EXPECT_FALSE(ticket.contains('\x1b'));
    EXPECT_FALSE(ticket.contains('\x0c'));
}

// Settings the ticket reads as it prints: a back office with text columns, or a page of blank
// lines typed as a thousand, fails that ticket before anything is printed, and the kiosk opened.
TEST_F(Ticket, SettingsThatCannotMakeATicketFailItBeforeAnythingPrints) {
    const struct {
        const char* column;
        const char* value;
        const char* logged;
    } refused[] = {
        {"POR_CODIGO_APARELHO", "'talvez'", "\"talvez\" is not a Boolean"},
        {"ESPACO", "'muito'", "\"muito\" is not an integer"},
        {"ESPACO", "61", "ESPACO 61 is more blank lines than a page holds (60)"},
    };
    for (const auto& setting : refused) {
        kiosk.reset();
        messages.clear();
        setSetting(QStringLiteral("POR_CODIGO_APARELHO"), QStringLiteral("0"));
        setSetting(QStringLiteral("ESPACO"), QStringLiteral("0"));
        setSetting(QString::fromLatin1(setting.column), QString::fromLatin1(setting.value));
        EXPECT_TRUE(printed(QStringLiteral("1")).isEmpty()) << setting.value;
        EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("Dado INCORRETO ! ")});
        EXPECT_TRUE(errorLog().contains(QStringLiteral("ticket not started: ")) &&
                    errorLog().contains(QString::fromLatin1(setting.logged)))
            << errorLog().toStdString();
        EXPECT_TRUE(kioskAtRest());
    }
    kiosk.reset();
    messages.clear();
    setSetting(QStringLiteral("ESPACO"), QStringLiteral("60"));
    EXPECT_EQ(printed(QStringLiteral("1")),
              golden(QStringLiteral("full-by-name-a.bin")) + QByteArray("\r\n").repeated(60));
    EXPECT_TRUE(messages.texts().isEmpty());
}

// The ticket prints no date, so a date the back office wrote as text does not stop it (workout A
// reads the dates for the series window too).
TEST_F(Ticket, WorkoutDatesThatDoNotParseDoNotStopTheTicket) {
    palendra({QStringLiteral("UPDATE TREINO SET DATA = 'ontem', DATA_REAVALIACAO = 'nunca' "
                             "WHERE TREINO IN ('A', 'C')")});
    for (const char* workout : {"1", "3"}) {
        const QByteArray ticket = printed(QString::fromLatin1(workout));
        EXPECT_TRUE(ticket.endsWith(QByteArray(40, '-') + "\r\n")) << ticket.toStdString();
        EXPECT_TRUE(messages.texts().isEmpty()) << messages.texts().join('|').toStdString();
        EXPECT_TRUE(kioskAtRest());
    }
}

} // namespace
