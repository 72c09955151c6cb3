// The receipt ticket through the matrix driver into a file port, compared byte for byte with
// tickets typed by hand (tests/data/ticket/golden.sh), and its failures.
#include "FakePortAccess.h"
#include "KioskFixture.h"
#include "portaccess/PortAccess.h"

#include <QFile>
#include <QLabel>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace {

QByteArray golden(const QString& name) {
    QFile file(QStringLiteral(SE_TEST_DATA_DIR "/ticket/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("missing " + name.toUtf8());
}

// Member 1234 with workouts A and C, aerobic and stretching rows, written for the tickets.
QStringList ticketPrescriptions() {
    const QString strength = QStringLiteral(
        "INSERT INTO TREINO (MATRICULA, CODIGO_EXERCICIO, PROFESSOR, REPETICOES, REGULAGEM, ORDEM, "
        "TREINO, SERIES, PESO, INTERVALO, OBS, DATA, DOM, SEG, TER, QUA, QUI, SEX, SAB) VALUES "
        "('0000001234', '%1', '0000000777', '%2', '%3', %4, '%5', '%6', '%7', %8, %9, "
        "'2026-03-05 00:00:00', FALSE, %10, FALSE, %10, FALSE, %10, FALSE)");
    return {
        QStringLiteral("INSERT INTO EXERCICIOS (CODIGO, DESCRICAO, DESCRICAOABREVIADA, APARELHO, "
                       "TIPO) VALUES ('103', 'Extensão de Joelhos', 'Extensão Joel', '014', 'M')"),
        strength.arg("101", "12", "3", "1", "A", "3", "20", "60", "'Atenção à postura'", "TRUE"),
        strength.arg("103", "10-12-15", "2", "2", "A", "4", "15", "45", "NULL", "TRUE"),
        strength.arg("102", "15", "5", "1", "C", "2", "40", "90", "NULL", "FALSE"),
        QStringLiteral("INSERT INTO AEROBICA (MATRICULA, CODIGO_EXERCICIO, DURACAO, VELOCIDADE, "
                       "NIVEL_DIFICULDADE, DATA, DOM, SEG, TER, QUA, QUI, SEX, SAB) VALUES "
                       "('0000001234', '201', 20, 6.5, 2.4, '2026-03-01 00:00:00', "
                       "FALSE, FALSE, TRUE, FALSE, TRUE, FALSE, FALSE)"),
        QStringLiteral("INSERT INTO ALONGAMENTO (Matricula, Treino, Data, Obs) VALUES "
                       "('0000001234', 'A', '2026-03-05 00:00:00', 'Alongar panturrilha.' || "
                       "char(13) || char(10) || 'Manter 20 segundos em cada posição, respirando "
                       "devagar e sem balanço.')"),
    };
}

class Ticket : public KioskTest {
protected:
    void SetUp() override {
        KioskTest::SetUp();
        palendra(ticketPrescriptions());
        quorvel({QStringLiteral("INSERT INTO ALUNOS (MATRICULA, NOME) VALUES ('0000001234', "
                                "'Conceição Aparecida Gonçalves Ribeiro')")});
        setSetting(QStringLiteral("PORTA_IMP"), QStringLiteral("'TKT'"));
        setSetting(QStringLiteral("ESPACO"), QStringLiteral("0"));
        m_previousFolder = QDir::currentPath();
        QDir::setCurrent(folder()); // "TKT" is a file in the current folder
    }
    void TearDown() override {
        QDir::setCurrent(m_previousFolder);
        platform::setPortAccessFactory({});
        KioskTest::TearDown();
    }
    // Serves member 1234 the workout digit and returns what reached the port.
    QByteArray printed(const QString& digit) {
        TFRMIMPSERIE40COLUNAS& k = kiosk ? *kiosk : openKiosk();
        enter(k.EDTMATRICULA, QStringLiteral("1234"));
        enter(k.EDTTREINO, digit);
        QFile port(QDir(folder()).filePath(QStringLiteral("TKT")));
        return port.open(QIODevice::ReadOnly) ? port.readAll() : QByteArray();
    }
    bool kioskAtRest() const {
        return kiosk->EDTMATRICULA->isEnabled() && kiosk->EDTMATRICULA->text().isEmpty() &&
               !kiosk->EDTTREINO->isEnabled() && kiosk->LBLNOME->text().isEmpty();
    }

    QString m_previousFolder;
};

TEST_F(Ticket, FullFormByNameWorkoutA) {
    EXPECT_EQ(printed(QStringLiteral("1")), golden(QStringLiteral("full-by-name-a.bin")));
    EXPECT_TRUE(kioskAtRest());
    EXPECT_TRUE(messages.texts().isEmpty());
}

TEST_F(Ticket, FullFormByCodeWorkoutCWithFiveBlankLinesAfter) {
    setSetting(QStringLiteral("POR_CODIGO_APARELHO"), QStringLiteral("TRUE"));
    setSetting(QStringLiteral("ESPACO"), QStringLiteral("5"));
    EXPECT_EQ(printed(QStringLiteral("3")), golden(QStringLiteral("full-by-code-c.bin")));
}

TEST_F(Ticket, ReducedFormWorkoutsAAndC) {
    setSetting(QStringLiteral("POR_CODIGO_APARELHO"), QStringLiteral("TRUE"));
    setSetting(QStringLiteral("IMPRESSAOREDUZIDA"), QStringLiteral("'Sim'"));
    EXPECT_EQ(printed(QStringLiteral("1")), golden(QStringLiteral("reduced-a.bin")));
    EXPECT_EQ(printed(QStringLiteral("3")), golden(QStringLiteral("reduced-c.bin")));
}

TEST_F(Ticket, PrinterThatIsNotReadyPrintsNothing) {
    auto parallel = std::make_shared<FakeParallelPort>();
    parallel->busy = true;
    platform::setPortAccessFactory(
        [parallel] { return std::make_unique<FakePortAccess>(parallel); });
    EXPECT_TRUE(printed(QStringLiteral("1")).isEmpty());
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral(
                                    "Dado INCORRETO ! Endereço de Porta da Impressora Recibo")});
    EXPECT_TRUE(kioskAtRest());
}

TEST_F(Ticket, PortThatFailsMidwayStopsTheTicketAndTheKioskServesTheNextMember) {
    // A printer that takes the first 100 bytes, then goes away. Its pipe holds 4096 bytes and
    // the ticket is longer (4000 blank lines after it), so the driver is still writing then.
    const QString fifo = QDir(folder()).filePath(QStringLiteral("port"));
    ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    setSetting(QStringLiteral("PORTA_IMP"), QStringLiteral("'%1'").arg(fifo));
    setSetting(QStringLiteral("ESPACO"), QStringLiteral("4000"));
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
    setSetting(QStringLiteral("ESPACO"), QStringLiteral("0"));
    EXPECT_EQ(printed(QStringLiteral("1")), golden(QStringLiteral("full-by-name-a.bin")));
    EXPECT_TRUE(messages.texts().isEmpty());
}

} // namespace
