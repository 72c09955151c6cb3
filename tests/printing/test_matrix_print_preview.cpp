#include "MatrixPrintDriver.h"
#include "MatrixPrintPreview.h"
#include "PrintJobFixture.h"
#include "TestBackends.h"

#include <QApplication>
#include <QFileInfo>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTimer>
#include <QToolButton>

#include <functional>

namespace {

// Status register of a printer that can take data: not busy, no acknowledge pulse, selected,
// no error.
constexpr std::uint8_t ReadyRegister = 0xD8;
constexpr std::uint16_t Lpt1Status = 0x378 + 1;
const QString PreviewFile = QStringLiteral("PF0812090507"); // 08/12 09:05:07

} // namespace

class PreviewJobs : public PrintJobTest {
protected:
    // Prints the job of preview.bin in preview mode and runs `inWindow` while the window shows.
    void previewJob(PrinterModel model, const QString& port,
                    const std::function<void(MatrixPrintPreview&)>& inWindow) {
        MatrixPrintDriver driver;
        MatrixPrintPreview::showPreviewsOf(driver);
        driver.setPreview(true);
        driver.setPrintsPageHeader(false);
        driver.setPrinterModel(model);
        driver.setPrinterPort(port);
        ASSERT_TRUE(driver.beginJob());
        EXPECT_TRUE(QFileInfo::exists(PreviewFile));
        driver.print(QString(), QStringLiteral("Força"), 0, true);
        driver.print(driver.controlCodes().boldByOverprint, QStringLiteral("Bold"), 2, true);
        driver.eject();
        driver.print(QString(), QStringLiteral("fim"), 0, true);

        bool shown = false;
        QTimer::singleShot(0, [&] {
            auto* window = qobject_cast<MatrixPrintPreview*>(QApplication::activeModalWidget());
            ASSERT_NE(window, nullptr);
            shown = window->isVisible() && window->isModal();
            EXPECT_EQ(window->reprintDriver->printerPort(), port);
            inWindow(*window);
            window->close();
        });
        driver.endJob();
        EXPECT_TRUE(shown);
        EXPECT_FALSE(QFileInfo::exists(PreviewFile)) << "the job file goes with the window";
    }

    FakePortInstalled fake;
};

TEST_F(PreviewJobs, ShowsTheJobAndReprintsItsLines) {
    fake.port->registers[Lpt1Status] = ReadyRegister;
    previewJob(PrinterModel::Epson9Pin, QStringLiteral("reprint.txt"), [&](MatrixPrintPreview& window) {
        EXPECT_EQ(window.windowTitle(), QStringLiteral("Visualização de Impressão"));
        EXPECT_EQ(window.setupButton->toolTip(), QStringLiteral("Selecionar Impressora"));
        EXPECT_EQ(window.printButton->toolTip(), QStringLiteral("Imprime Relatório"));
        EXPECT_EQ(window.closeButton->toolTip(), QStringLiteral("Sair do Preview de Impressão"));
        EXPECT_TRUE(window.pageText->isReadOnly());
        EXPECT_EQ(window.pageText->font().pixelSize(), 13);
        EXPECT_FALSE(window.jobLines->isVisible());
        EXPECT_EQ(window.pageText->textCursor().position(), 0);
        // The page shows the plain text; the job file holds what the port would have got.
        EXPECT_EQ(window.pageText->toPlainText(), QStringLiteral("Força\n  Bold\nfim"));
        EXPECT_EQ(printed(PreviewFile), golden(QStringLiteral("preview.bin")));
        EXPECT_EQ(window.jobLines->count(), 3);

        window.printButton->click();
        EXPECT_TRUE(messages.messages().empty()) << "a ready printer is not questioned";
        EXPECT_EQ(printed(QStringLiteral("reprint.txt")), golden(QStringLiteral("reprint.bin")));
        EXPECT_TRUE(window.isVisible()) << "the window stays open after printing";
    });
}

TEST_F(PreviewJobs, PrinterNotReadyAsksFirst) {
    fake.port->registers[Lpt1Status] = 0x00;
    messages.answerWith(platform::IdNo);
    previewJob(PrinterModel::IbmStandard, QStringLiteral("reprint.txt"), [&](MatrixPrintPreview& window) {
        window.printClicked();
        ASSERT_EQ(messages.messages().size(), 1u);
        const platform::Message& question = messages.messages().front();
        EXPECT_EQ(question.caption, QStringLiteral("Quorvel Club"));
        EXPECT_EQ(question.text, QStringLiteral("A impressora não esta pronta! Deseja continuar?"));
        EXPECT_EQ(question.icon, platform::MessageIcon::Question);
        EXPECT_EQ(question.buttons, platform::MessageButtons::YesNo);
        EXPECT_FALSE(QFileInfo::exists(QStringLiteral("reprint.txt")));

        messages.answerWith(platform::IdYes);
        window.printClicked();
        EXPECT_TRUE(QFileInfo::exists(QStringLiteral("reprint.txt")));
        EXPECT_EQ(window.reprintDriver->controlCodes().carriageReturn, QStringLiteral("\r"))
            << "the reprint loads the PrinterModel::Epson9Pin codes";
    });
}

TEST_F(PreviewJobs, ReprintOnAPortThatCannotBeOpened) {
    fake.port->registers[Lpt1Status] = ReadyRegister;
    previewJob(
        PrinterModel::Epson9Pin, inFolder(QStringLiteral("missing/port")), [&](MatrixPrintPreview& window) {
            EXPECT_THROW(window.printClicked(), PortIoError);
            EXPECT_EQ(messages.texts(),
                      QStringList{QStringLiteral("Impressora sendo utilizada ou não Pronta.")});
        });
}

TEST_F(PreviewJobs, SetPrinterOnClassifiesTheFirstPortsStatus) {
    struct Row {
        std::uint8_t statusRegister;
        int expected;
    };
    // BIOS byte = register with acknowledge and error turned active high, low bits cleared.
    const Row rows[] = {
        {0xD8, 0}, // not busy, selected, no error: ready
        {0xDF, 0}, // the low bits do not count
        {0xF8, 0}, // paper end alone does not stop it
        {0x80, 1}, // not busy, acknowledge, error
        {0x90, 1}, // the same while selected: the first row wins
        {0x10, 2}, // selected with error, busy
        {0xD0, 2}, // selected with error, not busy: before "ready"
        {0xC8, 3}, // not selected
        {0x00, 3}, // nothing answers
    };
    MatrixPrintPreview window;
    for (const Row& row : rows) {
        fake.port->registers[Lpt1Status] = row.statusRegister;
        fake.port->calls.clear();
        EXPECT_EQ(window.printerStatus(), row.expected) << "register " << int(row.statusRegister);
        EXPECT_TRUE(fake.port->calls.contains(QStringLiteral("ReadPort 889")));
    }
}
