#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <stdexcept>

class QPrinter;
class TextPreviewDocument;
class PrintProgressPanel;

// The text printing library's exception; carries the message text.
class TextPrinterError : public std::runtime_error {
public:
    explicit TextPrinterError(const QString& message);
    QString message() const { return QString::fromUtf8(what()); }
};

// An optional event; the sender is the printer that fires it.
using TextPrinterHandler = std::function<void(QObject* sender)>;

// Prints a previewed document on the printer that built it.
using PreviewPrinting = std::function<void(const TextPreviewDocument& document)>;
// Shows a previewed document; `print` prints it.
using PreviewShowing =
    std::function<void(const TextPreviewDocument& document, const PreviewPrinting& print)>;

// The library's texts.
namespace textprinter {
inline const QString InvalidPrinter =
    QStringLiteral("A impressora selecionada ( %1 ) não é válida");
inline const QString NoPrinterInstalled = QStringLiteral("Nenhuma impressora está instalada");
inline const QString NoDefaultPrinter = QStringLiteral("Nenhuma impressora padrão selecionada");
inline const QString AlreadyPrinting = QStringLiteral("Impressão em andamento na impressora %1");
inline const QString NotPrinting = QStringLiteral("A impressora %1 não está imprimindo");
inline const QString CannotOpen = QStringLiteral("Não foi possível abrir a impressora %1");
inline const QString CannotStartDoc =
    QStringLiteral("Não foi possível iniciar o documento %1 na impressora %2");
inline const QString CannotStartPage =
    QStringLiteral("Não foi possível iniciar a página na impressora %1");
inline const QString CannotSend =
    QStringLiteral("Não foi possível enviar dados para a impressora %1");
inline const QString CannotEndPage =
    QStringLiteral("Não foi possível finalizar a página na impressora %1");
inline const QString CannotEndDoc =
    QStringLiteral("Não foi possível finalizar o documento %1 na impressora %2");
inline const QString CannotClose = QStringLiteral("Não foi possível fechar a impressora %1");
inline const QString CannotAbort =
    QStringLiteral("Não foi possível abortar o trabalho na impressora %1");
} // namespace textprinter

// What every printer of the library shares: the published settings, the events, the page
// position, printer selection, the previewed document, the progress window and error reporting.
class TextPrinterBase : public QObject {
    Q_OBJECT
public:
    explicit TextPrinterBase(QObject* owner = nullptr);
    ~TextPrinterBase() override;

    QString printerName;
    bool showDialog = true;
    bool showPreview = false;
    bool showProgress = true;
    QString title = QStringLiteral("ZELPrint Document");
    QString version() const { return QStringLiteral("3.1.1"); }
    // The version is fixed; assigning it does nothing.
    void setVersion(const QString&) {}

    TextPrinterHandler onAbort;
    TextPrinterHandler onError;
    TextPrinterHandler onNewLine;
    TextPrinterHandler onNewPage;
    TextPrinterHandler onPrint;
    TextPrinterHandler onStart;
    TextPrinterHandler onTerminate;

    // While true the job events are not fired (the preview is printing its document).
    bool fromPreview = false;
    // Shows the document when showPreview is on; without it the document goes unseen.
    PreviewShowing previewer;

    int currentLine() const { return m_currentLine; }
    int currentPage() const { return m_currentPage; }
    bool isPrinting() const { return m_isPrinting; }
    // Device names of all installed printers, read afresh.
    QStringList printersList() const;

    // Prints a text at a column of the current line, then feeds a line if asked.
    virtual void print(int column, const QString& text, bool lineFeed) = 0;
    // The same on a line further down the page; the lines up to it are fed first.
    void print(int line, int column, const QString& text, bool lineFeed);
    void replicate(int column, int count, QChar character, bool lineFeed);
    void replicate(int line, int column, int count, QChar character, bool lineFeed);
    virtual void newLine(int lines) = 0;
    virtual void newPage(int pages) = 0;
    // Drops the document being printed.
    virtual void abort() = 0;

protected:
    // Counts a line just fed, and starts a new page when automatic new pages are on and the
    // line passed the page's `lines` less the `freeLines` kept free at its bottom.
    void lineFed(bool autoNewPage, int lines, int freeLines);

    // Fires a job event unless the preview is printing.
    void fire(const TextPrinterHandler& event);
    // Fires onError, then raises TextPrinterError with the message.
    [[noreturn]] void raiseError(const QString& message);
    // The same, with the system's own message on a second line when it gave one.
    [[noreturn]] void raiseError(const QString& message, const QString& systemMessage);

    // Makes printerName the application's printer, or shows the print dialog. False when the
    // user cancelled the dialog. Afterwards printerName is the chosen printer. A spooler that does
    // not answer raises the error instead of showing the dialog.
    bool selectPrinter();
    // Its two halves: the named (or current) printer taken, false when the dialog must choose;
    // then the dialog on a printer made for it alone.
    bool namedPrinterChosen();
    bool choosePrinterInDialog(QPrinter& printer);

    // The document built for the screen; null when printing for real. The wait cursor shows
    // while it is built.
    bool previewing() const { return m_preview != nullptr; }
    TextPreviewDocument& preview() { return *m_preview; }
    void startPreview();
    // Ends the previewed document and the printer's, then hands it to the previewer with
    // `print`, which prints it for real and silently.
    void showPreviewDocument(const PreviewPrinting& print);

    // A new document starts on line 1 of page 1; one that is already printing is an error.
    void startPosition();
    void openProgress();
    void closeProgress();
    // For destructors, which cannot report a failure.
    void abortUnreported();

    int m_currentLine = 1;
    int m_currentPage = 1;
    bool m_isPrinting = false;

private:
    std::unique_ptr<TextPreviewDocument> m_preview;
    std::unique_ptr<PrintProgressPanel> m_progress;
};
