#include "PFPrev.h"

#include "MessageBox.h"
#include "Spooler.h"
#include "Tprintfast.h"
#include "VicPort.h"
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
constexpr int Acknowledge = 0x40;
constexpr int Selected = 0x10;
constexpr int IoError = 0x08;

// 0 when the printer is not busy, selected and without error; 1, 2 or 3 otherwise (first
// match wins).
int classifyPrinterStatus(int biosStatus) {
    const auto allSet = [biosStatus](int bits) {
        return (biosStatus & bits) == bits;
    };
    if (allSet(NotBusy | Acknowledge | IoError)) {
        return 1;
    }
    if (allSet(Selected | IoError)) {
        return 2;
    }
    if (allSet(Selected | NotBusy)) {
        return 0;
    }
    return 3;
}

} // namespace

TPFPreview::TPFPreview(QWidget* parent)
    : QDialog(parent)
    , ToolBar1(new QToolBar(this))
    , RichEdit1(new QPlainTextEdit(this))
    , RichEdit2(new QListWidget(this))
    , PrintFast1(new TPrintFast(this)) {
    setWindowTitle(QStringLiteral("Visualização de Impressão"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    SpeedButton3 = toolButton(ToolBar1, QStringLiteral("printer"), QStyle::SP_ComputerIcon,
                              QStringLiteral("Selecionar Impressora"));
    SpeedButton2 = toolButton(ToolBar1, QStringLiteral("document-print"),
                              QStyle::SP_DialogApplyButton, QStringLiteral("Imprime Relatório"));
    SpeedButton1 =
        toolButton(ToolBar1, QStringLiteral("window-close"), QStyle::SP_DialogCloseButton,
                   QStringLiteral("Sair do Preview de Impressão"));
    connect(SpeedButton3, &QToolButton::clicked, this, &TPFPreview::SpeedButton3Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &TPFPreview::SpeedButton2Click);
    connect(SpeedButton1, &QToolButton::clicked, this, &TPFPreview::SpeedButton1Click);

    RichEdit1->setReadOnly(true);
    RichEdit1->setFont(pageFont());
    QPalette palette = RichEdit1->palette();
    palette.setColor(QPalette::Text, Qt::black);
    RichEdit1->setPalette(palette);
    RichEdit1->setLineWrapMode(QPlainTextEdit::NoWrap);
    RichEdit1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    RichEdit2->setFont(pageFont());
    RichEdit2->setWordWrap(false);
    RichEdit2->hide();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(ToolBar1);
    layout->addWidget(RichEdit1);

    PrintFast1->setPageHeader(false);
    PrintFast1->setPrinterName(pfEpson9pinos);
    PrintFast1->HeaderData().FirstPage = 1;
    PrintFast1->setQtLines(66);
    PrintFast1->setPageWidth(80);
}

int TPFPreview::SetPrinterOn() {
    TVicPort port;
    port.OpenDriver();
    port.setLPTNumber(1);
    const std::uint16_t status = std::uint16_t(port.LPTBasePort() + 1);
    const int statusRegister = port.Port(status);
    port.CloseDriver();
    return classifyPrinterStatus(biosPrinterStatus(statusRegister));
}

void TPFPreview::SpeedButton1Click() {
    close();
}

void TPFPreview::SpeedButton2Click() {
    if (SetPrinterOn() != 0) {
        const int answer = platform::showMessage(
            {QStringLiteral("Quorvel Club"),
             QStringLiteral("A impressora não esta pronta! Deseja continuar?"),
             platform::MessageIcon::Question, platform::MessageButtons::YesNo});
        if (answer != platform::IdYes) {
            return;
        }
    }
    QStringList lines;
    for (int row = 0; row < RichEdit2->count(); ++row) {
        lines.append(RichEdit2->item(row)->text());
    }
    PrintFast1->IniciaImpr();
    // The lines hold what the driver wrote, codes and converted letters included.
    PrintFast1->printJobLines(lines);
    PrintFast1->FimImpr();
}

void TPFPreview::SpeedButton3Click() {
    QPrinter printer;
    const QString current = platform::currentPrinterName();
    if (!current.isEmpty()) {
        printer.setPrinterName(current);
    }
    QPrintDialog PrinterSetupDialog1(&printer, this);
    if (PrinterSetupDialog1.exec() == QDialog::Accepted) {
        platform::setCurrentPrinterName(printer.printerName());
    }
}

void TPFPreview::loadJobFile(const QString& path) {
    RichEdit2->clear();
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        // Only CR LF ends a line: a lone CR is the overstrike of a bold line, which splitting
        // there would print on two lines. The line end after the last line ends no line.
        QStringList lines = windows1252::decode(file.readAll()).split(QStringLiteral("\r\n"));
        if (lines.size() > 1 && lines.constLast().isEmpty()) {
            lines.removeLast();
        }
        RichEdit2->addItems(lines);
    }
}

void TPFPreview::showPreviewsOf(TPrintFast& driver) {
    QObject::connect(&driver, &TPrintFast::previewReady, &driver, &TPFPreview::showJob);
}

void TPFPreview::showJob(const MatrixPreviewJob& job) {
    TPFPreview window;
    window.takeJob(job);
    window.RichEdit1->moveCursor(QTextCursor::Start);
    window.setWindowState(window.windowState() | Qt::WindowMaximized);
    window.exec();
}

// The reprint goes where the job would have gone, whatever printer is current then.
void TPFPreview::takeJob(const MatrixPreviewJob& job) {
    for (const QString& line : job.lines) {
        RichEdit1->appendPlainText(line);
    }
    loadJobFile(job.jobFile);
    PrintFast1->setPrinterPort(job.port);
    if (!job.queue.isEmpty()) {
        PrintFast1->setPrinterQueue(job.queue);
    }
}
