// The receipt ticket on an installed printer: the text printing library's canvas printer on a
// real CUPS queue, the PDF job read back as text and checked column by column.
#include "CupsQueue.h"
#include "TextPrinter.h"
#include "TextPrinterTestSupport.h"
#include "TicketFixture.h"

#include <QTemporaryDir>

#include <unistd.h>

namespace {

// The ticket as the tables place it, columns counted from the printer's margin; blank lines are
// left out, as a PDF keeps no trace of them.
const QStringList expectedWorkoutA{
    " " + QString(47, '-'),
    " 0000001234 - Conceicao Aparecida Goncalv",
    " " + QString(47, '-'),
    "            ATIVIDADE AEROBICA",
    " Dias: Ter Qui",
    " Aparelho Duracao(min) Velocidade   Nivel",
    " " + QString(47, '-'),
    " Esteira",
    "                    20          7       2",
    "                MUSCULACAO",
    " Treino: A Dias: Seg Qua Sex",
    " Aparelho Serie Repeticoes Peso Reg Inter",
    " " + QString(47, '-'),
    " Supino Reto",
    "             3         12    20   3    60",
    " Obs.: Atencao a postura",
    " Extensao de Joelhos",
    "             4   10-12-15    15   2    45",
    "                ALONGAMENTO",
    " Alongar panturrilha.  Manter 20 segundos",
    "  em cada posicao, respirando devagar e s",
    " em balanco.",
    " " + QString(47, '-'),
};

// The non-blank lines of a PDF job laid out on a 6-point grid (a 10-point fixed-pitch cell),
// shifted so that column 1 of the ticket, its leftmost, is column 1 again.
QStringList jobLines(const QByteArray& pdf) {
    QTemporaryDir folder;
    QFile file(folder.filePath("job.pdf"));
    if (!file.open(QIODevice::WriteOnly) || file.write(pdf) != pdf.size()) {
        return {};
    }
    file.close();
    QString text;
    if (!runTool("pdftotext", {"-layout", "-fixed", "6", file.fileName(), "-"}, &text)) {
        return {QStringLiteral("pdftotext failed: ") + text};
    }
    QStringList lines;
    qsizetype indent = std::numeric_limits<qsizetype>::max();
    for (const QString& line : text.split('\n')) {
        const QString kept = line.trimmed();
        if (!kept.isEmpty()) {
            lines << line.left(line.indexOf(kept) + kept.size());
            indent = std::min(indent, line.indexOf(kept));
        }
    }
    for (QString& line : lines) {
        line = QLatin1Char(' ') + line.mid(indent);
    }
    return lines;
}

class LibraryTicket : public Ticket {
protected:
    void SetUp() override {
        const QString reason = cupsUnavailableReason();
        ASSERT_TRUE(reason.isEmpty()) << reason.toStdString();
        Ticket::SetUp();
        queueName = QStringLiteral("ticket_%1").arg(::getpid());
        setSetting(QStringLiteral("PORTA_IMP"), QStringLiteral("'USBX'"));
        setSetting(QStringLiteral("Caminho_Impressora"), QStringLiteral("'%1'").arg(queueName));
    }
    QString queueName;
};

TEST_F(LibraryTicket, WorkoutALinesUpInTheTablesColumns) {
    CupsQueue queue(queueName);
    printed(QStringLiteral("1"));
    EXPECT_EQ(jobLines(queue.listener().waitForJob()).join('\n').toStdString(),
              expectedWorkoutA.join('\n').toStdString());
    EXPECT_TRUE(kioskAtRest());
    EXPECT_TRUE(messages.texts().isEmpty());
}

TEST_F(LibraryTicket, NoPrinterNameIsRefusedBeforeAnythingPrints) {
    setSetting(QStringLiteral("Caminho_Impressora"), QStringLiteral("''"));
    printed(QStringLiteral("1"));
    EXPECT_EQ(messages.texts(),
              QStringList{QStringLiteral("A impressora não esta pronta ! Deseja continuar ? ")});
    EXPECT_TRUE(errorLog().contains(QStringLiteral("ticket not started: no printer name")));
    EXPECT_TRUE(kioskAtRest());
}

TEST_F(LibraryTicket, DocumentThatCannotStartIsReportedAndLogged) {
    CupsQueue queue(queueName);
    // The document is written to a temporary file first, and the temporary folder is a file.
    const QString notAFolder = QDir(folder()).filePath(QStringLiteral("not-a-folder"));
    ASSERT_TRUE(QFile(notAFolder).open(QIODevice::WriteOnly));
    const QByteArray temporaryFolder = qgetenv("TMPDIR");
    qputenv("TMPDIR", notAFolder.toLocal8Bit());
    printed(QStringLiteral("1"));
    temporaryFolder.isNull() ? qunsetenv("TMPDIR") : qputenv("TMPDIR", temporaryFolder);
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("Dado INCORRETO ! ")});
    EXPECT_TRUE(errorLog().contains(QStringLiteral("ticket not started: Não foi possível iniciar "
                                                   "o documento")))
        << errorLog().toStdString();
    EXPECT_TRUE(kioskAtRest());
}

// A scheduler that hangs fails the ticket by the ticket's own limit (shortened here), the
// spooler's waits cut short by it; nothing of Qt's waits on the scheduler.
TEST_F(LibraryTicket, HungSchedulerFailsTheTicketAtItsTimeLimit) {
    SilentSpooler silent;
    // The scheduler's library waits up to a second more for an answer to begin.
    EXPECT_LT(msHeldByWorkoutA(std::chrono::seconds(1)), 3000)
        << "the window waited on the scheduler";
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("Dado INCORRETO ! ")});
    EXPECT_TRUE(errorLog().contains(
        QStringLiteral("ticket not started: Não foi possível abrir a impressora %1")
            .arg(queueName)))
        << errorLog().toStdString();
    EXPECT_TRUE(kioskAtRest());
}

TEST_F(LibraryTicket, NextTicketPrintsNormallyOnceThePrinterIsBack) {
    PrintDialogAnswer dialog(false); // nobody at a kiosk answers the dialog
    printed(QStringLiteral("1"));    // the spooler lists no such printer for a moment
    EXPECT_EQ(dialog.shown(), 1);
    EXPECT_TRUE(kioskAtRest());
    messages.clear();

    CupsQueue queue(queueName);
    printed(QStringLiteral("3"));
    EXPECT_EQ(dialog.shown(), 1) << "the next ticket asked for a dialog";
    EXPECT_TRUE(messages.texts().isEmpty());
    const QStringList lines = jobLines(queue.listener().waitForJob());
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines.at(1), QStringLiteral(" 0000001234 - Conceicao Aparecida Goncalv"));
}

} // namespace
