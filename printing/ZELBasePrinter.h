#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <stdexcept>

class QPrinter;
class TextPreviewDocument;
class TfrmZELPrintProgress;

// The text printing library's exception; carries the message text.
class EZELPrinter : public std::runtime_error {
public:
    explicit EZELPrinter(const QString& message);
    QString Message() const { return QString::fromUtf8(what()); }
};

// An optional event; the sender is the printer that fires it.
using TZELNotifyEvent = std::function<void(QObject* Sender)>;

// Prints a previewed document on the printer that built it.
using TZELPreviewPrint = std::function<void(const TextPreviewDocument& document)>;
// Shows a previewed document; `print` prints it.
using TZELPreviewShow =
    std::function<void(const TextPreviewDocument& document, const TZELPreviewPrint& print)>;

// The library's texts.
namespace zeltext {
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
} // namespace zeltext

// What every printer of the library shares: the published settings, the events, the page
// position, printer selection, the previewed document, the progress window and error reporting.
class TZELBasePrinter : public QObject {
    Q_OBJECT
public:
    explicit TZELBasePrinter(QObject* AOwner = nullptr);
    ~TZELBasePrinter() override;

    QString PrinterName;
    bool ShowDialog = true;
    bool ShowPreview = false;
    bool ShowProgress = true;
    QString Title = QStringLiteral("ZELPrint Document");
    QString Version() const { return QStringLiteral("3.1.1"); }
    // The version is fixed; assigning it does nothing.
    void setVersion(const QString&) {}

    TZELNotifyEvent OnAbort;
    TZELNotifyEvent OnError;
    TZELNotifyEvent OnNewLine;
    TZELNotifyEvent OnNewPage;
    TZELNotifyEvent OnPrint;
    TZELNotifyEvent OnStart;
    TZELNotifyEvent OnTerminate;

    // While true the job events are not fired (the preview is printing its document).
    bool FromPreview = false;
    // Shows the document when ShowPreview is on; without it the document goes unseen.
    TZELPreviewShow previewer;

    int CurrentLine() const { return FCurrentLine; }
    int CurrentPage() const { return FCurrentPage; }
    bool IsPrinting() const { return FIsPrinting; }
    // Device names of all installed printers, read afresh.
    QStringList PrintersList() const;

    // Prints a text at a column of the current line, then feeds a line if asked.
    virtual void Print(int AColumn, const QString& AText, bool ALineFeed) = 0;
    // The same on a line further down the page; the lines up to it are fed first.
    void Print(int ALine, int AColumn, const QString& AText, bool ALineFeed);
    void Replicate(int AColumn, int ACount, QChar AChar, bool ALineFeed);
    void Replicate(int ALine, int AColumn, int ACount, QChar AChar, bool ALineFeed);
    virtual void NewLine(int ALines) = 0;
    virtual void NewPage(int APages) = 0;
    // Drops the document being printed.
    virtual void Abort() = 0;

protected:
    // Counts a line just fed, and starts a new page when automatic new pages are on and the
    // line passed the page's `lines` less the `freeLines` kept free at its bottom.
    void lineFed(bool autoNewPage, int lines, int freeLines);

    // Fires a job event unless the preview is printing.
    void fire(const TZELNotifyEvent& event);
    // Fires OnError, then raises EZELPrinter with the message.
    [[noreturn]] void raiseError(const QString& message);
    // The same, with the system's own message on a second line when it gave one.
    [[noreturn]] void raiseError(const QString& message, const QString& systemMessage);

    // Makes PrinterName the application's printer, or shows the print dialog. False when the
    // user cancelled the dialog. Afterwards PrinterName is the chosen printer. A spooler that does
    // not answer raises the error instead of showing the dialog.
    bool selectPrinter();
    // Its two halves: the named (or current) printer taken, false when the dialog must choose;
    // then the dialog on a printer made for it alone.
    bool namedPrinterChosen();
    bool choosePrinterInDialog(QPrinter& printer);

    // The document built for the screen; null when printing for real. The wait cursor shows
    // while it is built.
    bool previewing() const { return FPreview != nullptr; }
    TextPreviewDocument& preview() { return *FPreview; }
    void startPreview();
    // Ends the previewed document and the printer's, then hands it to the previewer with
    // `print`, which prints it for real and silently.
    void showPreviewDocument(const TZELPreviewPrint& print);

    // A new document starts on line 1 of page 1; one that is already printing is an error.
    void startPosition();
    void openProgress();
    void closeProgress();
    // For destructors, which cannot report a failure.
    void abortUnreported();

    int FCurrentLine = 1;
    int FCurrentPage = 1;
    bool FIsPrinting = false;

private:
    std::unique_ptr<TextPreviewDocument> FPreview;
    std::unique_ptr<TfrmZELPrintProgress> FProgress;
};
