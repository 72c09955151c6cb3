#pragma once

#include <QByteArray>
#include <QMargins>
#include <QSize>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

// The system print spooler as the printing back-ends use it: the installed printers, the
// application's current printer and raw jobs (bytes handed to the printer unchanged).
// CUPS fills it on Linux (SpoolerCups.cpp); a Windows backend can fill it later. Tests use one in
// memory (FakeSpooler.h).
namespace platform {

// One raw job on one printer. Every step answers whether the spooler accepted it; on a refusal
// lastError() holds the spooler's own message. A job that was started and is destroyed without
// endDocument() is cancelled, so no half-sent job stays in the queue.
class RawPrintJob {
public:
    virtual ~RawPrintJob() = default;

    virtual bool startDocument(const QString& title) = 0;
    virtual bool startPage() = 0;
    // Returns the number of bytes the spooler accepted.
    virtual qint64 write(const QByteArray& bytes) = 0;
    virtual bool endPage() = 0;
    virtual bool endDocument() = 0;
    // Cancels the started document.
    virtual bool abort() = 0;
    virtual bool close() = 0;
    virtual QString lastError() const = 0;
};

// The paper a printer takes by default, in hundredths of a millimetre: its size and the margins
// the printer cannot print in.
struct Paper {
    QSize size;
    QMargins margins;
};

class Spooler {
public:
    virtual ~Spooler() = default;

    // Names of all installed printers (queues), read afresh on every call. When the spooler did
    // not answer, the list is empty and lastError() says why.
    virtual QStringList printerNames() const = 0;
    // The system's default printer, empty when there is none.
    virtual QString defaultPrinterName() const = 0;
    // The device URI of an installed printer ("parallel:/dev/lp0", "socket://host:9100"), empty
    // when there is no such printer.
    virtual QString deviceUri(const QString& printerName) const = 0;
    // The printer's default paper; none when the spooler does not say, and when it did not answer
    // (lastError() then says why).
    virtual std::optional<Paper> defaultPaper(const QString& printerName) const = 0;
    // Opens a printer for raw data; null when it cannot be opened, with the reason in lastError().
    virtual std::unique_ptr<RawPrintJob> openRawPrinter(const QString& printerName) = 0;
    // Queues a finished PDF document as one job; false with the reason in lastError().
    virtual bool printPdfFile(const QString& printerName, const QString& path,
                              const QString& title) = 0;
    virtual QString lastError() const = 0;
};

// The spooler of the installed back ends.
Spooler& spooler();

// The system's spooler.
Spooler& systemSpooler();

// The application's current printer: the default printer until the program chooses another
// (the system print dialog, or a printer chosen by name).
QString currentPrinterName();
void setCurrentPrinterName(const QString& name);

} // namespace platform
