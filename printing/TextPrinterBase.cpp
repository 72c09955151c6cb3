#include "TextPrinterBase.h"

#include "Backends.h"
#include "PrintProgressPanel.h"
#include "TextPreviewDocument.h"

#include <QApplication>
#include <QPrinter>
#include <QScopeGuard>

TextPrinterError::TextPrinterError(const QString& message)
    : std::runtime_error(message.toStdString()) {}

TextPrinterBase::TextPrinterBase(QObject* owner)
    : QObject(owner) {}

// A document abandoned while it was built still gives the cursor back.
TextPrinterBase::~TextPrinterBase() {
    if (m_preview)
        QApplication::restoreOverrideCursor();
}

QStringList TextPrinterBase::printersList() const {
    return platform::spooler().printerNames();
}

void TextPrinterBase::fire(const TextPrinterHandler& event) {
    if (event && !fromPreview)
        event(this);
}

void TextPrinterBase::raiseError(const QString& message) {
    if (onError)
        onError(this);
    throw TextPrinterError(message);
}

void TextPrinterBase::raiseError(const QString& message, const QString& systemMessage) {
    raiseError(systemMessage.isEmpty() ? message : message + QLatin1Char('\n') + systemMessage);
}

void TextPrinterBase::print(int line, int column, const QString& text, bool lineFeed) {
    if (line - m_currentLine > 0)
        newLine(line - m_currentLine);
    print(column, text, lineFeed);
}

void TextPrinterBase::replicate(int column, int count, QChar character, bool lineFeed) {
    print(column, QString(qMax(0, count), character), lineFeed);
}

void TextPrinterBase::replicate(int line, int column, int count, QChar character, bool lineFeed) {
    print(line, column, QString(qMax(0, count), character), lineFeed);
}

void TextPrinterBase::lineFed(bool autoNewPage, int lines, int freeLines) {
    ++m_currentLine;
    fire(onNewLine);
    if (autoNewPage && lines > 0 && m_currentLine > lines - freeLines)
        newPage(1);
}

bool TextPrinterBase::selectPrinter() {
    if (namedPrinterChosen())
        return true;
    // Qt's printer asks the spooler on its own, unbounded: made only when the dialog is shown.
    QPrinter dialogPrinter;
    return choosePrinterInDialog(dialogPrinter);
}

bool TextPrinterBase::namedPrinterChosen() {
    if (!printerName.isEmpty()) {
        const QStringList printers = printersList();
        const QString spoolerError = platform::spooler().lastError();
        if (printers.contains(printerName)) {
            platform::setCurrentPrinterName(printerName);
        } else if (printers.isEmpty() && !spoolerError.isEmpty()) {
            // The spooler did not answer: no dialog can help, and Qt's would wait on it.
            raiseError(textprinter::CannotOpen.arg(printerName), spoolerError);
        } else {
            platform::showMessage({QStringLiteral("Erro"),
                                   textprinter::InvalidPrinter.arg(printerName),
                                   platform::MessageIcon::Error, platform::MessageButtons::Ok});
            showDialog = true;
        }
    }
    if (showDialog) {
        return false;
    }
    printerName = platform::currentPrinterName();
    return true;
}

bool TextPrinterBase::choosePrinterInDialog(QPrinter& printer) {
    printerName.clear();
    printer.setPrinterName(platform::currentPrinterName());
    const std::optional<QString> chosen = platform::backends().runPrintDialog(printer);
    if (!chosen)
        return false;
    platform::setCurrentPrinterName(*chosen);
    printerName = platform::currentPrinterName();
    return true;
}

void TextPrinterBase::startPosition() {
    m_currentLine = 1;
    m_currentPage = 1;
    if (m_isPrinting)
        raiseError(textprinter::AlreadyPrinting.arg(printerName));
}

void TextPrinterBase::startPreview() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_preview = std::make_unique<TextPreviewDocument>();
    m_preview->newPage(1);
}

void TextPrinterBase::showPreviewDocument(const PreviewPrinting& print) {
    const std::unique_ptr<TextPreviewDocument> shown = std::move(m_preview);
    QApplication::restoreOverrideCursor();
    m_isPrinting = false;
    fire(onTerminate);
    closeProgress();
    if (!previewer)
        return;
    previewer(*shown, [this, print](const TextPreviewDocument& document) {
        showPreview = false;
        fromPreview = true;
        const auto previewAgain = qScopeGuard([this] {
            fromPreview = false;
            showPreview = true;
        });
        print(document);
    });
}

void TextPrinterBase::openProgress() {
    if (!showProgress)
        return;
    if (!m_progress)
        m_progress = std::make_unique<PrintProgressPanel>();
    m_progress->show();
}

void TextPrinterBase::closeProgress() {
    if (!m_progress)
        return;
    m_progress->setClosable(true);
    m_progress->close();
    m_progress.reset();
}

void TextPrinterBase::abortUnreported() {
    try {
        abort();
    } catch (const TextPrinterError&) {
    }
}
