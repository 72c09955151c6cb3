#include "TicketFixture.h"

#include "TerminalApplication.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLabel>

namespace {

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

} // namespace

QByteArray golden(const QString& name) {
    QFile file(QStringLiteral(SE_TEST_DATA_DIR "/ticket/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("missing " + name.toUtf8());
}

void Ticket::SetUp() {
    KioskTest::SetUp();
    palendra(ticketPrescriptions());
    quorvel({QStringLiteral("INSERT INTO ALUNOS (MATRICULA, NOME) VALUES ('0000001234', "
                            "'Conceição Aparecida Gonçalves Ribeiro')")});
    setSetting(QStringLiteral("PORTA_IMP"), QStringLiteral("'TKT'"));
    setSetting(QStringLiteral("ESPACO"), QStringLiteral("0"));
    QFile::remove(TerminalApplication::errorLogPath());
}

void Ticket::TearDown() {
    QFile::remove(TerminalApplication::errorLogPath());
    KioskTest::TearDown();
}

QByteArray Ticket::printed(const QString& digit) {
    KioskWindow& k = kiosk ? *kiosk : openKiosk();
    enter(k.enrolmentEdit, QStringLiteral("1234"));
    enter(k.workoutEdit, digit);
    QFile port(QDir(folder()).filePath(QStringLiteral("TKT")));
    return port.open(QIODevice::ReadOnly) ? port.readAll() : QByteArray();
}

void Ticket::longStretchingMemo(int characters) {
    palendra({QStringLiteral("UPDATE ALONGAMENTO SET Obs = substr(hex(zeroblob(%1)), 1, %2)")
                  .arg(characters / 2 + 1)
                  .arg(characters)});
}

QString Ticket::errorLog() {
    QFile log(TerminalApplication::errorLogPath());
    return log.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(log.readAll()) : QString();
}

qint64 Ticket::msHeldByWorkoutA(std::chrono::milliseconds ticketTimeLimit) {
    KioskWindow& k = openKiosk();
    k.printers.timeLimit = ticketTimeLimit;
    enter(k.enrolmentEdit, QStringLiteral("1234"));
    QElapsedTimer held;
    held.start();
    enter(k.workoutEdit, QStringLiteral("1"));
    return held.elapsed();
}

bool Ticket::kioskAtRest() const {
    return kiosk->enrolmentEdit->isEnabled() && kiosk->enrolmentEdit->text().isEmpty() &&
           !kiosk->workoutEdit->isEnabled() && kiosk->memberName->text().isEmpty();
}
