#pragma once

#include "PrinterPort.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

// Printer models; the model only selects the control codes loaded at the start of a job.
enum TPrinterName {
    pfPadraoIBM,
    pfDeskjet500,
    pfDeskjet600,
    pfRima,
    pfEpson9pinos,
    pfEmiliaPS,
    pfEpsonStylusC2,
    pfCanonBJC4000,
    pfEpson24pinos,
    pfImp40col,
    pfImpBema
};

// Texts of the page header. ColHeader1 to ColHeader3 hold "caption,column" items separated by
// ";", columns counted from 0.
class THeaderData {
public:
    int FirstPage = 1;
    QString Title1;
    QString Title2;
    QString Right2;
    QString Left2;
    QString Right3;
    QString Left3;
    QString Right4;
    QString Left4;
    QString ColHeader1;
    QString ColHeader2;
    QString ColHeader3;
};

// Printer control codes of a model, filled at the start of every job (PegaPadroes). Callers pass
// them as effects; pageLength wants the page length byte appended.
struct MatrixControlCodes {
    QString condensed;
    QString condensedOff;
    QString superCondensed;
    QString superCondensedOff;
    QString elite;
    QString eliteOff;
    QString bold;
    QString boldOff;
    QString carriageReturn;
    QString expanded;
    QString expandedOff;
    QString lineSpacing8;
    QString lineSpacing6;
    QString eject;
    QString pageLength;
    // Effect that prints a line twice over itself (bold on printers without a bold code).
    QString boldByOverprint = QStringLiteral("NegritoEPSON");
};

// A job printed in preview mode, as the driver hands it over at its end.
struct MatrixPreviewJob {
    // The plain text of each finished line.
    QStringList lines;
    // The job as the port would have got it; removed once the preview is done with it.
    QString jobFile;
    // Where the job would have gone: a port, or a spooler queue when queue is set.
    QString port;
    QString queue;
};

// Driver for character printers written straight to a port, a device or a file: text placed by
// column, Portuguese letters converted to the printer's bytes, an optional page header with
// automatic ejects, and an optional preview. The job in progress is shared by the whole
// program: only one job may be open at a time, whatever the instance. A port that cannot be
// written, flushed or closed, or whose name is too long to open, raises EInOutError, which
// callers let through to the error log.
class TPrintFast : public QObject {
    Q_OBJECT

public:
    explicit TPrintFast(QObject* owner = nullptr);
    ~TPrintFast() override;

    bool PageHeader() const { return FPageHeader; }
    void setPageHeader(bool value) { FPageHeader = value; }
    TPrinterName PrinterName() const { return FPrinterName; }
    void setPrinterName(TPrinterName value) { FPrinterName = value; }
    THeaderData& HeaderData() { return FHeaderData; }
    const THeaderData& HeaderData() const { return FHeaderData; }
    void setHeaderData(const THeaderData& value) { FHeaderData = value; }
    bool Preview() const { return FPreview; }
    void setPreview(bool value) { FPreview = value; }
    int QtLines() const { return FQtLines; }
    void setQtLines(int value) { FQtLines = value; }
    int PageWidth() const { return FPageWidth; }
    void setPageWidth(int value) { FPageWidth = value; }
    // Port ("LPT1"), device path or file name; empty means the system's current printer.
    QString PrinterPort() const { return FPrinterPort; }
    void setPrinterPort(const QString& value) { FPrinterPort = value; }

    // Opens a job; false, after a warning, when the port cannot be opened.
    bool IniciaImpr();
    // Prints aString from column coluna of the current line, preceded by the code Efeito.
    void ImprString(const QString& Efeito, const QString& aString, int coluna, bool FimLinha);
    // Writes raw codes without touching the column.
    void ImprComo(const QString& Efeito);
    void Ejeta();
    // Prints the page header when a page starts; the driver calls it itself.
    void Cabec();
    // Closes the job; in preview mode then hands it to previewReady.
    void FimImpr();
    // Loads the control codes of PrinterName; a code the model does not set keeps its value.
    void PegaPadroes();
    const MatrixControlCodes& controlCodes() const { return m_codes; }
    void setControlCodes(const MatrixControlCodes& codes) { m_codes = codes; }
    // The job goes to this spooler queue rather than to a file of its name.
    void setPrinterQueue(const QString& queue);
    // Prints lines that already hold the printer's bytes, as a job file does; no line end
    // after the last.
    void printJobLines(const QStringList& lines);
    // The port in use becomes the port of the system's current printer.
    void UpdatePrinter();

    // Vlr formatted with a format-float mask ("0", "#", "." and "," standing for the locale's
    // separators, text before and after them copied; no ";" sections or exponents), rounded half
    // away from zero, right-aligned to the mask's length.
    static QString MascaraVlr(const QString& mascara, double Vlr);
    static QString Repete(QChar Caractere, int nCaracteres);
    // Portuguese letters replaced by the printer's bytes (as Windows-1252 characters).
    static QString ConvASC(const QString& aConverter);

signals:
    // A preview job ended; whoever shows it is done with it when this returns.
    void previewReady(const MatrixPreviewJob& job);

private:
    // ImprString with or without the accent conversion (the preview reprints converted text).
    void printPiece(const QString& effect, const QString& text, int column, bool endLine,
                    bool convert);
    void printSides(const QString& left, const QString& right);
    void printColumnCaptions(const QString& captions);
    int centred(const QString& text) const;

    bool FPageHeader = true;
    TPrinterName FPrinterName = pfEpson9pinos;
    THeaderData FHeaderData;
    bool FPreview = false;
    int FQtLines = 60;
    int FPageWidth = 80;
    QString FPrinterPort;
    // A PrinterPort that names a spooler queue (the port in use of a job on a printer without
    // a local port, handed to the preview's reprint).
    QString m_queuePort;

    MatrixControlCodes m_codes;
    // The finished lines of a job in preview mode; null when the job prints for real.
    std::optional<QStringList> m_previewLines;
    bool m_printingHeader = false;
};

namespace printfast {

// Port name of a CUPS queue: the local device of its URI (parallel:, serial:, file:), otherwise
// the queue name itself.
QString portOfDevice(const QString& deviceUri, const QString& queueName);

} // namespace printfast
