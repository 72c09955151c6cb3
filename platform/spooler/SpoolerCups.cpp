#include "Spooler.h"

#include <cups/cups.h>

#include <cerrno>
#include <cstring>

namespace platform {
namespace {

QString cupsMessage() {
    return QString::fromUtf8(cupsLastErrorString());
}

http_t* connectToServer() {
    return httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1, 30000,
                        nullptr);
}

// A CUPS job in raw format. CUPS has no pages in a raw stream, so the page steps only check
// that a document is open.
class CupsRawJob final : public RawPrintJob {
public:
    CupsRawJob(http_t* http, QByteArray printer)
        : m_http(http)
        , m_printer(std::move(printer)) {}
    ~CupsRawJob() override {
        if (m_jobId != 0)
            abort();
        close();
    }

    bool startDocument(const QString& title) override {
        if (!m_http)
            return fail("A conexão com o spooler está fechada");
        const QByteArray name = title.toUtf8();
        m_jobId = cupsCreateJob(m_http, m_printer.constData(), name.constData(), 0, nullptr);
        if (m_jobId == 0)
            return fail(cupsMessage());
        if (cupsStartDocument(m_http, m_printer.constData(), m_jobId, name.constData(),
                              CUPS_FORMAT_RAW, 1) != HTTP_STATUS_CONTINUE) {
            const QString message = cupsMessage();
            abort();
            return fail(message);
        }
        return true;
    }

    bool startPage() override { return m_jobId != 0 || fail("Nenhum documento iniciado"); }
    bool endPage() override { return m_jobId != 0 || fail("Nenhum documento iniciado"); }

    qint64 write(const QByteArray& bytes) override {
        if (m_jobId == 0) {
            fail("Nenhum documento iniciado");
            return 0;
        }
        if (bytes.isEmpty())
            return 0;
        if (cupsWriteRequestData(m_http, bytes.constData(), size_t(bytes.size())) !=
            HTTP_STATUS_CONTINUE) {
            fail(cupsMessage());
            return 0;
        }
        return bytes.size();
    }

    bool endDocument() override {
        if (m_jobId == 0)
            return fail("Nenhum documento iniciado");
        const ipp_status_t status = cupsFinishDocument(m_http, m_printer.constData());
        if (status > IPP_STATUS_OK_CONFLICTING) {
            const QString message = cupsMessage();
            abort();
            return fail(message);
        }
        m_jobId = 0;
        return true;
    }

    // The connection may be in the middle of sending the document, so it is dropped and the
    // job is cancelled over a fresh one. A job the spooler refused is already gone.
    bool abort() override {
        if (m_jobId == 0)
            return true; // nothing left to cancel: never started, or dropped by the spooler
        const int jobId = std::exchange(m_jobId, 0);
        close();
        m_http = connectToServer();
        if (!m_http)
            return fail(cupsMessage());
        if (cupsCancelJob2(m_http, m_printer.constData(), jobId, 0) > IPP_STATUS_OK_CONFLICTING)
            return fail(cupsMessage());
        return true;
    }

    bool close() override {
        if (m_http)
            httpClose(std::exchange(m_http, nullptr));
        return true;
    }

    QString lastError() const override { return m_lastError; }

private:
    bool fail(const QString& message) {
        m_lastError = message;
        return false;
    }

    http_t* m_http;
    QByteArray m_printer;
    int m_jobId = 0;
    QString m_lastError;
};

class CupsSpooler final : public Spooler {
public:
    QStringList printerNames() const override {
        cups_dest_t* dests = nullptr;
        const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
        QStringList names;
        for (int i = 0; i < count; ++i)
            if (!dests[i].instance)
                names << QString::fromUtf8(dests[i].name);
        cupsFreeDests(count, dests);
        return names;
    }

    QString defaultPrinterName() const override {
        cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, nullptr, nullptr);
        const QString name = dest ? QString::fromUtf8(dest->name) : QString();
        cupsFreeDests(dest ? 1 : 0, dest);
        return name;
    }

    QString deviceUri(const QString& printerName) const override {
        const QByteArray name = printerName.toUtf8();
        cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.constData(), nullptr);
        const char* uri =
            dest ? cupsGetOption("device-uri", dest->num_options, dest->options) : nullptr;
        const QString result = uri ? QString::fromUtf8(uri) : QString();
        cupsFreeDests(dest ? 1 : 0, dest);
        return result;
    }

    std::unique_ptr<RawPrintJob> openRawPrinter(const QString& printerName) override {
        const QByteArray name = printerName.toUtf8();
        http_t* http = connectToServer();
        if (!http) {
            m_lastError = QString::fromLocal8Bit(strerror(errno));
            return nullptr;
        }
        cups_dest_t* dest = cupsGetNamedDest(http, name.constData(), nullptr);
        if (!dest) {
            m_lastError = cupsMessage();
            httpClose(http);
            return nullptr;
        }
        cupsFreeDests(1, dest);
        return std::make_unique<CupsRawJob>(http, name);
    }

    bool printPdfFile(const QString& printerName, const QString& path,
                      const QString& title) override {
        const QByteArray name = printerName.toUtf8();
        const QByteArray file = path.toLocal8Bit();
        const QByteArray jobTitle = title.toUtf8();
        cups_option_t* options = nullptr;
        const int count = cupsAddOption("document-format", "application/pdf", 0, &options);
        const int jobId = cupsPrintFile2(CUPS_HTTP_DEFAULT, name.constData(), file.constData(),
                                         jobTitle.constData(), count, options);
        cupsFreeOptions(count, options);
        if (jobId == 0)
            m_lastError = cupsMessage();
        return jobId != 0;
    }

    QString lastError() const override { return m_lastError; }

private:
    QString m_lastError;
};

} // namespace

Spooler& spooler() {
    static CupsSpooler cups;
    return cups;
}

} // namespace platform
