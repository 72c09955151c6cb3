#include "MatrixPrintDriver.h"
#include "PrintJobFixture.h"
#include "Windows1252.h"

#include <QFileInfo>

#include <array>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/stat.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

// A driver writing to a file of the current directory, without page header.
std::unique_ptr<MatrixPrintDriver> fileDriver(const QString& name,
                                              PrinterModel model = PrinterModel::Epson9Pin) {
    auto driver = std::make_unique<MatrixPrintDriver>();
    driver->setPrinterPort(name);
    driver->setPrinterModel(model);
    driver->setPrintsPageHeader(false);
    return driver;
}

QByteArray bytes(const char* text) {
    return QByteArray(text);
}

} // namespace

using MatrixPrintJobs = PrintJobTest;

TEST(MatrixPrintDriverComponent, PublishedDefaults) {
    MatrixPrintDriver driver;
    EXPECT_TRUE(driver.printsPageHeader());
    EXPECT_EQ(driver.printerModel(), PrinterModel::Epson9Pin);
    EXPECT_FALSE(driver.preview());
    EXPECT_EQ(driver.linesPerPage(), 60);
    EXPECT_EQ(driver.pageWidth(), 80);
    EXPECT_TRUE(driver.printerPort().isEmpty());
    EXPECT_EQ(driver.headerData().firstPage, 1);
    EXPECT_TRUE(driver.headerData().title1.isEmpty());
    EXPECT_TRUE(driver.headerData().colHeader3.isEmpty());

    // The header texts are copied: the caller's object stays the caller's.
    PageHeader header;
    header.title1 = QStringLiteral("Relatório");
    driver.setHeaderData(header);
    header.title1.clear();
    EXPECT_EQ(driver.headerData().title1, QStringLiteral("Relatório"));
}

TEST_F(MatrixPrintJobs, HeaderWithTitlesCaptionsAndAutomaticEjects) {
    MatrixPrintDriver driver;
    driver.setPrinterPort(QStringLiteral("header.txt"));
    driver.setPageWidth(48);
    driver.setLinesPerPage(13);
    PageHeader& header = driver.headerData();
    header.firstPage = 3;
    header.title1 = QStringLiteral("Ficha");
    header.title2 = QStringLiteral("Treino A");
    header.left2 = QStringLiteral("Esq");
    header.right2 = QStringLiteral("Dir");
    header.right3 = QStringLiteral("R3");
    header.colHeader1 = QStringLiteral("Ex,0;Série,20");
    header.colHeader2 = QStringLiteral("Fim,5;");

    ASSERT_TRUE(driver.beginJob());
    for (const char* line : {"Linha 1", "Linha 2", "Linha 3", "Linha 4"}) {
        driver.print(QString(), QString::fromLatin1(line), 2, true);
    }
    driver.endJob();

    EXPECT_EQ(printed(QStringLiteral("header.txt")), golden(QStringLiteral("header.bin")));
}

TEST_F(MatrixPrintJobs, HeaderWithoutOptionalLinesCountsSeven) {
    // linesPerPage 8: the header (7) and one body line fit, the second body line starts a new page.
    MatrixPrintDriver driver;
    driver.setPrinterPort(QStringLiteral("short.txt"));
    driver.setPageWidth(20);
    driver.setLinesPerPage(8);
    ASSERT_TRUE(driver.beginJob());
    driver.print(QString(), QStringLiteral("a"), 0, true);
    driver.print(QString(), QStringLiteral("b"), 0, true);
    driver.endJob();

    const QByteArray page1 = "08/12/2026 09:05:07Pagina: 0001\r\n" // title left of the column
                             "                    \r\n"            // empty sides, fill kept
                             " \r\n"
                             "--------------------\r\n";
    const QByteArray page2 = QByteArray(page1).replace("0001", "0002");
    EXPECT_EQ(printed(QStringLiteral("short.txt")), page1 + "a\r\nb\r\n\x0c" + page2);
}

TEST_F(MatrixPrintJobs, HeaderSmallerThanQtLinesDoesNotLoop) {
    // With linesPerPage below the header's own count each page holds the header and one line.
    MatrixPrintDriver driver;
    driver.setPrinterPort(QStringLiteral("tiny.txt"));
    driver.setPageWidth(20);
    driver.setLinesPerPage(2);
    ASSERT_TRUE(driver.beginJob());
    driver.print(QString(), QStringLiteral("a"), 0, true);
    driver.print(QString(), QStringLiteral("b"), 0, true);
    driver.endJob();
    EXPECT_EQ(printed(QStringLiteral("tiny.txt")).count('\x0c'), 2);
}

TEST_F(MatrixPrintJobs, ColumnCaptionThatIsNotANumberRaises) {
    MatrixPrintDriver driver;
    driver.setPrinterPort(QStringLiteral("captions.txt"));
    driver.headerData().colHeader1 = QStringLiteral("Nome,x");
    ASSERT_TRUE(driver.beginJob());
    EXPECT_THROW(driver.print(QString(), QStringLiteral("a"), 0, true), std::invalid_argument);
    driver.endJob();
}

TEST_F(MatrixPrintJobs, NegritoEpsonOverstrikesOnlyWithALineEnd) {
    auto driver = fileDriver(QStringLiteral("negrito.txt"));
    ASSERT_TRUE(driver->beginJob());
    const QString overprint = driver->controlCodes().boldByOverprint;
    driver->print(overprint, QStringLiteral("Titulo"), 22, false);
    driver->print(overprint, QStringLiteral("Bold"), 25, true);
    driver->print(overprint, QStringLiteral("Só"), 0, true);
    driver->endJob();
    EXPECT_EQ(printed(QStringLiteral("negrito.txt")), golden(QStringLiteral("negrito.bin")));
}

TEST_F(MatrixPrintJobs, NegritoEpsonWithAnEmptyRetornoCarroPrintsTwiceSideBySide) {
    // A driver that never ran a 9-pin Epson job has no carriage return code.
    auto driver = fileDriver(QStringLiteral("twice.txt"), PrinterModel::IbmStandard);
    ASSERT_TRUE(driver->beginJob());
    driver->print(driver->controlCodes().boldByOverprint, QStringLiteral("X"), 0, true);
    driver->endJob();
    EXPECT_EQ(printed(QStringLiteral("twice.txt")),
              golden(QStringLiteral("negrito-sem-retorno.bin")));
}

TEST_F(MatrixPrintJobs, EffectsComeBeforeTheFillAndColumnsAreTracked) {
    auto driver = fileDriver(QStringLiteral("effects.txt"));
    ASSERT_TRUE(driver->beginJob());
    const MatrixControlCodes& codes = driver->controlCodes();
    driver->print(codes.bold, QStringLiteral("Nome"), 5, false);
    driver->print(QStringLiteral("Obs.:"), QStringLiteral("texto"), 12, true);
    driver->print(QString(), QStringLiteral("ABCDEF"), 0, false);
    driver->print(QString(), QStringLiteral("xy"), 3, false); // left of the current column
    driver->print(QString(), QStringLiteral("z"), 7, true);   // tracked as 3 + 2
    driver->print(QString(), QString(), 4, true);
    driver->sendCodes(codes.expanded);
    driver->print(QString(), QStringLiteral("Big"), 1, true);
    driver->sendCodes(codes.expandedOff);
    driver->print(QString(), QStringLiteral("è€Ω😀"), 0, true);
    driver->eject();
    driver->endJob();
    EXPECT_EQ(printed(QStringLiteral("effects.txt")), golden(QStringLiteral("effects.bin")));
}

TEST_F(MatrixPrintJobs, EveryRowOfTheAccentTable) {
    const QString letters = QStringLiteral("áÁãÃâÂäÄàÀéÉêÊëËíÍîÎïÏóÓõÕôÔöÖúÚûÛüÜçÇº");
    ASSERT_EQ(letters.size(), 39);
    EXPECT_EQ(MatrixPrintDriver::toPrinterCharset(letters).size(), 39);
    // Targets are the Windows-1252 characters of the bytes: 87 is "‡", 84 is "„".
    EXPECT_EQ(MatrixPrintDriver::toPrinterCharset(QStringLiteral("Ação 1 è")),
              QStringLiteral("A‡„o 1 è"));

    auto driver = fileDriver(QStringLiteral("accents.txt"));
    ASSERT_TRUE(driver->beginJob());
    driver->print(QString(), letters, 0, true);
    driver->endJob();
    EXPECT_EQ(printed(QStringLiteral("accents.txt")), golden(QStringLiteral("accents.bin")));
}

TEST_F(MatrixPrintJobs, EveryModelsCodeTable) {
    const std::array<std::pair<PrinterModel, const char*>, 11> models = {{
        {PrinterModel::IbmStandard, "codes-ibm.bin"},
        {PrinterModel::Deskjet500, "codes-deskjet.bin"},
        {PrinterModel::Deskjet600, "codes-deskjet.bin"},
        {PrinterModel::Rima, "codes-rima.bin"},
        {PrinterModel::Epson9Pin, "codes-epson9.bin"},
        {PrinterModel::EmiliaPs, "codes-emilia.bin"},
        {PrinterModel::EpsonStylusC2, "codes-epson-ink.bin"},
        {PrinterModel::CanonBjc4000, "codes-epson-ink.bin"},
        {PrinterModel::Epson24Pin, "codes-epson-ink.bin"},
        {PrinterModel::Printer40Columns, "codes-imp40.bin"},
        {PrinterModel::Bematech, "codes-bema.bin"},
    }};
    using Codes = MatrixControlCodes;
    for (const auto& [model, expected] : models) {
        auto driver = fileDriver(QStringLiteral("codes.txt"), model);
        Codes earlier;
        earlier.carriageReturn = QStringLiteral("K"); // shows the codes a model keeps
        driver->setControlCodes(earlier);
        ASSERT_TRUE(driver->beginJob());
        for (QString Codes::*code :
             {&Codes::condensed, &Codes::condensedOff, &Codes::superCondensed,
              &Codes::superCondensedOff, &Codes::elite, &Codes::eliteOff, &Codes::bold,
              &Codes::boldOff, &Codes::carriageReturn, &Codes::expanded, &Codes::expandedOff,
              &Codes::lineSpacing8, &Codes::lineSpacing6, &Codes::eject, &Codes::pageLength}) {
            driver->sendCodes(driver->controlCodes().*code);
            driver->sendCodes(QStringLiteral("|"));
        }
        driver->endJob();
        EXPECT_EQ(printed(QStringLiteral("codes.txt")), golden(QString::fromLatin1(expected)))
            << "model " << static_cast<int>(model);
    }
}

TEST_F(MatrixPrintJobs, KeptCodesCarryOverBetweenJobs) {
    auto driver = fileDriver(QStringLiteral("a.txt"), PrinterModel::Epson9Pin);
    const MatrixControlCodes& codes = driver->controlCodes();
    ASSERT_TRUE(driver->beginJob());
    driver->endJob();
    EXPECT_EQ(codes.carriageReturn, QStringLiteral("\r"));
    EXPECT_TRUE(codes.boldOff.isEmpty());

    driver->setPrinterModel(PrinterModel::IbmStandard);
    driver->setPrinterPort(QStringLiteral("b.txt"));
    ASSERT_TRUE(driver->beginJob());
    driver->print(codes.boldByOverprint, QStringLiteral("X"), 0, true);
    driver->endJob();
    EXPECT_EQ(codes.carriageReturn, QStringLiteral("\r")) << "PrinterModel::IbmStandard keeps the earlier job's";
    EXPECT_EQ(codes.boldOff, QStringLiteral("\x1b\x46"));
    EXPECT_EQ(printed(QStringLiteral("b.txt")), bytes("X\rX\r\n"));

    driver->setPrinterModel(PrinterModel::Epson9Pin);
    ASSERT_TRUE(driver->beginJob());
    driver->endJob();
    EXPECT_TRUE(codes.boldOff.isEmpty()) << "the next job reloads its own model";
}

TEST_F(MatrixPrintJobs, LineEndsWaitInTheBufferOtherWritesAreFlushed) {
    auto driver = fileDriver(QStringLiteral("buffer.txt"));
    ASSERT_TRUE(driver->beginJob());
    driver->print(QString(), QStringLiteral("ab"), 0, false);
    EXPECT_EQ(QFileInfo(QStringLiteral("buffer.txt")).size(), 2);
    driver->print(QString(), QStringLiteral("cd"), 0, true);
    EXPECT_EQ(QFileInfo(QStringLiteral("buffer.txt")).size(), 2);
    driver->eject();
    EXPECT_EQ(printed(QStringLiteral("buffer.txt")), bytes("abcd\r\n\x0c"));
    driver->endJob();
}

// Everything the far end of a pseudo-terminal has received, waiting briefly for more.
QByteArray drain(int master) {
    QByteArray received;
    char buffer[64];
    pollfd waiting{master, POLLIN, 0};
    while (::poll(&waiting, 1, 300) > 0) {
        const ssize_t got = ::read(master, buffer, sizeof buffer);
        if (got <= 0) {
            break;
        }
        received.append(buffer, got);
    }
    return received;
}

TEST_F(MatrixPrintJobs, SerialPrinterGetsExactlyTheDriversBytes) {
    // A pseudo-terminal stands for a receipt printer on a serial port, left as the system set
    // it up: output processing on, which would turn each line end into CR CR LF.
    int master = -1;
    int slave = -1;
    char name[256] = {};
    ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
    termios line{};
    ASSERT_EQ(tcgetattr(slave, &line), 0);
    ASSERT_NE(line.c_oflag & OPOST, 0u);
    ASSERT_NE(line.c_oflag & ONLCR, 0u);

    auto driver = fileDriver(QString::fromLatin1(name));
    ASSERT_TRUE(driver->beginJob());
    driver->print(driver->controlCodes().bold, QStringLiteral("Ação"), 2, true);
    driver->print(QString(), QStringLiteral("fim\n"), 0, true);
    driver->endJob();

    EXPECT_EQ(drain(master).toHex(' ').toStdString(),
              "1b 45 20 20 41 87 84 6f 0d 0a 66 69 6d 0a 0d 0a");
    ASSERT_EQ(tcgetattr(slave, &line), 0);
    EXPECT_EQ(line.c_oflag & OPOST, 0u);
    EXPECT_NE(line.c_cflag & CLOCAL, 0u) << "the modem lines are not waited for";
    ::close(slave);
    ::close(master);
}

TEST_F(MatrixPrintJobs, PipeWithoutReaderIsNotReadyInsteadOfWaiting) {
    const QString fifo = inFolder(QStringLiteral("nobody.fifo"));
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    auto driver = fileDriver(fifo);
    EXPECT_FALSE(driver->beginJob());
    EXPECT_EQ(messages.texts(),
              QStringList{QStringLiteral("Impressora sendo utilizada ou não Pronta.")});
}

TEST_F(MatrixPrintJobs, PortThatCannotBeOpenedWarnsAndFails) {
    auto driver = fileDriver(inFolder(QStringLiteral("no/such/folder/job.txt")));
    EXPECT_FALSE(driver->beginJob());
    ASSERT_EQ(messages.messages().size(), 1u);
    const platform::Message& warning = messages.messages().front();
    EXPECT_EQ(warning.text, QStringLiteral("Impressora sendo utilizada ou não Pronta."));
    EXPECT_EQ(warning.icon, platform::MessageIcon::Warning);
    EXPECT_EQ(warning.buttons, platform::MessageButtons::Ok);
    EXPECT_THROW(driver->print(QString(), QStringLiteral("x"), 0, false), PortIoError);
}

TEST_F(MatrixPrintJobs, MissingParallelDeviceIsNotCreated) {
    if (QFileInfo::exists(QStringLiteral("/dev/lp3")) ||
        QFileInfo::exists(QStringLiteral("/dev/LPT4"))) {
        GTEST_SKIP() << "this machine has a fourth parallel port";
    }
    auto driver = fileDriver(QStringLiteral("LPT4"));
    EXPECT_FALSE(driver->beginJob());
    EXPECT_EQ(messages.messages().size(), 1u);
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("/dev/lp3")));
}

TEST_F(MatrixPrintJobs, TargetNameTooLongRaisesWithoutWarning) {
    auto driver = fileDriver(QString(260, QLatin1Char('n')));
    EXPECT_THROW(driver->beginJob(), PortIoError);
    EXPECT_TRUE(messages.messages().empty());
}

TEST_F(MatrixPrintJobs, DeviceThatRefusesWritesRaises) {
    auto driver = fileDriver(QStringLiteral("/dev/full"));
    ASSERT_TRUE(driver->beginJob());
    driver->print(QString(), QStringLiteral("buffered"), 0, true); // waits in the buffer
    EXPECT_THROW(driver->endJob(), PortIoError);

    ASSERT_TRUE(driver->beginJob());
    try {
        driver->sendCodes(driver->controlCodes().bold);
        FAIL() << "a flushed write to a full device must fail";
    } catch (const PortIoError& error) {
        EXPECT_EQ(error.code().value(), ENOSPC);
    }
    EXPECT_NO_THROW(driver->endJob()) << "the failed bytes are not written again";
}

TEST_F(MatrixPrintJobs, PipeWhoseReaderGoesAwayMidJobRaises) {
    const QString fifo = inFolder(QStringLiteral("printer.fifo"));
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const int reader = ::open(QFile::encodeName(fifo).constData(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);

    auto driver = fileDriver(fifo);
    ASSERT_TRUE(driver->beginJob());
    driver->print(QString(), QStringLiteral("first"), 0, false);
    char buffer[16] = {};
    ASSERT_EQ(::read(reader, buffer, sizeof buffer), 5);
    EXPECT_EQ(QByteArray(buffer, 5), bytes("first"));

    ::close(reader);
    try {
        driver->print(QString(), QStringLiteral("second"), 0, false);
        FAIL() << "writing to a pipe without reader must fail";
    } catch (const PortIoError& error) {
        EXPECT_EQ(error.code().value(), EPIPE);
    }
    EXPECT_NO_THROW(driver->endJob());
}

TEST(MatrixPrintHelpers, MascaraVlrRoundsHalvesAwayFromZeroAndRightAligns) {
    QLocale previous;
    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
    EXPECT_EQ(MatrixPrintDriver::formatMasked(QStringLiteral("####0"), 7), QStringLiteral("    7"));
    EXPECT_EQ(MatrixPrintDriver::formatMasked(QStringLiteral("####0"), 2.5),
              QStringLiteral("    3"));
    EXPECT_EQ(MatrixPrintDriver::formatMasked(QStringLiteral("####0"), 3.5),
              QStringLiteral("    4"));
    EXPECT_EQ(MatrixPrintDriver::formatMasked(QStringLiteral("####0"), -2.5),
              QStringLiteral("   -3"));
    EXPECT_EQ(MatrixPrintDriver::formatMasked(QStringLiteral("####0"), 0.49),
              QStringLiteral("    0"));
    EXPECT_EQ(MatrixPrintDriver::formatMasked(QStringLiteral("####0"), -0.4),
              QStringLiteral("    0"));
    EXPECT_EQ(MatrixPrintDriver::formatMasked(QStringLiteral("####0"), 99999.5),
              QStringLiteral("100000"));
    EXPECT_EQ(MatrixPrintDriver::formatMasked(QStringLiteral("####0"), 1234567.8),
              QStringLiteral("1234568"));
    EXPECT_EQ(MatrixPrintDriver::formatMasked(QStringLiteral("#####0"), 12),
              QStringLiteral("    12"));
    EXPECT_EQ(MatrixPrintDriver::formatMasked(QStringLiteral("000"), 9.5), QStringLiteral("010"));
    EXPECT_EQ(MatrixPrintDriver::formatMasked(QStringLiteral("#"), 0), QStringLiteral(" "));
    EXPECT_EQ(MatrixPrintDriver::formatMasked(QStringLiteral("#,##0.00"), 1234.565),
              QStringLiteral("1.234,57"));
    EXPECT_EQ(MatrixPrintDriver::formatMasked(QStringLiteral("0.##"), 1.5), QStringLiteral(" 1,5"));
    EXPECT_EQ(MatrixPrintDriver::formatMasked(QStringLiteral("0.0"), 9.96), QStringLiteral("10,0"));
    EXPECT_EQ(MatrixPrintDriver::formatMasked(QStringLiteral("R$ 0"), 4.5), QStringLiteral("R$ 5"));
    EXPECT_EQ(MatrixPrintDriver::formatMasked(QStringLiteral("R$ 0"), -4.5),
              QStringLiteral("-R$ 5"));
    QLocale::setDefault(previous);
}

TEST(MatrixPrintHelpers, repeated) {
    EXPECT_EQ(MatrixPrintDriver::repeated(QLatin1Char('-'), 3), QStringLiteral("---"));
    EXPECT_TRUE(MatrixPrintDriver::repeated(QLatin1Char('-'), 0).isEmpty());
    EXPECT_TRUE(MatrixPrintDriver::repeated(QLatin1Char('-'), -2).isEmpty());
}

TEST(MatrixPrintHelpers, Windows1252RoundTripsEveryByte) {
    QByteArray all;
    for (int byte = 0; byte < 256; ++byte) {
        all.append(char(byte));
    }
    EXPECT_EQ(windows1252::encode(windows1252::decode(all)), all);
    EXPECT_EQ(windows1252::encode(QStringLiteral("\u0081\u008D\u008F\u0090\u009D")),
              QByteArray("\x81\x8D\x8F\x90\x9D"));
    EXPECT_EQ(windows1252::encode(QStringLiteral("\u0080\u0100")), QByteArray("??"));
}

TEST(MatrixPrintHelpers, PortOfTheSystemPrinter) {
    EXPECT_EQ(
        matrixprint::portOfDevice(QStringLiteral("parallel:/dev/lp0"), QStringLiteral("Epson")),
        QStringLiteral("/dev/lp0"));
    EXPECT_EQ(matrixprint::portOfDevice(QStringLiteral("serial:/dev/ttyS1?baud=9600"),
                                        QStringLiteral("Bema")),
              QStringLiteral("/dev/ttyS1"));
    EXPECT_EQ(matrixprint::portOfDevice(QStringLiteral("file:///tmp/out.prn"), QStringLiteral("F")),
              QStringLiteral("/tmp/out.prn"));
    EXPECT_EQ(
        matrixprint::portOfDevice(QStringLiteral("usb://EPSON/LX-300"), QStringLiteral("LX300")),
        QStringLiteral("LX300"));
    EXPECT_EQ(matrixprint::portOfDevice(QString(), QStringLiteral("Remote")),
              QStringLiteral("Remote"));
}
