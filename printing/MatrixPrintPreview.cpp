#include "MatrixPrintPreview.h"

#include "MatrixPrintDriver.h"
#include "MessageBox.h"
#include "ParallelPortDriver.h"
#include "Spooler.h"
#include "Windows1252.h"

#include <QFile>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QToolButton* toolButton(QToolBar* bar, const QString& theme, QStyle::StandardPixmap fallback,
                        const QString& hint) {
    auto* button = new QToolButton(bar);
    button->setIcon(QIcon::fromTheme(theme, bar->style()->standardIcon(fallback)));
    button->setToolTip(hint);
    bar->addWidget(button);
    return button;
}

QFont pageFont() {
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(13);
    return font;
}

// The PC BIOS printer-status byte of a parallel port's status register: acknowledge and error
// turned active high, the low bits (time-out among them) clear.
int biosPrinterStatus(int statusRegister) {
    return (statusRegister & 0xF8) ^ 0x48;
}

// Bits of the BIOS byte.
constexpr int NotBusy = 0x80;
constexpr int acknowledge = 0x40;
constexpr int Selected = 0x10;
constexpr int ioError = 0x08;

// 0 when the printer is not busy, selected and without error; 1, 2 or 3 otherwise (first
// match wins).
int classifyPrinterStatus(int biosStatus) {
    const auto allSet = [biosStatus](int bits) {
        return (biosStatus & bits) == bits;
    };
    if (allSet(NotBusy | acknowledge | ioError)) {
        return 1;
    }
    if (allSet(Selected | ioError)) {
        return 2;
    }
    if (allSet(Selected | NotBusy)) {
        return 0;
    }
    return 3;
}

} // namespace

MatrixPrintPreview::MatrixPrintPreview(QWidget* parent)
    : QDialog(parent)
    , toolBar(new QToolBar(this))
    , pageText(new QPlainTextEdit(this))
    , jobLines(new QListWidget(this))
    , reprintDriver(new MatrixPrintDriver(this)) {
    setWindowTitle(QStringLiteral("Visualização de Impressão"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    setupButton = toolButton(toolBar, QStringLiteral("printer"), QStyle::SP_ComputerIcon,
                             QStringLiteral("Selecionar Impressora"));
    printButton = toolButton(toolBar, QStringLiteral("document-print"),
                             QStyle::SP_DialogApplyButton, QStringLiteral("Imprime Relatório"));
    closeButton = toolButton(toolBar, QStringLiteral("window-close"), QStyle::SP_DialogCloseButton,
                             QStringLiteral("Sair do Preview de Impressão"));
    connect(setupButton, &QToolButton::clicked, this, &MatrixPrintPreview::setupClicked);
    connect(printButton, &QToolButton::clicked, this, &MatrixPrintPreview::printClicked);
    connect(closeButton, &QToolButton::clicked, this, &MatrixPrintPreview::closeClicked);

    pageText->setReadOnly(true);
    pageText->setFont(pageFont());
    QPalette palette = pageText->palette();
    palette.setColor(QPalette::Text, Qt::black);
    pageText->setPalette(palette);
    pageText->setLineWrapMode(QPlainTextEdit::NoWrap);
    pageText->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    pageText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    jobLines->setFont(pageFont());
    jobLines->setWordWrap(false);
    jobLines->hide();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolBar);
    layout->addWidget(pageText);

    reprintDriver->setPrintsPageHeader(false);
    reprintDriver->setPrinterModel(PrinterModel::Epson9Pin);
    reprintDriver->headerData().firstPage = 1;
    reprintDriver->setLinesPerPage(66);
    reprintDriver->setPageWidth(80);
}

int MatrixPrintPreview::printerStatus() {
    ParallelPortDriver port;
    port.openDriver();
    port.setLPTNumber(1);
    const std::uint16_t status = std::uint16_t(port.basePort() + 1);
    const int statusRegister = port.Port(status);
    port.closeDriver();
    return classifyPrinterStatus(biosPrinterStatus(statusRegister));
}

void MatrixPrintPreview::closeClicked() {
    close();
}

void MatrixPrintPreview::printClicked() {
    if (printerStatus() != 0) {
        const int answer = platform::showMessage(
            {QStringLiteral("Quorvel Club"),
             QStringLiteral("A impressora não esta pronta! Deseja continuar?"),
             platform::MessageIcon::Question, platform::MessageButtons::YesNo});
        if (answer != platform::IdYes) {
            return;
        }
    }
    QStringList lines;
    for (int row = 0; row < jobLines->count(); ++row) {
        lines.append(jobLines->item(row)->text());
    }
    reprintDriver->beginJob();
    // The lines hold what the driver wrote, codes and converted letters included.
    reprintDriver->printJobLines(lines);
    reprintDriver->endJob();
}

void MatrixPrintPreview::setupClicked() {
    QPrinter printer;
    const QString current = platform::currentPrinterName();
    if (!current.isEmpty()) {
        printer.setPrinterName(current);
    }
    QPrintDialog setupDialog(&printer, this);
    if (setupDialog.exec() == QDialog::Accepted) {
        platform::setCurrentPrinterName(printer.printerName());
    }
}

void MatrixPrintPreview::loadJobFile(const QString& path) {
    jobLines->clear();
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        // Only CR LF ends a line: a lone CR is the overstrike of a bold line, which splitting
        // there would print on two lines. The line end after the last line ends no line.
        QStringList lines = windows1252::decode(file.readAll()).split(QStringLiteral("\r\n"));
        if (lines.size() > 1 && lines.constLast().isEmpty()) {
            lines.removeLast();
        }
        jobLines->addItems(lines);
    }
}

void MatrixPrintPreview::showPreviewsOf(MatrixPrintDriver& driver) {
    QObject::connect(&driver, &MatrixPrintDriver::previewReady, &driver,
                     &MatrixPrintPreview::showJob);
}

void MatrixPrintPreview::showJob(const MatrixPreviewJob& job) {
    MatrixPrintPreview window;
    window.takeJob(job);
    window.pageText->moveCursor(QTextCursor::Start);
    window.setWindowState(window.windowState() | Qt::WindowMaximized);
    window.exec();
}

// The reprint goes where the job would have gone, whatever printer is current then.
void MatrixPrintPreview::takeJob(const MatrixPreviewJob& job) {
    for (const QString& line : job.lines) {
        pageText->appendPlainText(line);
    }
    loadJobFile(job.jobFile);
    reprintDriver->setPrinterPort(job.port);
    if (!job.queue.isEmpty()) {
        reprintDriver->setPrinterQueue(job.queue);
    }
}
