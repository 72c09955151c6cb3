#include "FakeSpooler.h"

#include <QFile>

namespace platform {

namespace {

const QString NotAnswering = QStringLiteral("Connection refused");

} // namespace

// A raw job on one printer of the fake spooler; pages only check that a document is open.
class FakeRawJob final : public RawPrintJob {
public:
    FakeRawJob(FakeSpooler& spooler, QString printer)
        : m_spooler(spooler) {
        m_job.printer = std::move(printer);
    }
    ~FakeRawJob() override { abort(); }
    FakeRawJob(const FakeRawJob&) = delete;
    FakeRawJob& operator=(const FakeRawJob&) = delete;

    bool startDocument(const QString& title) override {
        const QString refusal = m_spooler.refusal(m_job.printer);
        if (!refusal.isEmpty())
            return fail(refusal);
        m_job.title = title;
        m_open = true;
        ++m_spooler.m_unfinished;
        return true;
    }
    bool startPage() override { return m_open || fail(QStringLiteral("No document started")); }
    bool endPage() override { return m_open || fail(QStringLiteral("No document started")); }

    qint64 write(const QByteArray& bytes) override {
        if (!m_open) {
            fail(QStringLiteral("No document started"));
            return 0;
        }
        m_job.bytes += bytes;
        return bytes.size();
    }

    bool endDocument() override {
        if (!m_open)
            return fail(QStringLiteral("No document started"));
        const QString refusal = m_spooler.refusal(m_job.printer);
        abort();
        if (!refusal.isEmpty())
            return fail(refusal);
        m_spooler.m_jobs.push_back(m_job);
        return true;
    }

    bool abort() override {
        if (m_open) {
            m_open = false;
            --m_spooler.m_unfinished;
        }
        return true;
    }
    bool close() override { return true; }
    QString lastError() const override { return m_lastError; }

private:
    bool fail(const QString& message) {
        m_lastError = message;
        return false;
    }

    FakeSpooler& m_spooler;
    FakeSpooler::Job m_job;
    bool m_open = false;
    QString m_lastError;
};

void FakeSpooler::addPrinter(const QString& name, const QString& deviceUri) {
    if (!m_printers.contains(name))
        m_order << name;
    m_printers[name] = Printer{deviceUri, true};
}

void FakeSpooler::removePrinter(const QString& name) {
    m_printers.erase(name);
    m_order.removeAll(name);
}

void FakeSpooler::refuseJobs(const QString& name) {
    if (const auto printer = m_printers.find(name); printer != m_printers.end())
        printer->second.accepting = false;
}

QStringList FakeSpooler::printerNames() const {
    m_lastError.clear();
    if (!m_answering) {
        m_lastError = NotAnswering;
        return {};
    }
    return m_order;
}

QString FakeSpooler::defaultPrinterName() const {
    return m_answering && m_printers.contains(m_default) ? m_default : QString();
}

QString FakeSpooler::deviceUri(const QString& printerName) const {
    const auto printer = m_printers.find(printerName);
    return m_answering && printer != m_printers.end() ? printer->second.deviceUri : QString();
}

std::unique_ptr<RawPrintJob> FakeSpooler::openRawPrinter(const QString& printerName) {
    if (!m_answering || !m_printers.contains(printerName)) {
        fail(m_answering ? QStringLiteral("The printer or class does not exist.") : NotAnswering);
        return nullptr;
    }
    return std::make_unique<FakeRawJob>(*this, printerName);
}

bool FakeSpooler::printPdfFile(const QString& printerName, const QString& path,
                               const QString& title) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(file.errorString());
    const QString refusal = this->refusal(printerName);
    if (!refusal.isEmpty())
        return fail(refusal);
    m_jobs.push_back({printerName, title, file.readAll()});
    return true;
}

QString FakeSpooler::refusal(const QString& printerName) const {
    if (!m_answering)
        return NotAnswering;
    const auto printer = m_printers.find(printerName);
    if (printer == m_printers.end())
        return QStringLiteral("The printer or class does not exist.");
    if (!printer->second.accepting)
        return QStringLiteral("Destination \"%1\" is not accepting jobs.").arg(printerName);
    return {};
}

bool FakeSpooler::fail(const QString& message) const {
    m_lastError = message;
    return false;
}

} // namespace platform
