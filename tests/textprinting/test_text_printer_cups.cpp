// The text printing library end to end on the real CUPS server: raw queues whose device is a TCP
// listener of the test, so every byte the spooler sends is checked. The rest of the library's
// jobs run on the fake spooler (test_zel_jobs.cpp); these keep the way through CUPS proven.
#include "CupsQueue.h"
#include "Recorders.h"
#include "Spooler.h"
#include "TextPrinter.h"
#include "TextPrinterTestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPrintDialog>
#include <QTemporaryDir>

#include <cups/cups.h>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

class TextPrinterCupsEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        const QString reason = cupsUnavailableReason();
        ASSERT_TRUE(reason.isEmpty()) << reason.toStdString();
        static int counter = 0;
        queue = std::make_unique<CupsQueue>(
            QStringLiteral("textprinter_test_%1_%2").arg(::getpid()).arg(++counter));
    }

    // A printer that prints on the test queue without any window.
    template <typename Printer> void quiet(Printer& printer) {
        printer.printerName = queue->name();
        printer.showDialog = false;
        printer.showProgress = false;
    }

    void expectJob(const char* golden) {
        const QByteArray expected = readHexFile(goldenFile(golden));
        const QByteArray received = queue->listener().waitForJob();
        EXPECT_EQ(hex(received).toStdString(), hex(expected).toStdString()) << golden;
    }

    MessageRecorder messages;
    std::unique_ptr<CupsQueue> queue;
};

// --- Dot-matrix jobs, byte for byte -----------------------------------------------------------

TEST_F(TextPrinterCupsEndToEnd, DotMatrixDefaultJobMatchesTheTables) {
    EventLog events;
    DotMatrixTextPrinter printer;
    quiet(printer);
    events.attach(printer);
    printer.beginDoc();
    ASSERT_TRUE(printer.isPrinting());
    printer.print(2, QStringLiteral("Olá"), false);
    printer.print(10, QStringLiteral("B"), true);
    printer.print(0, QStringLiteral("Ç"), false);
    printer.newLine(1);
    printer.endDoc(true);
    EXPECT_FALSE(printer.isPrinting());
    expectJob("dm_basic.hex");
    EXPECT_EQ(events.fired,
              QStringList({"start", "page", "print", "print", "line", "print", "line", "end"}));
    EXPECT_EQ(printer.currentLine(), 3);
}

// --- Selection, faults and half-open jobs on the real spooler ----------------------------------

TEST_F(TextPrinterCupsEndToEnd, SystemPrintDialogOpensOnTheCurrentPrinter) {
    platform::setCurrentPrinterName(queue->name());
    DotMatrixTextPrinter printer;
    printer.showProgress = false; // showDialog stays on: the real dialog
    whenModal<QPrintDialog>([](QPrintDialog* dialog) {
        QMetaObject::invokeMethod(dialog, "reject", Qt::DirectConnection);
    });
    printer.beginDoc();
    EXPECT_FALSE(printer.isPrinting());

    QString offered;
    whenModal<QPrintDialog>([&](QPrintDialog* dialog) {
        offered = dialog->printer()->printerName();
        QMetaObject::invokeMethod(dialog, "accept", Qt::DirectConnection);
    });
    printer.beginDoc();
    EXPECT_EQ(offered, queue->name());
    ASSERT_TRUE(printer.isPrinting());
    EXPECT_EQ(printer.printerName, queue->name());
    printer.print(0, QStringLiteral("dialogo"), false);
    printer.endDoc(false);
    EXPECT_TRUE(queue->listener().waitForJob().contains("dialogo"));
}

// A printer named in the settings while the scheduler hangs: the ticket fails as when the
// printer cannot be opened, with no box and no dialog (Qt's print dialog and printer would wait on
// the scheduler without a limit).
TEST(CupsSpoolerNotAnswering, SilentSchedulerFailsANamedPrinterWithoutItsDialog) {
    MessageRecorder messages;
    PrintDialogAnswer dialog(false);
    DotMatrixTextPrinter printer;
    printer.printerName = QStringLiteral("Recepcao");
    printer.showDialog = false;
    printer.showProgress = false;
    SilentSpooler silent;
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(beginDocError(printer).startsWith(
        QStringLiteral("Não foi possível abrir a impressora Recepcao\n")));
    EXPECT_LT(clock.elapsed(), 8000);
    EXPECT_EQ(dialog.shown(), 0);
    EXPECT_TRUE(messages.texts().isEmpty());
}

// The canvas printer (the installed printer's ticket) asks the scheduler only through the
// spooler's bounded calls, here a spooler that answers while the scheduler hangs: Qt's printer
// would wait on the scheduler for minutes.
TEST(CupsSpoolerNotAnswering, CanvasDocumentWaitsOnNoOtherCallToTheScheduler) {
    FakeSpoolerInstalled installed;
    installed.spooler.addPrinter(QStringLiteral("Recepcao"));
    SilentSpooler silent;
    CanvasTextPrinter printer;
    printer.printerName = QStringLiteral("Recepcao");
    printer.showDialog = false;
    printer.showProgress = false;
    QElapsedTimer clock;
    clock.start();
    printer.beginDoc();
    printer.print(1, QStringLiteral("Recibo"), true);
    printer.endDoc();
    EXPECT_LT(clock.elapsed(), 2000);
    ASSERT_EQ(installed.spooler.jobs().size(), 1U);
    EXPECT_TRUE(installed.spooler.jobs().front().bytes.startsWith("%PDF"));
}

TEST(CupsSpoolerNotAnswering, SilentSchedulerIsGivenUpOnWithinFiveSeconds) {
    QTemporaryDir folder;
    const QString document = folder.filePath(QStringLiteral("job.pdf"));
    ASSERT_TRUE(QFile(document).open(QIODevice::WriteOnly));
    platform::Spooler& spooler = platform::spooler();
    SilentSpooler silent;
    const auto milliseconds = [](const auto& call) {
        QElapsedTimer clock;
        clock.start();
        call();
        return clock.elapsed();
    };
    // The installed printer's list, a raw job on a queue, a finished document.
    EXPECT_LT(milliseconds([&] { EXPECT_TRUE(spooler.printerNames().isEmpty()); }), 8000);
    EXPECT_LT(
        milliseconds([&] { EXPECT_EQ(spooler.openRawPrinter(QStringLiteral("q")), nullptr); }),
        8000);
    EXPECT_LT(milliseconds([&] {
                  EXPECT_FALSE(spooler.printPdfFile(QStringLiteral("q"), document, QString()));
              }),
              8000);
}

TEST_F(TextPrinterCupsEndToEnd, JobRefusedMidWayGivesItsErrorAndLeavesNoJob) {
    EventLog events;
    auto doomed = std::make_unique<CupsQueue>(queue->name() + QStringLiteral("_mid"));
    const QString name = doomed->name();
    DotMatrixTextPrinter printer;
    quiet(printer);
    printer.printerName = name;
    events.attach(printer);
    printer.beginDoc();
    printer.print(0, QStringLiteral("antes"), true);
    doomed.reset(); // the queue and its jobs are removed while the document is open
    try {
        printer.print(0, QStringLiteral("depois"), true);
        printer.endDoc(true);
        ADD_FAILURE() << "no error";
    } catch (const TextPrinterError& error) {
        // The few bytes wait in the connection's buffer; the spooler refuses at the end.
        EXPECT_TRUE(error.message().startsWith(
            QStringLiteral("Não foi possível finalizar o documento ZELPrint Document na "
                           "impressora %1\n")
                .arg(name)))
            << error.what();
    }
    EXPECT_EQ(events.fired.last(), "error");
    EXPECT_TRUE(printer.isPrinting()); // the state as it was at the failure
    printer.abort();                   // the refused job is already gone
    EXPECT_FALSE(printer.isPrinting());
    EXPECT_EQ(events.fired.last(), "abort");
}

TEST_F(TextPrinterCupsEndToEnd, AbortCancelsTheHalfSentJob) {
    EventLog events;
    TextPrinter printer;
    quiet(printer);
    printer.showTypeDialog = false;
    printer.printerType = TextPrinterType::DotMatrix;
    events.attach(printer);
    printer.beginDoc();
    printer.print(0, QStringLiteral("meio trabalho"), true);
    printer.abort();
    EXPECT_FALSE(printer.isPrinting());
    EXPECT_EQ(events.fired.last(), "abort");
    EXPECT_EQ(queue->unfinishedJobs(), 0);
    EXPECT_TRUE(queue->listener().waitForJob(1500).isEmpty());
}

// --- Canvas jobs: PDF through the queue -------------------------------------------------------

// Prints the ticket's kind of lines: pieces at given columns.
void printColumns(TextPrinter& printer) {
    printer.beginDoc();
    printer.print(0, QStringLiteral("|"), false);
    printer.print(1, QStringLiteral("0000001234 - JOSE DA SILVA"), true);
    printer.replicate(1, 47, QLatin1Char('-'), true);
    printer.print(0, QStringLiteral("|"), false);
    printer.print(4, QStringLiteral("101"), false);
    printer.print(16, QStringLiteral("3"), false);
    printer.print(35, QStringLiteral("60"), true);
    printer.endDoc(true);
}

TEST_F(TextPrinterCupsEndToEnd, CanvasTextLinesUpInItsColumns) {
    TextPrinter printer;
    quiet(printer);
    printer.showTypeDialog = false;
    printColumns(printer);
    const QByteArray pdf = queue->listener().waitForJob();
    ASSERT_TRUE(pdf.startsWith("%PDF")) << pdf.left(40).toStdString();
    QTemporaryDir folder;
    const QStringList lines = pdfLines(pdf, folder.path());
    ASSERT_GE(lines.size(), 3) << lines.join('\n').toStdString();
    const qsizetype origin = columnOf(lines, "|", 0);
    ASSERT_GE(origin, 0) << lines.join('\n').toStdString();
    EXPECT_EQ(columnOf(lines, "0000001234 - JOSE DA SILVA", 0) - origin, 1);
    EXPECT_EQ(columnOf(lines, QString(47, '-'), 1) - origin, 1);
    EXPECT_EQ(columnOf(lines, "|", 2), origin);
    EXPECT_EQ(columnOf(lines, "101", 2) - origin, 4);
    EXPECT_EQ(columnOf(lines, "3", 2) - origin, 16);
    EXPECT_EQ(columnOf(lines, "60", 2) - origin, 35);

    // One page rendered, kept for a look.
    const QString image = QDir::temp().filePath("textprinter_canvas_page");
    EXPECT_TRUE(runTool("pdftoppm", {"-png", "-r", "60", "-f", "1", "-l", "1", "-singlefile",
                                     folder.path() + "/job.pdf", image}));
    EXPECT_TRUE(QFile::exists(image + ".png"));
}

} // namespace
