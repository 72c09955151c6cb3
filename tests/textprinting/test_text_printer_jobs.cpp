// The text printing library's documents, their printer selection and their faults, printed on
// the fake spooler: every job is checked byte for byte without a print server.
#include "Recorders.h"
#include "TestFiles.h"
#include "TextPrintPreview.h"
#include "TextPrinter.h"
#include "TextPrinterTestSupport.h"

#include <QAction>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTextEdit>

#include <gtest/gtest.h>

namespace {

const QString Printer = QStringLiteral("Recepcao");

class TextPrinterJobs : public ::testing::Test {
protected:
    TextPrinterJobs() {
        spooler.addPrinter(Printer);
        platform::setCurrentPrinterName(QString());
    }

    // A printer that prints on the test's printer without any window.
    template <typename AnyPrinter> static void quiet(AnyPrinter& printer) {
        printer.printerName = Printer;
        printer.showDialog = false;
        printer.showProgress = false;
    }

    // The bytes of the one job finished since the last look, empty when there was none.
    QByteArray nextJob(const QString& printer = Printer) {
        const std::vector<platform::FakeSpooler::Job>& jobs = spooler.jobs();
        while (m_seen < jobs.size()) {
            const platform::FakeSpooler::Job& job = jobs.at(m_seen++);
            if (job.printer == printer)
                return job.bytes;
        }
        return {};
    }

    void expectJob(const char* golden) {
        const QByteArray expected = readHexFile(goldenFile(golden));
        EXPECT_EQ(hex(nextJob()).toStdString(), hex(expected).toStdString()) << golden;
    }

    FakeSpoolerInstalled installed;
    platform::FakeSpooler& spooler = installed.spooler;
    MessageRecorder messages;

private:
    std::size_t m_seen = 0;
};

// --- Dot-matrix jobs, byte for byte -----------------------------------------------------------

TEST_F(TextPrinterJobs, DotMatrixEveryCodeAndAlignmentMatchTheTables) {
    DotMatrixTextPrinter printer;
    quiet(printer);
    printer.paper.autoNewPage = true;
    printer.paper.autoNewPageLines = 3;
    printer.paper.lines = 6;
    printer.paper.columns = 20;
    printer.paper.marginLeft = 2;
    printer.paper.marginRight = 3;
    printer.setLineSpacingCustomValue(20);
    printer.font.pitch = DotMatrixFontPitch::Cpi12;
    printer.font.fontType = DotMatrixFontType::Nlq;
    printer.font.NLQFont = DotMatrixNlqFont::Roman;
    printer.font.size = DotMatrixFontSize::Condensed;
    printer.font.style = DotMatrixFontStyle::Bold | DotMatrixFontStyle::Italic |
                         DotMatrixFontStyle::SubScript | DotMatrixFontStyle::Underline;
    printer.font.align = DotMatrixFontAlign::Center;
    printer.charMode = DotMatrixCharMode::Normal;
    printer.beginDoc();
    printer.print(1, QStringLiteral("Até"), true);
    printer.newLine(2);
    EXPECT_EQ(printer.currentPage(), 2);
    EXPECT_EQ(printer.currentLine(), 1);
    printer.endDoc(false);
    expectJob("dm_styles.hex");
}

TEST_F(TextPrinterJobs, FacadeDispatchesToTheDotMatrixPrinterWithItsPageBreaks) {
    EventLog events;
    TextPrinter printer;
    quiet(printer);
    printer.showTypeDialog = false;
    printer.printerType = TextPrinterType::DotMatrix;
    printer.dotMatrixSets.paper.lines = 4;
    printer.dotMatrixSets.paper.autoNewPage = true;
    printer.dotMatrixSets.paper.autoNewPageLines = 1;
    printer.dotMatrixSets.setLineSpacing(DotMatrixLineSpacing::EightPerInch);
    events.attach(printer);
    printer.beginDoc();
    printer.printCenter(10, QStringLiteral("abc"), true);
    printer.replicate(2, 3, QLatin1Char('-'), true);
    printer.print(5, 1, QStringLiteral("x"), false);
    EXPECT_EQ(printer.currentPage(), 2);
    EXPECT_EQ(printer.currentLine(), 2);
    printer.endDoc(true);
    EXPECT_FALSE(printer.isPrinting());
    expectJob("dm_facade.hex");
    EXPECT_EQ(events.fired.count("page"), 2);
    EXPECT_EQ(events.fired.first(), "start");
    EXPECT_EQ(events.fired.last(), "end");
}

TEST_F(TextPrinterJobs, PrintingFromThePreviewSendsTheKeptBytesWithoutEvents) {
    EventLog events;
    DotMatrixTextPrinter printer;
    quiet(printer);
    printer.paper.lines = 0;
    printer.showPreview = true;
    TextPrintPreview::showPreviewsOf(printer);
    events.attach(printer);
    bool stayedOpen = false;
    whenModal<TextPrintPreview>([&](TextPrintPreview* preview) {
        events.fired.clear();
        QKeyEvent altP(QEvent::KeyPress, Qt::Key_P, Qt::AltModifier);
        QApplication::sendEvent(preview->rePage, &altP);
        stayedOpen = preview->isVisible();
        preview->close();
    });
    printer.beginDoc();
    printer.print(0, QStringLiteral("A"), false);
    printer.newPage(1);
    printer.print(0, QStringLiteral("B"), false);
    printer.endDoc(false);
    expectJob("dm_from_preview.hex");
    EXPECT_TRUE(stayedOpen);
    EXPECT_TRUE(events.fired.isEmpty()) << events.fired.join(' ').toStdString();
    EXPECT_TRUE(printer.showPreview);
    EXPECT_FALSE(printer.fromPreview);
}

// --- Selection, faults and half-open jobs -----------------------------------------------------

TEST_F(TextPrinterJobs, PrintersListHoldsTheInstalledPrinters) {
    spooler.addPrinter(QStringLiteral("Balcao"));
    DotMatrixTextPrinter printer;
    EXPECT_EQ(printer.printersList(), QStringList({Printer, QStringLiteral("Balcao")}));
}

TEST_F(TextPrinterJobs, InvalidNameShowsItsBoxAndForcesTheDialog) {
    DotMatrixTextPrinter printer;
    quiet(printer);
    printer.printerName = QStringLiteral("textprinter_no_such_queue");
    PrintDialogAnswer dialog(true, Printer);
    printer.beginDoc();
    EXPECT_EQ(messages.texts(),
              QStringList{"A impressora selecionada ( textprinter_no_such_queue ) não é válida"});
    EXPECT_EQ(messages.messages().front().icon, platform::MessageIcon::Error);
    EXPECT_EQ(dialog.shown(), 1);
    EXPECT_TRUE(printer.showDialog);
    EXPECT_EQ(printer.printerName, Printer);
    printer.print(0, QStringLiteral("ok"), false);
    printer.endDoc(false);
    EXPECT_TRUE(nextJob().contains("ok"));
}

TEST_F(TextPrinterJobs, CancelledDialogLeavesNoDocumentAndLaterCallsDoNothing) {
    EventLog events;
    TextPrinter printer;
    quiet(printer);
    printer.showTypeDialog = false;
    printer.printerType = TextPrinterType::DotMatrix;
    printer.showDialog = true;
    events.attach(printer);
    PrintDialogAnswer dialog(false);
    printer.beginDoc();
    EXPECT_EQ(dialog.shown(), 1);
    EXPECT_FALSE(printer.isPrinting());
    EXPECT_EQ(printer.printerName, Printer); // the facade keeps its own settings
    printer.print(0, QStringLiteral("x"), true);
    printer.newPage(1);
    printer.endDoc(true);
    EXPECT_TRUE(events.fired.isEmpty()) << events.fired.join(' ').toStdString();
    EXPECT_EQ(printer.currentLine(), 1);
    EXPECT_EQ(spooler.unfinishedJobs(), 0);
    EXPECT_TRUE(spooler.jobs().empty());
}

// The ticket's facade: canvas, no dialog, no windows.
void ticketSettings(TextPrinter& printer, const QString& printerName) {
    printer.printerName = printerName;
    printer.showDialog = false;
    printer.showProgress = false;
    printer.showTypeDialog = false;
}

TEST_F(TextPrinterJobs, TicketAfterAMomentWithoutItsPrinterPrintsWithoutADialog) {
    // The spooler restarting lists no printer for a moment: that ticket gets the invalid-name
    // box and the dialog, which nobody at a kiosk answers.
    const QString name = Printer + QStringLiteral("_back");
    TextPrinter printer;
    ticketSettings(printer, name);
    PrintDialogAnswer dialog(false);
    printer.beginDoc();
    EXPECT_EQ(dialog.shown(), 1);
    EXPECT_FALSE(printer.isPrinting());
    EXPECT_EQ(
        messages.texts(),
        QStringList{QStringLiteral("A impressora selecionada ( %1 ) não é válida").arg(name)});
    EXPECT_EQ(printer.printerName, name);
    EXPECT_FALSE(printer.showDialog);

    spooler.addPrinter(name);
    printer.beginDoc();
    ASSERT_TRUE(printer.isPrinting());
    printer.print(1, QStringLiteral("proximo"), true);
    printer.endDoc(true);
    EXPECT_EQ(dialog.shown(), 1) << "the next ticket asked for a dialog";
    EXPECT_EQ(messages.texts().size(), 1);
    EXPECT_TRUE(nextJob(name).startsWith("%PDF"));
}

TEST_F(TextPrinterJobs, TicketAfterADialogChoseAnotherPrinterGoesToItsOwnAgain) {
    const QString other = Printer + QStringLiteral("_other");
    const QString name = Printer + QStringLiteral("_later");
    spooler.addPrinter(other);
    TextPrinter printer;
    ticketSettings(printer, name);
    {
        PrintDialogAnswer dialog(true, other);
        printer.beginDoc();
        ASSERT_TRUE(printer.isPrinting());
        printer.endDoc(true);
    }
    spooler.addPrinter(name);
    PrintDialogAnswer noDialog(false);
    printer.beginDoc();
    ASSERT_TRUE(printer.isPrinting());
    printer.endDoc(true);
    EXPECT_EQ(noDialog.shown(), 0);
    ASSERT_EQ(spooler.jobs().size(), 2U);
    EXPECT_EQ(spooler.jobs().at(0).printer, other);
    EXPECT_EQ(spooler.jobs().at(1).printer, name);
    EXPECT_TRUE(spooler.jobs().at(1).bytes.startsWith("%PDF"));
}

TEST_F(TextPrinterJobs, PrinterRemovedAfterItWasChosenCannotBeOpened) {
    EventLog events;
    const QString name = Printer + QStringLiteral("_gone");
    spooler.addPrinter(name);
    DotMatrixTextPrinter printer;
    quiet(printer);
    printer.showDialog = true;
    events.attach(printer);
    PrintDialogAnswer dialog(true, name);
    spooler.removePrinter(name); // between the dialog's list and the job
    const QString error = beginDocError(printer);
    EXPECT_FALSE(spooler.lastError().isEmpty());
    EXPECT_EQ(
        error.toStdString(),
        (QStringLiteral("Não foi possível abrir a impressora %1\n").arg(name) + spooler.lastError())
            .toStdString());
    EXPECT_EQ(events.fired, QStringList{"error"});
    EXPECT_FALSE(printer.isPrinting());
}

TEST_F(TextPrinterJobs, StoppedSpoolerListsNoPrinterAndOpensNone) {
    platform::setCurrentPrinterName(Printer);
    DotMatrixTextPrinter current;
    current.showDialog = false;
    current.showProgress = false;
    DotMatrixTextPrinter none;
    none.showDialog = false;
    CanvasTextPrinter canvas;
    canvas.showDialog = false;
    spooler.stop();
    EXPECT_TRUE(current.printersList().isEmpty());
    EXPECT_TRUE(beginDocError(current).startsWith(
        QStringLiteral("Não foi possível abrir a impressora %1\n").arg(Printer)));
    EXPECT_FALSE(current.isPrinting());

    platform::setCurrentPrinterName(QString()); // no current printer, and no default
    EXPECT_EQ(beginDocError(none), "Nenhuma impressora está instalada");
    EXPECT_EQ(beginDocError(canvas), "Nenhuma impressora padrão selecionada");

    TextPrinter facade; // reports its printers' errors as its own
    facade.showDialog = false;
    facade.showTypeDialog = false;
    facade.printerType = TextPrinterType::DotMatrix;
    QObject* reportedBy = nullptr;
    facade.onError = [&](QObject* sender) {
        reportedBy = sender;
    };
    EXPECT_EQ(beginDocError(facade), "Nenhuma impressora está instalada");
    EXPECT_EQ(reportedBy, &facade);
    EXPECT_TRUE(messages.texts().isEmpty());
}

// A printer named in the settings while the spooler does not answer: the ticket fails as when
// the printer cannot be opened, with no box and no dialog (Qt's print dialog and printer would
// wait on the spooler without a limit).
TEST_F(TextPrinterJobs, SpoolerNotAnsweringFailsANamedPrinterWithoutItsDialog) {
    PrintDialogAnswer dialog(false);
    DotMatrixTextPrinter printer;
    quiet(printer);
    spooler.stop();
    const QString error = beginDocError(printer);
    EXPECT_EQ(error.toStdString(),
              (QStringLiteral("Não foi possível abrir a impressora %1\n").arg(Printer) +
               spooler.lastError())
                  .toStdString());
    EXPECT_EQ(dialog.shown(), 0);
    EXPECT_TRUE(messages.texts().isEmpty());
}

TEST_F(TextPrinterJobs, PrinterRefusingJobsGivesTheDocumentError) {
    EventLog events;
    spooler.refuseJobs(Printer);
    DotMatrixTextPrinter printer;
    quiet(printer);
    printer.title = QStringLiteral("Ficha");
    events.attach(printer);
    const QString start =
        QStringLiteral("Não foi possível iniciar o documento Ficha na impressora %1\n")
            .arg(Printer);
    const QString error = beginDocError(printer);
    EXPECT_TRUE(error.startsWith(start)) << error.toStdString();
    EXPECT_GT(error.size(), start.size()) << "the spooler's message is missing";
    EXPECT_EQ(events.fired, QStringList{"error"});
    EXPECT_FALSE(printer.isPrinting());
    EXPECT_EQ(spooler.unfinishedJobs(), 0);
}

TEST_F(TextPrinterJobs, DocumentErrorsOfTheJobState) {
    DotMatrixTextPrinter printer;
    quiet(printer);
    printer.print(0, QStringLiteral("outside"), true); // outside a document: nothing
    try {
        printer.writeStr("x", QString());
        FAIL() << "no error";
    } catch (const TextPrinterError& error) {
        EXPECT_EQ(error.message(),
                  QStringLiteral("A impressora %1 não está imprimindo").arg(Printer));
    }
    printer.beginDoc();
    try {
        printer.beginDoc();
        FAIL() << "no error";
    } catch (const TextPrinterError& error) {
        EXPECT_EQ(error.message(),
                  QStringLiteral("Impressão em andamento na impressora %1").arg(Printer));
    }
    EXPECT_TRUE(printer.isPrinting());
    printer.endDoc(false);
    EXPECT_FALSE(nextJob().contains("outside"));
}

TEST_F(TextPrinterJobs, ADocumentAfterAnAbortStartsAtTheStartOfALine) {
    DotMatrixTextPrinter printer;
    quiet(printer);
    printer.beginDoc();
    printer.print(5, QStringLiteral("abc"), false);
    printer.abort();
    EXPECT_TRUE(spooler.jobs().empty());
    printer.beginDoc();
    printer.print(2, QStringLiteral("x"), true);
    printer.endDoc(false);
    const QByteArray received = nextJob();
    // The fill counts from column 0, not from the aborted line's column 8, and the font codes
    // are sent again before the text.
    EXPECT_TRUE(received.contains("\x1b-0  \x1b")) << hex(received).toStdString();
    EXPECT_TRUE(received.endsWith("\x1b-0x\r\n\x1b@")) << hex(received).toStdString();
}

TEST_F(TextPrinterJobs, DestroyingAPrintingPrinterCancelsItsJob) {
    {
        DotMatrixTextPrinter printer;
        quiet(printer);
        printer.beginDoc();
        printer.print(0, QStringLiteral("abandonado"), true);
        EXPECT_EQ(spooler.unfinishedJobs(), 1);
    }
    {
        CanvasTextPrinter printer;
        quiet(printer);
        printer.beginDoc();
        printer.print(0, QStringLiteral("abandonado"), true);
    }
    EXPECT_EQ(spooler.unfinishedJobs(), 0);
    EXPECT_TRUE(spooler.jobs().empty());
}

// --- Canvas jobs: PDF documents ---------------------------------------------------------------

TEST_F(TextPrinterJobs, CanvasLineBreakInsideATextKeepsItsCells) {
    // The stretching memo is cut into pieces that count its CR and LF as characters.
    TextPrinter printer;
    quiet(printer);
    printer.showTypeDialog = false;
    printer.beginDoc();
    printer.print(0, QStringLiteral("|"), false);
    printer.print(1, QStringLiteral("panturrilha.\r\nManter\tpor"), false);
    printer.print(25, QStringLiteral("fim"), true);
    printer.endDoc(true);
    QTemporaryDir folder;
    const QStringList lines = pdfLines(nextJob(), folder.path());
    const qsizetype origin = columnOf(lines, "|", 0);
    ASSERT_GE(origin, 0) << lines.join('\n').toStdString();
    EXPECT_EQ(columnOf(lines, "panturrilha.", 0) - origin, 1);
    EXPECT_EQ(columnOf(lines, "Manter", 0) - origin, 15) << lines.join('\n').toStdString();
    EXPECT_EQ(columnOf(lines, "por", 0) - origin, 22);
    EXPECT_EQ(columnOf(lines, "fim", 0) - origin, 25);
}

// A right-aligned line between left-aligned ones, on a 47-column paper.
void printAligned(TextPrinter& printer) {
    printer.canvasSets.paper.columns = 47;
    printer.beginDoc();
    printer.canvasSets.font.align = CanvasAlignment::Left;
    printer.print(0, QStringLiteral("|"), true);
    printer.canvasSets.font.align = CanvasAlignment::Right;
    printer.print(0, QStringLiteral("FIM"), true);
    printer.canvasSets.font.align = CanvasAlignment::Left;
    printer.print(0, QStringLiteral("|"), false);
    printer.print(4, QStringLiteral("101"), true);
    printer.endDoc(true);
}

TEST_F(TextPrinterJobs, CanvasPrintFromPreviewLaysOutLikeDirectPrinting) {
    QTemporaryDir folder;
    TextPrinter direct;
    quiet(direct);
    direct.showTypeDialog = false;
    printAligned(direct);
    const QStringList printed = pdfLines(nextJob(), folder.path());
    const qsizetype origin = columnOf(printed, "|", 0);
    ASSERT_GE(origin, 0) << printed.join('\n').toStdString();
    EXPECT_EQ(columnOf(printed, "FIM", 1) - origin, 44); // padded to the paper width
    EXPECT_EQ(columnOf(printed, "101", 2) - origin, 4);

    TextPrinter previewed;
    quiet(previewed);
    previewed.showTypeDialog = false;
    previewed.showPreview = true;
    TextPrintPreview::showPreviewsOf(previewed);
    bool stayedOpen = false;
    whenModal<TextPrintPreview>([&](TextPrintPreview* preview) {
        preview->actPrint->trigger();
        stayedOpen = preview->isVisible();
        preview->close();
    });
    printAligned(previewed);
    EXPECT_TRUE(stayedOpen);
    const QStringList replayed = pdfLines(nextJob(), folder.path());
    EXPECT_EQ(replayed, printed);
}

TEST_F(TextPrinterJobs, CanvasPrintFromPreviewKeepsAnEmptyPage) {
    CanvasTextPrinter printer;
    quiet(printer);
    printer.showPreview = true;
    TextPrintPreview::showPreviewsOf(printer);
    whenModal<TextPrintPreview>([](TextPrintPreview* preview) {
        preview->printDocument();
        preview->close();
    });
    printer.beginDoc();
    printer.print(0, QStringLiteral("primeira"), false);
    printer.newPage(2); // page 2 stays empty: no block of its own
    printer.print(0, QStringLiteral("terceira"), false);
    printer.endDoc();
    QTemporaryDir folder;
    const QStringList pages = pdfLines(nextJob(), folder.path()).join('\n').split('\f');
    ASSERT_GE(pages.size(), 3);
    EXPECT_TRUE(pages.at(0).contains("primeira"));
    EXPECT_TRUE(pages.at(1).trimmed().isEmpty());
    EXPECT_TRUE(pages.at(2).contains("terceira"));
}

TEST_F(TextPrinterJobs, CanvasAbortSendsNothing) {
    EventLog events;
    CanvasTextPrinter printer;
    quiet(printer);
    events.attach(printer);
    printer.beginDoc();
    printer.print(0, QStringLiteral("nada"), true);
    printer.newPage(1);
    printer.abort();
    EXPECT_FALSE(printer.isPrinting());
    EXPECT_EQ(events.fired.last(), "abort");
    EXPECT_TRUE(spooler.jobs().empty());
}

} // namespace
