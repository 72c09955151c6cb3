// The text printing library against the real CUPS server: raw queues whose device is a TCP
// listener of the test, so every byte the spooler sends is checked.
#include "CupsQueue.h"
#include "Recorders.h"
#include "Spooler.h"
#include "ZELPreview.h"
#include "ZELPrinter.h"
#include "ZelTestSupport.h"

#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QPrintDialog>
#include <QTemporaryDir>
#include <QTextEdit>

#include <cups/cups.h>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

QString goldenFile(const char* name) {
    return QStringLiteral(SE_TEST_DATA_DIR "/zel/") + QLatin1String(name);
}

QString hex(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex(' '));
}

class ZelCups : public ::testing::Test {
protected:
    void SetUp() override {
        const QString reason = cupsUnavailableReason();
        ASSERT_TRUE(reason.isEmpty()) << reason.toStdString();
        static int counter = 0;
        queue = std::make_unique<CupsQueue>(
            QStringLiteral("zel_test_%1_%2").arg(::getpid()).arg(++counter));
    }

    // A printer that prints on the test queue without any window.
    template <typename Printer> void quiet(Printer& printer) {
        printer.PrinterName = queue->name();
        printer.ShowDialog = false;
        printer.ShowProgress = false;
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

TEST_F(ZelCups, DotMatrixDefaultJobMatchesTheTables) {
    EventLog events;
    TZELDmPrinter printer;
    quiet(printer);
    events.attach(printer);
    printer.BeginDoc();
    ASSERT_TRUE(printer.IsPrinting());
    printer.Print(2, QStringLiteral("Olá"), false);
    printer.Print(10, QStringLiteral("B"), true);
    printer.Print(0, QStringLiteral("Ç"), false);
    printer.NewLine(1);
    printer.EndDoc(true);
    EXPECT_FALSE(printer.IsPrinting());
    expectJob("dm_basic.hex");
    EXPECT_EQ(events.fired,
              QStringList({"start", "page", "print", "print", "line", "print", "line", "end"}));
    EXPECT_EQ(printer.CurrentLine(), 3);
}

TEST_F(ZelCups, DotMatrixEveryCodeAndAlignmentMatchTheTables) {
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

TEST_F(ZelCups, FacadeDispatchesToTheDotMatrixPrinterWithItsPageBreaks) {
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

TEST_F(ZelCups, PrintingFromThePreviewSendsTheKeptBytesWithoutEvents) {
    EventLog events;
    TZELDmPrinter printer;
    quiet(printer);
    printer.Paper.Lines = 0;
    printer.ShowPreview = true;
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

TEST_F(ZelCups, PrintersListHoldsTheInstalledQueues) {
    TZELDmPrinter printer;
    EXPECT_TRUE(printer.PrintersList().contains(queue->name()));
}

TEST_F(ZelCups, InvalidNameShowsItsBoxAndForcesTheDialog) {
    TZELDmPrinter printer;
    quiet(printer);
    printer.PrinterName = QStringLiteral("zel_no_such_queue");
    PrintDialogAnswer dialog(true, queue->name());
    printer.BeginDoc();
    EXPECT_EQ(messages.texts(),
              QStringList{"A impressora selecionada ( zel_no_such_queue ) não é válida"});
    EXPECT_EQ(messages.messages().front().icon, platform::MessageIcon::Error);
    EXPECT_EQ(dialog.shown(), 1);
    EXPECT_TRUE(printer.ShowDialog);
    EXPECT_EQ(printer.PrinterName, queue->name());
    printer.Print(0, QStringLiteral("ok"), false);
    printer.EndDoc(false);
    EXPECT_TRUE(queue->listener().waitForJob().contains("ok"));
}

TEST_F(ZelCups, CancelledDialogLeavesNoDocumentAndLaterCallsDoNothing) {
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
    EXPECT_EQ(printer.PrinterName, queue->name()); // the facade keeps its own settings
    printer.Print(0, QStringLiteral("x"), true);
    printer.NewPage(1);
    printer.EndDoc(true);
    EXPECT_TRUE(events.fired.isEmpty()) << events.fired.join(' ').toStdString();
    EXPECT_EQ(printer.CurrentLine(), 1);
    EXPECT_EQ(queue->unfinishedJobs(), 0);
    EXPECT_TRUE(queue->listener().waitForJob(1500).isEmpty());
}

// The ticket's facade: canvas, no dialog, no windows.
void ticketSettings(TZELPrinter& printer, const QString& queueName) {
    printer.PrinterName = queueName;
    printer.ShowDialog = false;
    printer.ShowProgress = false;
    printer.ShowTypeDialog = false;
}

TEST_F(ZelCups, TicketAfterAMomentWithoutItsPrinterPrintsWithoutADialog) {
    // The spooler restarting lists no printer for a moment: that ticket gets the invalid-name
    // box and the dialog, which nobody at a kiosk answers.
    const QString name = queue->name() + QStringLiteral("_back");
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

    CupsQueue back(name);
    printer.BeginDoc();
    ASSERT_TRUE(printer.IsPrinting());
    printer.Print(1, QStringLiteral("proximo"), true);
    printer.EndDoc(true);
    EXPECT_EQ(dialog.shown(), 1) << "the next ticket asked for a dialog";
    EXPECT_EQ(messages.texts().size(), 1);
    EXPECT_TRUE(back.listener().waitForJob().startsWith("%PDF"));
}

TEST_F(ZelCups, TicketAfterADialogChoseAnotherPrinterGoesToItsOwnAgain) {
    auto other = std::make_unique<CupsQueue>(queue->name() + QStringLiteral("_other"));
    const QString name = queue->name() + QStringLiteral("_later");
    TZELPrinter printer;
    ticketSettings(printer, name);
    {
        PrintDialogAnswer dialog(true, other->name());
        printer.BeginDoc();
        ASSERT_TRUE(printer.IsPrinting());
        printer.EndDoc(true);
    }
    EXPECT_TRUE(other->listener().waitForJob().startsWith("%PDF"));

    CupsQueue own(name);
    PrintDialogAnswer noDialog(false);
    printer.BeginDoc();
    ASSERT_TRUE(printer.IsPrinting());
    printer.EndDoc(true);
    EXPECT_EQ(noDialog.shown(), 0);
    EXPECT_TRUE(own.listener().waitForJob().startsWith("%PDF"));
    EXPECT_TRUE(other->listener().waitForJob(1500).isEmpty());
}

TEST_F(ZelCups, SystemPrintDialogOpensOnTheCurrentPrinter) {
    platform::setCurrentPrinterName(queue->name());
    TZELDmPrinter printer;
    printer.ShowProgress = false; // ShowDialog stays on: the real dialog
    whenModal<QPrintDialog>([](QPrintDialog* dialog) {
        QMetaObject::invokeMethod(dialog, "reject", Qt::DirectConnection);
    });
    printer.BeginDoc();
    EXPECT_FALSE(printer.IsPrinting());

    QString offered;
    whenModal<QPrintDialog>([&](QPrintDialog* dialog) {
        offered = dialog->printer()->printerName();
        QMetaObject::invokeMethod(dialog, "accept", Qt::DirectConnection);
    });
    printer.BeginDoc();
    EXPECT_EQ(offered, queue->name());
    ASSERT_TRUE(printer.IsPrinting());
    EXPECT_EQ(printer.PrinterName, queue->name());
    printer.Print(0, QStringLiteral("dialogo"), false);
    printer.EndDoc(false);
    EXPECT_TRUE(queue->listener().waitForJob().contains("dialogo"));
}

TEST_F(ZelCups, QueueRemovedAfterItWasChosenCannotBeOpened) {
    EventLog events;
    auto vanishing = std::make_unique<CupsQueue>(queue->name() + QStringLiteral("_gone"));
    const QString name = vanishing->name();
    TZELDmPrinter printer;
    quiet(printer);
    printer.ShowDialog = true;
    events.attach(printer);
    const TZELPrintDialogFunction previous = setZELPrintDialogFunction([&](QPrinter& chosen) {
        chosen.setPrinterName(name);
        vanishing.reset();
        return true;
    });
    try {
        printer.BeginDoc();
        ADD_FAILURE() << "no error";
    } catch (const EZELPrinter& error) {
        EXPECT_TRUE(error.Message().startsWith(
            QStringLiteral("Não foi possível abrir a impressora %1\n").arg(name)))
            << error.what();
        EXPECT_GT(error.Message().size(), 40 + name.size()) << "the spooler's message is missing";
    }
    setZELPrintDialogFunction(previous);
    EXPECT_EQ(events.fired, QStringList{"error"});
    EXPECT_FALSE(printer.IsPrinting());
}

// Points the spooler calls of this thread at an address where nothing listens, as when the
// scheduler is stopped.
class StoppedSpooler {
public:
    StoppedSpooler() { cupsSetServer("127.0.0.1:1"); }
    ~StoppedSpooler() { cupsSetServer(nullptr); }
    StoppedSpooler(const StoppedSpooler&) = delete;
    StoppedSpooler& operator=(const StoppedSpooler&) = delete;
};

QString beginDocError(auto& printer) {
    try {
        printer.BeginDoc();
    } catch (const EZELPrinter& error) {
        return error.Message();
    }
    return QStringLiteral("no error");
}

TEST_F(ZelCups, StoppedSpoolerListsNoPrinterAndOpensNone) {
    platform::setCurrentPrinterName(queue->name());
    TZELDmPrinter current;
    current.ShowDialog = false;
    current.ShowProgress = false;
    TZELDmPrinter none;
    none.ShowDialog = false;
    TZELCaPrinter canvas;
    canvas.ShowDialog = false;
    StoppedSpooler stopped;
    EXPECT_TRUE(current.PrintersList().isEmpty());
    EXPECT_TRUE(beginDocError(current).startsWith(
        QStringLiteral("Não foi possível abrir a impressora %1\n").arg(queue->name())));
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

// Points the spooler calls of this thread at a scheduler that takes the connection and never
// answers, as a hung scheduler or a link that loses the replies does.
class SilentSpooler {
public:
    SilentSpooler() {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        auto* any = reinterpret_cast<sockaddr*>(&address);
        if (m_socket < 0 || ::bind(m_socket, any, length) != 0 || ::listen(m_socket, 16) != 0 ||
            ::getsockname(m_socket, any, &length) != 0) {
            ADD_FAILURE() << "no listening socket";
        }
        cupsSetServer(QByteArray("127.0.0.1:" + QByteArray::number(ntohs(address.sin_port))));
    }
    ~SilentSpooler() {
        cupsSetServer(nullptr);
        ::close(m_socket);
    }
    SilentSpooler(const SilentSpooler&) = delete;
    SilentSpooler& operator=(const SilentSpooler&) = delete;

private:
    int m_socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
};

// A printer named in the settings while the scheduler hangs: the ticket fails as when the
// printer cannot be opened, with no box and no dialog (Qt's print dialog and printer would wait on
// the scheduler without a limit).
TEST(Spooler, SilentSchedulerFailsANamedPrinterWithoutItsDialog) {
    MessageRecorder messages;
    bool dialogShown = false;
    const TZELPrintDialogFunction previous = setZELPrintDialogFunction([&](QPrinter&) {
        dialogShown = true;
        return false;
    });
    TZELDmPrinter printer;
    printer.PrinterName = QStringLiteral("Recepcao");
    printer.ShowDialog = false;
    printer.ShowProgress = false;
    SilentSpooler silent;
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(beginDocError(printer).startsWith(
        QStringLiteral("Não foi possível abrir a impressora Recepcao\n")));
    EXPECT_LT(clock.elapsed(), 8000);
    EXPECT_FALSE(dialogShown);
    EXPECT_TRUE(messages.texts().isEmpty());
    setZELPrintDialogFunction(previous);
}

TEST(Spooler, SilentSchedulerIsGivenUpOnWithinFiveSeconds) {
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

TEST_F(ZelCups, QueueRefusingJobsGivesTheDocumentError) {
    EventLog events;
    ASSERT_TRUE(runTool("cupsreject", {queue->name()}));
    TZELDmPrinter printer;
    quiet(printer);
    printer.Title = QStringLiteral("Ficha");
    events.attach(printer);
    try {
        printer.BeginDoc();
        FAIL() << "no error";
    } catch (const EZELPrinter& error) {
        EXPECT_TRUE(error.Message().startsWith(
            QStringLiteral("Não foi possível iniciar o documento Ficha na impressora %1\n")
                .arg(queue->name())))
            << error.what();
    }
    EXPECT_EQ(events.fired, QStringList{"error"});
    EXPECT_FALSE(printer.IsPrinting());
    EXPECT_EQ(queue->unfinishedJobs(), 0);
}

TEST_F(ZelCups, JobRefusedMidWayGivesItsErrorAndLeavesNoJob) {
    EventLog events;
    auto doomed = std::make_unique<CupsQueue>(queue->name() + QStringLiteral("_mid"));
    const QString name = doomed->name();
    TZELDmPrinter printer;
    quiet(printer);
    printer.PrinterName = name;
    events.attach(printer);
    printer.BeginDoc();
    printer.Print(0, QStringLiteral("antes"), true);
    doomed.reset(); // the queue and its jobs are removed while the document is open
    try {
        printer.Print(0, QStringLiteral("depois"), true);
        printer.EndDoc(true);
        ADD_FAILURE() << "no error";
    } catch (const EZELPrinter& error) {
        // The few bytes wait in the connection's buffer; the spooler refuses at the end.
        EXPECT_TRUE(error.Message().startsWith(
            QStringLiteral("Não foi possível finalizar o documento ZELPrint Document na "
                           "impressora %1\n")
                .arg(name)))
            << error.what();
    }
    EXPECT_EQ(events.fired.last(), "error");
    EXPECT_TRUE(printer.IsPrinting()); // the state as it was at the failure
    printer.Abort();                   // the refused job is already gone
    EXPECT_FALSE(printer.IsPrinting());
    EXPECT_EQ(events.fired.last(), "abort");
}

TEST_F(ZelCups, DocumentErrorsOfTheJobState) {
    TZELDmPrinter printer;
    quiet(printer);
    printer.Print(0, QStringLiteral("outside"), true); // outside a document: nothing
    try {
        printer.WriteStr("x", QString());
        FAIL() << "no error";
    } catch (const EZELPrinter& error) {
        EXPECT_EQ(error.Message(),
                  QStringLiteral("A impressora %1 não está imprimindo").arg(queue->name()));
    }
    printer.BeginDoc();
    try {
        printer.BeginDoc();
        FAIL() << "no error";
    } catch (const EZELPrinter& error) {
        EXPECT_EQ(error.Message(),
                  QStringLiteral("Impressão em andamento na impressora %1").arg(queue->name()));
    }
    EXPECT_TRUE(printer.IsPrinting());
    printer.EndDoc(false);
    EXPECT_FALSE(queue->listener().waitForJob().contains("outside"));
}

TEST_F(ZelCups, AbortCancelsTheHalfSentJob) {
    EventLog events;
    TZELPrinter printer;
    quiet(printer);
    printer.ShowTypeDialog = false;
    printer.PrinterType = ptDotMatrix;
    events.attach(printer);
    printer.BeginDoc();
    printer.Print(0, QStringLiteral("meio trabalho"), true);
    printer.Abort();
    EXPECT_FALSE(printer.IsPrinting());
    EXPECT_EQ(events.fired.last(), "abort");
    EXPECT_EQ(queue->unfinishedJobs(), 0);
    EXPECT_TRUE(queue->listener().waitForJob(1500).isEmpty());
}

TEST_F(ZelCups, ADocumentAfterAnAbortStartsAtTheStartOfALine) {
    TZELDmPrinter printer;
    quiet(printer);
    printer.BeginDoc();
    printer.Print(5, QStringLiteral("abc"), false);
    printer.Abort();
    EXPECT_TRUE(queue->listener().waitForJob(1500).isEmpty());
    printer.BeginDoc();
    printer.Print(2, QStringLiteral("x"), true);
    printer.EndDoc(false);
    const QByteArray received = queue->listener().waitForJob();
    // The fill counts from column 0, not from the aborted line's column 8, and the font codes
    // are sent again before the text.
    EXPECT_TRUE(received.contains("\x1b-0  \x1b")) << hex(received).toStdString();
    EXPECT_TRUE(received.endsWith("\x1b-0x\r\n\x1b@")) << hex(received).toStdString();
}

TEST_F(ZelCups, DestroyingAPrintingPrinterCancelsItsJob) {
    {
        TZELDmPrinter printer;
        quiet(printer);
        printer.BeginDoc();
        printer.Print(0, QStringLiteral("abandonado"), true);
    }
    {
        TZELCaPrinter printer;
        quiet(printer);
        printer.BeginDoc();
        printer.Print(0, QStringLiteral("abandonado"), true);
    }
    EXPECT_EQ(queue->unfinishedJobs(), 0);
    EXPECT_TRUE(queue->listener().waitForJob(1500).isEmpty());
}

// --- Canvas jobs: PDF through the queue -------------------------------------------------------

// The text of a PDF job laid out in columns. A 10-point fixed-pitch cell is 6 points wide; told
// so, pdftotext keeps long gaps instead of squeezing them.
QStringList pdfLines(const QByteArray& pdf, const QString& folder) {
    QFile file(folder + "/job.pdf");
    if (!file.open(QIODevice::WriteOnly) || file.write(pdf) != pdf.size())
        return {};
    file.close();
    QString text;
    if (!runTool("pdftotext", {"-layout", "-fixed", "6", file.fileName(), "-"}, &text))
        return {};
    return text.split('\n');
}

// Prints the ticket's kind of lines: pieces at given columns.
void printColumns(TZELPrinter& printer) {
    printer.BeginDoc();
    printer.Print(0, QStringLiteral("|"), false);
    printer.Print(1, QStringLiteral("0000001234 - JOSE DA SILVA"), true);
    printer.Replicate(1, 47, QLatin1Char('-'), true);
    printer.Print(0, QStringLiteral("|"), false);
    printer.Print(4, QStringLiteral("101"), false);
    printer.Print(16, QStringLiteral("3"), false);
    printer.Print(35, QStringLiteral("60"), true);
    printer.EndDoc(true);
}

qsizetype columnOf(const QStringList& lines, const QString& text, int line) {
    return line < lines.size() ? lines.at(line).indexOf(text) : -1;
}

TEST_F(ZelCups, CanvasTextLinesUpInItsColumns) {
    TZELPrinter printer;
    quiet(printer);
    printer.ShowTypeDialog = false;
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
    const QString image = QDir::temp().filePath("zel_canvas_page");
    EXPECT_TRUE(runTool("pdftoppm", {"-png", "-r", "60", "-f", "1", "-l", "1", "-singlefile",
                                     folder.path() + "/job.pdf", image}));
    EXPECT_TRUE(QFile::exists(image + ".png"));
}

TEST_F(ZelCups, CanvasLineBreakInsideATextKeepsItsCells) {
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
    const QStringList lines = pdfLines(queue->listener().waitForJob(), folder.path());
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

TEST_F(ZelCups, CanvasPrintFromPreviewLaysOutLikeDirectPrinting) {
    QTemporaryDir folder;
    TZELPrinter direct;
    quiet(direct);
    direct.ShowTypeDialog = false;
    printAligned(direct);
    const QStringList printed = pdfLines(queue->listener().waitForJob(), folder.path());
    const qsizetype origin = columnOf(printed, "|", 0);
    ASSERT_GE(origin, 0) << printed.join('\n').toStdString();
    EXPECT_EQ(columnOf(printed, "FIM", 1) - origin, 44); // padded to the paper width
    EXPECT_EQ(columnOf(printed, "101", 2) - origin, 4);

    TZELPrinter previewed;
    quiet(previewed);
    previewed.ShowTypeDialog = false;
    previewed.ShowPreview = true;
    bool stayedOpen = false;
    whenModal<TfrmZELPreview>([&](TfrmZELPreview* preview) {
        preview->actPrint->trigger();
        stayedOpen = preview->isVisible();
        preview->close();
    });
    printAligned(previewed);
    EXPECT_TRUE(stayedOpen);
    const QStringList replayed = pdfLines(queue->listener().waitForJob(), folder.path());
    EXPECT_EQ(replayed, printed);
}

TEST_F(ZelCups, CanvasPrintFromPreviewKeepsAnEmptyPage) {
    TZELCaPrinter printer;
    quiet(printer);
    printer.ShowPreview = true;
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
    const QStringList pages =
        pdfLines(queue->listener().waitForJob(), folder.path()).join('\n').split('\f');
    ASSERT_GE(pages.size(), 3);
    EXPECT_TRUE(pages.at(0).contains("primeira"));
    EXPECT_TRUE(pages.at(1).trimmed().isEmpty());
    EXPECT_TRUE(pages.at(2).contains("terceira"));
}

TEST_F(ZelCups, CanvasAbortSendsNothing) {
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
    EXPECT_TRUE(queue->listener().waitForJob(2000).isEmpty());
    EXPECT_EQ(queue->unfinishedJobs(), 0);
}

} // namespace
