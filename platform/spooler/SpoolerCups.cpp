#include "Spooler.h"

#include "ScopedDeadline.h"

#include <QFile>

#include <cups/cups.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>

namespace platform {
namespace {

// How long one wait on the spooler may last: connecting, an answer, room for a job's bytes.
// CUPS waits up to a second more for an answer to begin, so a call that sends one request gives
// up within 5 s. A whole print job may end sooner (PrintDeadline).
constexpr std::chrono::milliseconds Wait{4000};

// What the next wait may last, never nothing: a time-out of 0 would mean none to the library.
std::chrono::milliseconds waitLeft() {
    return std::max(PrintDeadline::within(Wait), std::chrono::milliseconds(1));
}

int giveUp(http_t*, void*) {
    return 0;
}

// The connection with the time its next wait may last.
http_t* bounded(http_t* http) {
    httpSetTimeout(http, double(waitLeft().count()) / 1000.0, giveUp, nullptr);
    return http;
}

// Every call and job has a connection of its own, bounded as above. The library's shared one
// waits 30 s to connect, a minute for an answer and for ever to send, and the library's
// higher-level calls (a named destination, a job made by name) fall back on it when the spooler
// does not answer; so only plain requests are sent here.
http_t* connectToServer() {
    http_t* http = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                                int(waitLeft().count()), nullptr);
    return http ? bounded(http) : nullptr;
}

using Connection = std::unique_ptr<http_t, void (*)(http_t*)>;

Connection connection() {
    return Connection(connectToServer(), httpClose);
}

// Why a call failed: the connection's own error (a spooler that stopped answering), else the
// spooler's message.
QString failure(http_t* http) {
    const int error = http ? httpError(http) : errno;
    return error != 0 ? QString::fromLocal8Bit(strerror(error))
                      : QString::fromUtf8(cupsLastErrorString());
}

using Answer = std::unique_ptr<ipp_t, void (*)(ipp_t*)>;

// Sends a request and takes the spooler's answer; null when it did not answer or refused.
Answer ask(http_t* http, ipp_t* request) {
    Answer answer(cupsDoRequest(bounded(http), request, "/"), ippDelete);
    if (cupsLastError() > IPP_STATUS_OK_CONFLICTING) {
        answer.reset();
    }
    return answer;
}

// A request about one printer (or class) of the local spooler, asking for one attribute.
ipp_t* printerRequest(ipp_op_t operation, const QByteArray& printer, const char* attribute) {
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", ippPort(),
                     "/printers/%s", printer.constData());
    ipp_t* request = ippNewRequest(operation);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                 cupsUser());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr,
                 attribute);
    return request;
}

ipp_t* collection(ipp_t* in, const char* name) {
    ipp_attribute_t* found = ippFindAttribute(in, name, IPP_TAG_BEGIN_COLLECTION);
    return found ? ippGetCollection(found, 0) : nullptr;
}

// An integer member of a collection; 0 when it is missing.
int integer(ipp_t* in, const char* name) {
    ipp_attribute_t* found = in ? ippFindAttribute(in, name, IPP_TAG_INTEGER) : nullptr;
    return found ? ippGetInteger(found, 0) : 0;
}

// A CUPS job of one document in the given format. CUPS has no pages in a raw stream, so the page
// steps only check that a document is open.
class CupsJob final : public RawPrintJob {
public:
    CupsJob(http_t* http, QByteArray printer, const char* format)
        : m_http(http)
        , m_printer(std::move(printer))
        , m_format(format) {}
    ~CupsJob() override {
        if (m_jobId != 0)
            abort();
        close();
    }

    bool startDocument(const QString& title) override {
        if (!m_http)
            return fail("A conexão com o spooler está fechada");
        const QByteArray name = title.toUtf8();
        ipp_t* request = printerRequest(IPP_OP_CREATE_JOB, m_printer, "job-id");
        ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "job-name", nullptr,
                     name.constData());
        const Answer answer = ask(m_http, request);
        ipp_attribute_t* jobId =
            answer ? ippFindAttribute(answer.get(), "job-id", IPP_TAG_INTEGER) : nullptr;
        if (!jobId)
            return fail(failure(m_http));
        m_jobId = ippGetInteger(jobId, 0);
        if (cupsStartDocument(bounded(m_http), m_printer.constData(), m_jobId, name.constData(),
                              m_format, 1) != HTTP_STATUS_CONTINUE) {
            const QString message = failure(m_http);
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
        if (cupsWriteRequestData(bounded(m_http), bytes.constData(), size_t(bytes.size())) !=
            HTTP_STATUS_CONTINUE) {
            fail(failure(m_http));
            return 0;
        }
        return bytes.size();
    }

    bool endDocument() override {
        if (m_jobId == 0)
            return fail("Nenhum documento iniciado");
        const ipp_status_t status = cupsFinishDocument(bounded(m_http), m_printer.constData());
        if (status > IPP_STATUS_OK_CONFLICTING) {
            const QString message = failure(m_http);
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
            return fail(failure(nullptr));
        if (cupsCancelJob2(m_http, m_printer.constData(), jobId, 0) > IPP_STATUS_OK_CONFLICTING)
            return fail(failure(m_http));
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
    const char* m_format;
    int m_jobId = 0;
    QString m_lastError;
};

class CupsSpooler final : public Spooler {
public:
    QStringList printerNames() const override {
        m_lastError.clear();
        const Connection http = connection();
        if (!http) {
            m_lastError = failure(nullptr);
            return {};
        }
        ipp_t* request = ippNewRequest(IPP_OP_CUPS_GET_PRINTERS);
        ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr,
                     "printer-name");
        const Answer answer = ask(http.get(), request);
        if (!answer && cupsLastError() != IPP_STATUS_ERROR_NOT_FOUND) {
            m_lastError = failure(http.get());
        }
        QStringList names;
        for (ipp_attribute_t* name =
                 answer ? ippFindAttribute(answer.get(), "printer-name", IPP_TAG_NAME) : nullptr;
             name; name = ippFindNextAttribute(answer.get(), "printer-name", IPP_TAG_NAME))
            names << QString::fromUtf8(ippGetString(name, 0, nullptr));
        return names;
    }

    QString defaultPrinterName() const override {
        const Connection http = connection();
        if (!http)
            return {};
        cups_dest_t* dest = cupsGetNamedDest(http.get(), nullptr, nullptr);
        const QString name = dest ? QString::fromUtf8(dest->name) : QString();
        cupsFreeDests(dest ? 1 : 0, dest);
        return name;
    }

    QString deviceUri(const QString& printerName) const override {
        const Connection http = connection();
        if (!http)
            return {};
        const Answer answer = ask(http.get(), printerRequest(IPP_OP_GET_PRINTER_ATTRIBUTES,
                                                             printerName.toUtf8(), "device-uri"));
        ipp_attribute_t* uri =
            answer ? ippFindAttribute(answer.get(), "device-uri", IPP_TAG_URI) : nullptr;
        return uri ? QString::fromUtf8(ippGetString(uri, 0, nullptr)) : QString();
    }

    std::optional<Paper> defaultPaper(const QString& printerName) const override {
        m_lastError.clear();
        const Connection http = connection();
        if (!http) {
            m_lastError = failure(nullptr);
            return std::nullopt;
        }
        const Answer answer =
            ask(http.get(), printerRequest(IPP_OP_GET_PRINTER_ATTRIBUTES, printerName.toUtf8(),
                                           "media-col-default"));
        if (!answer) {
            m_lastError = failure(http.get());
            return std::nullopt;
        }
        ipp_t* media = collection(answer.get(), "media-col-default");
        ipp_t* size = media ? collection(media, "media-size") : nullptr;
        const Paper paper{
            QSize(integer(size, "x-dimension"), integer(size, "y-dimension")),
            QMargins(integer(media, "media-left-margin"), integer(media, "media-top-margin"),
                     integer(media, "media-right-margin"), integer(media, "media-bottom-margin"))};
        return paper.size.isEmpty() ? std::nullopt : std::optional(paper);
    }

    std::unique_ptr<RawPrintJob> openRawPrinter(const QString& printerName) override {
        const QByteArray name = printerName.toUtf8();
        Connection http = connection();
        if (!http) {
            m_lastError = failure(nullptr);
            return nullptr;
        }
        if (!ask(http.get(), printerRequest(IPP_OP_GET_PRINTER_ATTRIBUTES, name, "printer-name"))) {
            m_lastError = failure(http.get());
            return nullptr;
        }
        return std::make_unique<CupsJob>(http.release(), name, CUPS_FORMAT_RAW);
    }

    bool printPdfFile(const QString& printerName, const QString& path,
                      const QString& title) override {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            m_lastError = file.errorString();
            return false;
        }
        const QByteArray document = file.readAll();
        http_t* http = connectToServer();
        if (!http) {
            m_lastError = failure(nullptr);
            return false;
        }
        CupsJob job(http, printerName.toUtf8(), CUPS_FORMAT_PDF);
        if (!job.startDocument(title) || job.write(document) < document.size() ||
            !job.endDocument()) {
            m_lastError = job.lastError();
            return false;
        }
        return true;
    }

    QString lastError() const override { return m_lastError; }

private:
    // Also of the calls that only read: a list that could not be read is not an empty one.
    mutable QString m_lastError;
};

} // namespace

Spooler& systemSpooler() {
    static CupsSpooler cups;
    return cups;
}

} // namespace platform
