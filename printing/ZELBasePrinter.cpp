#include "ZELBasePrinter.h"

#include "Backends.h"
#include "ZELPreview.h"
#include "ZELPrintProgress.h"

#include <QPrinter>

EZELPrinter::EZELPrinter(const QString& message)
    : std::runtime_error(message.toStdString()) {}

TZELBasePrinter::TZELBasePrinter(QObject* AOwner)
    : QObject(AOwner) {}

TZELBasePrinter::~TZELBasePrinter() = default;

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

bool TZELBasePrinter::selectPrinter(QPrinter& printer) {
    return namedPrinterChosen() || choosePrinterInDialog(printer);
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
    FPreview = std::make_unique<TfrmZELPreview>();
    FPreview->BeginDoc();
}

std::unique_ptr<TfrmZELPreview> TZELBasePrinter::finishPreview() {
    std::unique_ptr<TfrmZELPreview> finished = std::move(FPreview);
    finished->EndDoc();
    return finished;
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
