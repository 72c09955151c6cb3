#include "ZELBasePrinter.h"

#include "Backends.h"
#include "TextPreviewDocument.h"
#include "ZELPrintProgress.h"

#include <QApplication>
#include <QPrinter>
#include <QScopeGuard>

EZELPrinter::EZELPrinter(const QString& message)
    : std::runtime_error(message.toStdString()) {}

TZELBasePrinter::TZELBasePrinter(QObject* AOwner)
    : QObject(AOwner) {}

// A document abandoned while it was built still gives the cursor back.
TZELBasePrinter::~TZELBasePrinter() {
    if (FPreview)
        QApplication::restoreOverrideCursor();
}

QStringList TZELBasePrinter::PrintersList() const {
    return platform::spooler().printerNames();
}

void TZELBasePrinter::fire(const TZELNotifyEvent& event) {
    if (event && !FromPreview)
        event(this);
}

void TZELBasePrinter::raiseError(const QString& message) {
    if (OnError)
        OnError(this);
    throw EZELPrinter(message);
}

void TZELBasePrinter::raiseError(const QString& message, const QString& systemMessage) {
    raiseError(systemMessage.isEmpty() ? message : message + QLatin1Char('\n') + systemMessage);
}

void TZELBasePrinter::Print(int ALine, int AColumn, const QString& AText, bool ALineFeed) {
    if (ALine - FCurrentLine > 0)
        NewLine(ALine - FCurrentLine);
    Print(AColumn, AText, ALineFeed);
}

void TZELBasePrinter::Replicate(int AColumn, int ACount, QChar AChar, bool ALineFeed) {
    Print(AColumn, QString(qMax(0, ACount), AChar), ALineFeed);
}

void TZELBasePrinter::Replicate(int ALine, int AColumn, int ACount, QChar AChar, bool ALineFeed) {
    Print(ALine, AColumn, QString(qMax(0, ACount), AChar), ALineFeed);
}

void TZELBasePrinter::lineFed(bool autoNewPage, int lines, int freeLines) {
    ++FCurrentLine;
    fire(OnNewLine);
    if (autoNewPage && lines > 0 && FCurrentLine > lines - freeLines)
        NewPage(1);
}

bool TZELBasePrinter::selectPrinter() {
    if (namedPrinterChosen())
        return true;
    // Qt's printer asks the spooler on its own, unbounded: made only when the dialog is shown.
    QPrinter dialogPrinter;
    return choosePrinterInDialog(dialogPrinter);
}

bool TZELBasePrinter::namedPrinterChosen() {
    if (!PrinterName.isEmpty()) {
        const QStringList printers = PrintersList();
        const QString spoolerError = platform::spooler().lastError();
        if (printers.contains(PrinterName)) {
            platform::setCurrentPrinterName(PrinterName);
        } else if (printers.isEmpty() && !spoolerError.isEmpty()) {
            // The spooler did not answer: no dialog can help, and Qt's would wait on it.
            raiseError(zeltext::CannotOpen.arg(PrinterName), spoolerError);
        } else {
            platform::showMessage({QStringLiteral("Erro"), zeltext::InvalidPrinter.arg(PrinterName),
                                   platform::MessageIcon::Error, platform::MessageButtons::Ok});
            ShowDialog = true;
        }
    }
    if (ShowDialog) {
        return false;
    }
    PrinterName = platform::currentPrinterName();
    return true;
}

bool TZELBasePrinter::choosePrinterInDialog(QPrinter& printer) {
    PrinterName.clear();
    printer.setPrinterName(platform::currentPrinterName());
    const std::optional<QString> chosen = platform::backends().runPrintDialog(printer);
    if (!chosen)
        return false;
    platform::setCurrentPrinterName(*chosen);
    PrinterName = platform::currentPrinterName();
    return true;
}

void TZELBasePrinter::startPosition() {
    FCurrentLine = 1;
    FCurrentPage = 1;
    if (FIsPrinting)
        raiseError(zeltext::AlreadyPrinting.arg(PrinterName));
}

void TZELBasePrinter::startPreview() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    FPreview = std::make_unique<TextPreviewDocument>();
    FPreview->newPage(1);
}

void TZELBasePrinter::showPreviewDocument(const TZELPreviewPrint& print) {
    const std::unique_ptr<TextPreviewDocument> shown = std::move(FPreview);
    QApplication::restoreOverrideCursor();
    FIsPrinting = false;
    fire(OnTerminate);
    closeProgress();
    if (!previewer)
        return;
    previewer(*shown, [this, print](const TextPreviewDocument& document) {
        ShowPreview = false;
        FromPreview = true;
        const auto previewAgain = qScopeGuard([this] {
            FromPreview = false;
            ShowPreview = true;
        });
        print(document);
    });
}

void TZELBasePrinter::openProgress() {
    if (!ShowProgress)
        return;
    if (!FProgress)
        FProgress = std::make_unique<TfrmZELPrintProgress>();
    FProgress->show();
}

void TZELBasePrinter::closeProgress() {
    if (!FProgress)
        return;
    FProgress->setClosable(true);
    FProgress->close();
    FProgress.reset();
}

void TZELBasePrinter::abortUnreported() {
    try {
        Abort();
    } catch (const EZELPrinter&) {
    }
}
