#pragma once

#include "Spooler.h"

#include <map>
#include <vector>

namespace platform {

// A print spooler in memory for tests: named printers, a default one, and every job that was
// finished kept as its bytes. A test can make a printer refuse jobs, remove it while a job is
// open (the job is refused at its end, as the system's spooler does) or stop the whole spooler
// (nothing listed, nothing opened, as when its scheduler is not running).
class FakeSpooler final : public Spooler {
public:
    struct Job {
        QString printer;
        QString title;
        QByteArray bytes;
    };

    void addPrinter(const QString& name, const QString& deviceUri = QString());
    void removePrinter(const QString& name);
    void setDefaultPrinter(const QString& name) { m_default = name; }
    void refuseJobs(const QString& name);
    void stop() { m_answering = false; }

    // The finished jobs in order, and the ones started and neither finished nor cancelled.
    const std::vector<Job>& jobs() const { return m_jobs; }
    int unfinishedJobs() const { return m_unfinished; }

    QStringList printerNames() const override;
    QString defaultPrinterName() const override;
    QString deviceUri(const QString& printerName) const override;
    // None: the canvas printer's own default page.
    std::optional<Paper> defaultPaper(const QString&) const override { return std::nullopt; }
    std::unique_ptr<RawPrintJob> openRawPrinter(const QString& printerName) override;
    bool printPdfFile(const QString& printerName, const QString& path,
                      const QString& title) override;
    QString lastError() const override { return m_lastError; }

private:
    friend class FakeRawJob;

    struct Printer {
        QString deviceUri;
        bool accepting = true;
    };

    // Why a printer cannot take a job now; empty when it can.
    QString refusal(const QString& printerName) const;
    bool fail(const QString& message) const;

    std::map<QString, Printer> m_printers;
    QStringList m_order;
    QString m_default;
    bool m_answering = true;
    std::vector<Job> m_jobs;
    int m_unfinished = 0;
    mutable QString m_lastError;
};

} // namespace platform
