// The text printing library's documents, their printer selection and their faults, printed on
// the fake spooler: every job is checked byte for byte without a print server.
#include "Recorders.h"
#include "TestFiles.h"
#include "ZELPreview.h"
#include "ZELPrinter.h"
#include "ZelTestSupport.h"

#include <QAction>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTextEdit>

#include <gtest/gtest.h>

namespace {

const QString Printer = QStringLiteral("Recepcao");

class ZelJobs : public ::testing::Test {
protected:
    ZelJobs() {
        spooler.addPrinter(Printer);
        platform::setCurrentPrinterName(QString());
    }

    // A printer that prints on the test's printer without any window.
    template <typename AnyPrinter> static void quiet(AnyPrinter& printer) {
        printer.PrinterName = Printer;
        printer.ShowDialog = false;
        printer.ShowProgress = false;
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

TEST_F(ZelJobs, DotMatrixEveryCodeAndAlignmentMatchTheTables) {
    TZELDmPrinter printer;
    quiet(printer);
    printer.Paper.AutoNewPage = true;
    printer.Paper.AutoNewPageLines = 3;
    printer.Paper.Lines = 6;
    printer.Paper.Columns = 20;
    printer.Paper.MarginLeft = 2;
    printer.Paper.MarginRight = 3;
    printer.setLineSpacingCustomValue(20);
    printer.Font.Pitch = fp12cpp;
    printer.Font.FontType = ftNLQ;
    printer.Font.NLQFont = ntRoman;
    printer.Font.Size = fsCondensed;
    printer.Font.Style = fsDmBold | fsDmItalic | fsDmSubScript | fsDmUnderline;
    printer.Font.Align = faCenter;
    printer.CharMode = cmNormal;
    printer.BeginDoc();
    printer.Print(1, QStringLiteral("Até"), true);
    printer.NewLine(2);
    EXPECT_EQ(printer.CurrentPage(), 2);
    EXPECT_EQ(printer.CurrentLine(), 1);
    printer.EndDoc(false);
    expectJob("dm_styles.hex");
}

TEST_F(ZelJobs, FacadeDispatchesToTheDotMatrixPrinterWithItsPageBreaks) {
    EventLog events;
    TZELPrinter printer;
    quiet(printer);
    printer.ShowTypeDialog = false;
    printer.PrinterType = ptDotMatrix;
    printer.DotMatrixSets.Paper.Lines = 4;
    printer.DotMatrixSets.Paper.AutoNewPage = true;
    printer.DotMatrixSets.Paper.AutoNewPageLines = 1;
    printer.DotMatrixSets.setLineSpacing(ls8lpp);
    events.attach(printer);
    printer.BeginDoc();
    printer.PrintCenter(10, QStringLiteral("abc"), true);
    printer.Replicate(2, 3, QLatin1Char('-'), true);
    printer.Print(5, 1, QStringLiteral("x"), false);
    EXPECT_EQ(printer.CurrentPage(), 2);
    EXPECT_EQ(printer.CurrentLine(), 2);
    printer.EndDoc(true);
    EXPECT_FALSE(printer.IsPrinting());
    expectJob("dm_facade.hex");
    EXPECT_EQ(events.fired.count("page"), 2);
    EXPECT_EQ(events.fired.first(), "start");
    EXPECT_EQ(events.fired.last(), "end");
}

TEST_F(ZelJobs, PrintingFromThePreviewSendsTheKeptBytesWithoutEvents) {
    EventLog events;
    TZELDmPrinter printer;
    quiet(printer);
    printer.Paper.Lines = 0;
    printer.ShowPreview = true;
    TfrmZELPreview::showPreviewsOf(printer);
    events.attach(printer);
    bool stayedOpen = false;
    whenModal<TfrmZELPreview>([&](TfrmZELPreview* preview) {
        events.fired.clear();
        QKeyEvent altP(QEvent::KeyPress, Qt::Key_P, Qt::AltModifier);
        QApplication::sendEvent(preview->rePage, &altP);
        stayedOpen = preview->isVisible();
        preview->close();
    });
    printer.BeginDoc();
    printer.Print(0, QStringLiteral("A"), false);
    printer.NewPage(1);
    printer.Print(0, QStringLiteral("B"), false);
    printer.EndDoc(false);
    expectJob("dm_from_preview.hex");
    EXPECT_TRUE(stayedOpen);
    EXPECT_TRUE(events.fired.isEmpty()) << events.fired.join(' ').toStdString();
    EXPECT_TRUE(printer.ShowPreview);
    EXPECT_FALSE(printer.FromPreview);
}

// --- Selection, faults and half-open jobs -----------------------------------------------------

TEST_F(ZelJobs, PrintersListHoldsTheInstalledPrinters) {
    spooler.addPrinter(QStringLiteral("Balcao"));
    TZELDmPrinter printer;
    EXPECT_EQ(printer.PrintersList(), QStringList({Printer, QStringLiteral("Balcao")}));
}

TEST_F(ZelJobs, InvalidNameShowsItsBoxAndForcesTheDialog) {
    TZELDmPrinter printer;
    quiet(printer);
    printer.PrinterName = QStringLiteral("zel_no_such_queue");
    PrintDialogAnswer dialog(true, Printer);
    printer.BeginDoc();
    EXPECT_EQ(messages.texts(),
              QStringList{"A impressora selecionada ( zel_no_such_queue ) não é válida"});
    EXPECT_EQ(messages.messages().front().icon, platform::MessageIcon::Error);
    EXPECT_EQ(dialog.shown(), 1);
    EXPECT_TRUE(printer.ShowDialog);
    EXPECT_EQ(printer.PrinterName, Printer);
    printer.Print(0, QStringLiteral("ok"), false);
    printer.EndDoc(false);
    EXPECT_TRUE(nextJob().contains("ok"));
}

TEST_F(ZelJobs, CancelledDialogLeavesNoDocumentAndLaterCallsDoNothing) {
    EventLog events;
    TZELPrinter printer;
    quiet(printer);
    printer.ShowTypeDialog = false;
    printer.PrinterType = ptDotMatrix;
    printer.ShowDialog = true;
    events.attach(printer);
    PrintDialogAnswer dialog(false);
    printer.BeginDoc();
    EXPECT_EQ(dialog.shown(), 1);
    EXPECT_FALSE(printer.IsPrinting());
    EXPECT_EQ(printer.PrinterName, Printer); // the facade keeps its own settings
    printer.Print(0, QStringLiteral("x"), true);
    printer.NewPage(1);
    printer.EndDoc(true);
    EXPECT_TRUE(events.fired.isEmpty()) << events.fired.join(' ').toStdString();
    EXPECT_EQ(printer.CurrentLine(), 1);
    EXPECT_EQ(spooler.unfinishedJobs(), 0);
    EXPECT_TRUE(spooler.jobs().empty());
}

// The ticket's facade: canvas, no dialog, no windows.
void ticketSettings(TZELPrinter& printer, const QString& printerName) {
    printer.PrinterName = printerName;
    printer.ShowDialog = false;
    printer.ShowProgress = false;
    printer.ShowTypeDialog = false;
}

TEST_F(ZelJobs, TicketAfterAMomentWithoutItsPrinterPrintsWithoutADialog) {
    // The spooler restarting lists no printer for a moment: that ticket gets the invalid-name
    // box and the dialog, which nobody at a kiosk answers.
    const QString name = Printer + QStringLiteral("_back");
    TZELPrinter printer;
    ticketSettings(printer, name);
    PrintDialogAnswer dialog(false);
    printer.BeginDoc();
    EXPECT_EQ(dialog.shown(), 1);
    EXPECT_FALSE(printer.IsPrinting());
    EXPECT_EQ(
        messages.texts(),
        QStringList{QStringLiteral("A impressora selecionada ( %1 ) não é válida").arg(name)});
    EXPECT_EQ(printer.PrinterName, name);
    EXPECT_FALSE(printer.ShowDialog);

    spooler.addPrinter(name);
    printer.BeginDoc();
    ASSERT_TRUE(printer.IsPrinting());
    printer.Print(1, QStringLiteral("proximo"), true);
    printer.EndDoc(true);
    EXPECT_EQ(dialog.shown(), 1) << "the next ticket asked for a dialog";
    EXPECT_EQ(messages.texts().size(), 1);
    EXPECT_TRUE(nextJob(name).startsWith("%PDF"));
}

TEST_F(ZelJobs, TicketAfterADialogChoseAnotherPrinterGoesToItsOwnAgain) {
    const QString other = Printer + QStringLiteral("_other");
    const QString name = Printer + QStringLiteral("_later");
    spooler.addPrinter(other);
    TZELPrinter printer;
    ticketSettings(printer, name);
    {
        PrintDialogAnswer dialog(true, other);
        printer.BeginDoc();
        ASSERT_TRUE(printer.IsPrinting());
        printer.EndDoc(true);
    }
    spooler.addPrinter(name);
    PrintDialogAnswer noDialog(false);
    printer.BeginDoc();
    ASSERT_TRUE(printer.IsPrinting());
    printer.EndDoc(true);
    EXPECT_EQ(noDialog.shown(), 0);
    ASSERT_EQ(spooler.jobs().size(), 2U);
    EXPECT_EQ(spooler.jobs().at(0).printer, other);
    EXPECT_EQ(spooler.jobs().at(1).printer, name);
    EXPECT_TRUE(spooler.jobs().at(1).bytes.startsWith("%PDF"));
}

TEST_F(ZelJobs, PrinterRemovedAfterItWasChosenCannotBeOpened) {
    EventLog events;
    const QString name = Printer + QStringLiteral("_gone");
    spooler.addPrinter(name);
    TZELDmPrinter printer;
    quiet(printer);
    printer.ShowDialog = true;
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
    EXPECT_FALSE(printer.IsPrinting());
}

TEST_F(ZelJobs, StoppedSpoolerListsNoPrinterAndOpensNone) {
    platform::setCurrentPrinterName(Printer);
    TZELDmPrinter current;
    current.ShowDialog = false;
    current.ShowProgress = false;
    TZELDmPrinter none;
    none.ShowDialog = false;
    TZELCaPrinter canvas;
    canvas.ShowDialog = false;
    spooler.stop();
    EXPECT_TRUE(current.PrintersList().isEmpty());
    EXPECT_TRUE(beginDocError(current).startsWith(
        QStringLiteral("Não foi possível abrir a impressora %1\n").arg(Printer)));
    EXPECT_FALSE(current.IsPrinting());

    platform::setCurrentPrinterName(QString()); // no current printer, and no default
    EXPECT_EQ(beginDocError(none), "Nenhuma impressora está instalada");
    EXPECT_EQ(beginDocError(canvas), "Nenhuma impressora padrão selecionada");

    TZELPrinter facade; // reports its printers' errors as its own
    facade.ShowDialog = false;
    facade.ShowTypeDialog = false;
    facade.PrinterType = ptDotMatrix;
    QObject* reportedBy = nullptr;
    facade.OnError = [&](QObject* sender) {
        reportedBy = sender;
    };
    EXPECT_EQ(beginDocError(facade), "Nenhuma impressora está instalada");
    EXPECT_EQ(reportedBy, &facade);
    EXPECT_TRUE(messages.texts().isEmpty());
}

// A printer named in the settings while the spooler does not answer: the ticket fails as when
// the printer cannot be opened, with no box and no dialog (Qt's print dialog and printer would
// wait on the spooler without a limit).
TEST_F(ZelJobs, SpoolerNotAnsweringFailsANamedPrinterWithoutItsDialog) {
    PrintDialogAnswer dialog(false);
    TZELDmPrinter printer;
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

TEST_F(ZelJobs, PrinterRefusingJobsGivesTheDocumentError) {
    EventLog events;
    spooler.refuseJobs(Printer);
    TZELDmPrinter printer;
    quiet(printer);
    printer.Title = QStringLiteral("Ficha");
    events.attach(printer);
    const QString start =
        QStringLiteral("Não foi possível iniciar o documento Ficha na impressora %1\n")
            .arg(Printer);
    const QString error = beginDocError(printer);
    EXPECT_TRUE(error.startsWith(start)) << error.toStdString();
    EXPECT_GT(error.size(), start.size()) << "the spooler's message is missing";
    EXPECT_EQ(events.fired, QStringList{"error"});
    EXPECT_FALSE(printer.IsPrinting());
    EXPECT_EQ(spooler.unfinishedJobs(), 0);
}

TEST_F(ZelJobs, DocumentErrorsOfTheJobState) {
    TZELDmPrinter printer;
    quiet(printer);
    printer.Print(0, QStringLiteral("outside"), true); // outside a document: nothing
    try {
        printer.WriteStr("x", QString());
        FAIL() << "no error";
    } catch (const EZELPrinter& error) {
        EXPECT_EQ(error.Message(),
                  QStringLiteral("A impressora %1 não está imprimindo").arg(Printer));
    }
    printer.BeginDoc();
    try {
        printer.BeginDoc();
        FAIL() << "no error";
    } catch (const EZELPrinter& error) {
        EXPECT_EQ(error.Message(),
                  QStringLiteral("Impressão em andamento na impressora %1").arg(Printer));
    }
    EXPECT_TRUE(printer.IsPrinting());
    printer.EndDoc(false);
    EXPECT_FALSE(nextJob().contains("outside"));
}

TEST_F(ZelJobs, ADocumentAfterAnAbortStartsAtTheStartOfALine) {
    TZELDmPrinter printer;
    quiet(printer);
    printer.BeginDoc();
    printer.Print(5, QStringLiteral("abc"), false);
    printer.Abort();
    EXPECT_TRUE(spooler.jobs().empty());
    printer.BeginDoc();
    printer.Print(2, QStringLiteral("x"), true);
    printer.EndDoc(false);
    const QByteArray received = nextJob();
    // The fill counts from column 0, not from the aborted line's column 8, and the font codes
    // are sent again before the text.
    EXPECT_TRUE(received.contains("\x1b-0  \x1b")) << hex(received).toStdString();
    EXPECT_TRUE(received.endsWith("\x1b-0x\r\n\x1b@")) << hex(received).toStdString();
}

TEST_F(ZelJobs, DestroyingAPrintingPrinterCancelsItsJob) {
    {
        TZELDmPrinter printer;
        quiet(printer);
        printer.BeginDoc();
        printer.Print(0, QStringLiteral("abandonado"), true);
        EXPECT_EQ(spooler.unfinishedJobs(), 1);
    }
    {
        TZELCaPrinter printer;
        quiet(printer);
        printer.BeginDoc();
        printer.Print(0, QStringLiteral("abandonado"), true);
    }
    EXPECT_EQ(spooler.unfinishedJobs(), 0);
    EXPECT_TRUE(spooler.jobs().empty());
}

// --- Canvas jobs: PDF documents ---------------------------------------------------------------

TEST_F(ZelJobs, CanvasLineBreakInsideATextKeepsItsCells) {
    // The stretching memo is cut into pieces that count its CR and LF as characters.
    TZELPrinter printer;
    quiet(printer);
    printer.ShowTypeDialog = false;
    printer.BeginDoc();
    printer.Print(0, QStringLiteral("|"), false);
    printer.Print(1, QStringLiteral("panturrilha.\r\nManter\tpor"), false);
    printer.Print(25, QStringLiteral("fim"), true);
    printer.EndDoc(true);
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
void printAligned(TZELPrinter& printer) {
    printer.CanvasSets.Paper.Columns = 47;
    printer.BeginDoc();
    printer.CanvasSets.Font.Align = taLeftJustify;
    printer.Print(0, QStringLiteral("|"), true);
    printer.CanvasSets.Font.Align = taRightJustify;
    printer.Print(0, QStringLiteral("FIM"), true);
    printer.CanvasSets.Font.Align = taLeftJustify;
    printer.Print(0, QStringLiteral("|"), false);
    printer.Print(4, QStringLiteral("101"), true);
    printer.EndDoc(true);
}

TEST_F(ZelJobs, CanvasPrintFromPreviewLaysOutLikeDirectPrinting) {
    QTemporaryDir folder;
    TZELPrinter direct;
    quiet(direct);
    direct.ShowTypeDialog = false;
    printAligned(direct);
    const QStringList printed = pdfLines(nextJob(), folder.path());
    const qsizetype origin = columnOf(printed, "|", 0);
    ASSERT_GE(origin, 0) << printed.join('\n').toStdString();
    EXPECT_EQ(columnOf(printed, "FIM", 1) - origin, 44); // padded to the paper width
    EXPECT_EQ(columnOf(printed, "101", 2) - origin, 4);

    TZELPrinter previewed;
    quiet(previewed);
    previewed.ShowTypeDialog = false;
    previewed.ShowPreview = true;
    TfrmZELPreview::showPreviewsOf(previewed);
    bool stayedOpen = false;
    whenModal<TfrmZELPreview>([&](TfrmZELPreview* preview) {
        preview->actPrint->trigger();
        stayedOpen = preview->isVisible();
        preview->close();
    });
    printAligned(previewed);
    EXPECT_TRUE(stayedOpen);
    const QStringList replayed = pdfLines(nextJob(), folder.path());
    EXPECT_EQ(replayed, printed);
}

TEST_F(ZelJobs, CanvasPrintFromPreviewKeepsAnEmptyPage) {
    TZELCaPrinter printer;
    quiet(printer);
    printer.ShowPreview = true;
    TfrmZELPreview::showPreviewsOf(printer);
    whenModal<TfrmZELPreview>([](TfrmZELPreview* preview) {
        preview->PrintDocument();
        preview->close();
    });
    printer.BeginDoc();
    printer.Print(0, QStringLiteral("primeira"), false);
    printer.NewPage(2); // page 2 stays empty: no block of its own
    printer.Print(0, QStringLiteral("terceira"), false);
    printer.EndDoc();
    QTemporaryDir folder;
    const QStringList pages = pdfLines(nextJob(), folder.path()).join('\n').split('\f');
    ASSERT_GE(pages.size(), 3);
    EXPECT_TRUE(pages.at(0).contains("primeira"));
    EXPECT_TRUE(pages.at(1).trimmed().isEmpty());
    EXPECT_TRUE(pages.at(2).contains("terceira"));
}

TEST_F(ZelJobs, CanvasAbortSendsNothing) {
    EventLog events;
    TZELCaPrinter printer;
    quiet(printer);
    events.attach(printer);
    printer.BeginDoc();
    printer.Print(0, QStringLiteral("nada"), true);
    printer.NewPage(1);
    printer.Abort();
    EXPECT_FALSE(printer.IsPrinting());
    EXPECT_EQ(events.fired.last(), "abort");
    EXPECT_TRUE(spooler.jobs().empty());
}

} // namespace
