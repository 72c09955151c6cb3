#pragma once

#include "PrinterPort.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

// Printer models; the model only selects the control codes loaded at the start of a job.
enum class PrinterModel {
    IbmStandard,
    Deskjet500,
    Deskjet600,
    Rima,
    Epson9Pin,
    EmiliaPs,
    EpsonStylusC2,
    CanonBjc4000,
    Epson24Pin,
    Printer40Columns,
    Bematech
};

// Texts of the page header. colHeader1 to colHeader3 hold "caption,column" items separated by
// ";", columns counted from 0.
class PageHeader {
public:
    int firstPage = 1;
    QString title1;
    QString title2;
    QString right2;
    QString left2;
    QString right3;
    QString left3;
    QString right4;
    QString left4;
    QString colHeader1;
    QString colHeader2;
    QString colHeader3;
};

// Printer control codes of a model, filled at the start of every job (loadControlCodes). Callers
// pass them as effects; pageLength wants the page length byte appended.
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
// written, flushed or closed, or whose name is too long to open, raises PortIoError, which
// callers let through to the error log.
class MatrixPrintDriver : public QObject {
    Q_OBJECT

public:
    explicit MatrixPrintDriver(QObject* owner = nullptr);
    ~MatrixPrintDriver() override;

    bool printsPageHeader() const { return m_printsPageHeader; }
    void setPrintsPageHeader(bool value) { m_printsPageHeader = value; }
    PrinterModel printerModel() const { return m_printerModel; }
    void setPrinterModel(PrinterModel value) { m_printerModel = value; }
    PageHeader& headerData() { return m_headerData; }
    const PageHeader& headerData() const { return m_headerData; }
    void setHeaderData(const PageHeader& value) { m_headerData = value; }
    bool preview() const { return m_preview; }
    void setPreview(bool value) { m_preview = value; }
    int linesPerPage() const { return m_linesPerPage; }
    void setLinesPerPage(int value) { m_linesPerPage = value; }
    int pageWidth() const { return m_pageWidth; }
    void setPageWidth(int value) { m_pageWidth = value; }
    // Port ("LPT1"), device path or file name; empty means the system's current printer.
    QString printerPort() const { return m_printerPort; }
    void setPrinterPort(const QString& value) { m_printerPort = value; }

    // Opens a job; false, after a warning, when the port cannot be opened.
    bool beginJob();
    // Prints text from the given column of the current line, preceded by the code effect.
    void print(const QString& effect, const QString& text, int column, bool endLine);
    // Writes raw codes without touching the column.
    void sendCodes(const QString& effect);
    void eject();
    // Prints the page header when a page starts; the driver calls it itself.
    void printPageHeader();
    // Closes the job; in preview mode then hands it to previewReady.
    void endJob();
    // Loads the control codes of the printer model; a code the model does not set keeps its value.
    void loadControlCodes();
    const MatrixControlCodes& controlCodes() const { return m_codes; }
    void setControlCodes(const MatrixControlCodes& codes) { m_codes = codes; }
    // The job goes to this spooler queue rather than to a file of its name.
    void setPrinterQueue(const QString& queue);
    // Prints lines that already hold the printer's bytes, as a job file does; no line end
    // after the last.
    void printJobLines(const QStringList& lines);
    // The port in use becomes the port of the system's current printer.
    void useCurrentPrinterPort();

    // The value formatted with a format-float mask ("0", "#", "." and "," standing for the locale's
    // separators, text before and after them copied; no ";" sections or exponents), rounded half
    // away from zero, right-aligned to the mask's length.
    static QString formatMasked(const QString& mask, double value);
    static QString repeated(QChar character, int count);
    // Portuguese letters replaced by the printer's bytes (as Windows-1252 characters).
    static QString toPrinterCharset(const QString& text);

signals:
    // A preview job ended; whoever shows it is done with it when this returns.
    void previewReady(const MatrixPreviewJob& job);

private:
    // print with or without the accent conversion (the preview reprints converted text).
    void printPiece(const QString& effect, const QString& text, int column, bool endLine,
                    bool convert);
    void printSides(const QString& left, const QString& right);
    void printColumnCaptions(const QString& captions);
    int centred(const QString& text) const;

    bool m_printsPageHeader = true;
    PrinterModel m_printerModel = PrinterModel::Epson9Pin;
    PageHeader m_headerData;
    bool m_preview = false;
    int m_linesPerPage = 60;
    int m_pageWidth = 80;
    QString m_printerPort;
    // A PrinterPort that names a spooler queue (the port in use of a job on a printer without
    // a local port, handed to the preview's reprint).
    QString m_queuePort;

    MatrixControlCodes m_codes;
    // The finished lines of a job in preview mode; null when the job prints for real.
    std::optional<QStringList> m_previewLines;
    bool m_printingHeader = false;
};

namespace matrixprint {

// Port name of a CUPS queue: the local device of its URI (parallel:, serial:, file:), otherwise
// the queue name itself.
QString portOfDevice(const QString& deviceUri, const QString& queueName);

} // namespace matrixprint
