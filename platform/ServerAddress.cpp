#include "ServerAddress.h"

#include "DataLink.h"

#include <QList>
#include <QStringList>

#include <netdb.h>
#include <odbcinst.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>

namespace platform {
namespace {

using std::chrono::steady_clock;

[[noreturn]] void fail(const QString& what) {
    throw ServerLookupError(what.toStdString());
}

// One "KEY=value" of an ODBC connection string: the value unbraced ("{a;b}}c}" is "a;b}c"),
// and where it stands in the string, braces included.
struct OdbcPart {
    QString key;
    QString value;
    qsizetype valueStart = 0;
    qsizetype valueEnd = 0;
};

// The value of a braced part whose brace is at; at is left on the closing brace.
QString bracedValue(const QString& odbc, qsizetype& at) {
    QString value;
    for (++at; at < odbc.size(); ++at) {
        if (odbc.at(at) == QLatin1Char('}')) {
            if (at + 1 >= odbc.size() || odbc.at(at + 1) != QLatin1Char('}')) {
                break;
            }
            ++at; // a doubled brace stands for one
        }
        value += odbc.at(at);
    }
    return value;
}

QList<OdbcPart> odbcParts(const QString& odbc) {
    QList<OdbcPart> parts;
    qsizetype at = 0;
    while (at < odbc.size()) {
        const qsizetype equals = odbc.indexOf(QLatin1Char('='), at);
        if (equals < 0) {
            break;
        }
        OdbcPart part{odbc.mid(at, equals - at).trimmed(), {}, equals + 1, 0};
        at = equals + 1;
        while (at < odbc.size() && odbc.at(at) == QLatin1Char(' ')) {
            ++at;
        }
        if (at < odbc.size() && odbc.at(at) == QLatin1Char('{')) {
            part.value = bracedValue(odbc, at);
            at = odbc.indexOf(QLatin1Char(';'), at);
        } else {
            const qsizetype end = odbc.indexOf(QLatin1Char(';'), at);
            part.value = odbc.mid(at, end < 0 ? -1 : end - at).trimmed();
            at = end;
        }
        part.valueEnd = at < 0 ? odbc.size() : at;
        if (!part.key.isEmpty()) {
            parts << part;
        }
        if (at < 0) {
            break;
        }
        ++at;
    }
    return parts;
}

std::optional<OdbcPart> partNamed(const QList<OdbcPart>& parts, const QString& key) {
    const auto found = std::find_if(parts.begin(), parts.end(), [&](const OdbcPart& part) {
        return part.key.compare(key, Qt::CaseInsensitive) == 0;
    });
    return found == parts.end() ? std::nullopt : std::optional(*found);
}

// An entry of a section of odbc.ini or odbcinst.ini, the user's or the system's, as the driver
// manager reads it (ODBCINI and ODBCSYSINI say where); with no key, the section's keys.
QString iniEntry(const char* file, const QString& section, const QString& key) {
    QByteArray value(8192, '\0');
    const QByteArray keyBytes = key.toLocal8Bit();
    const int size = SQLGetPrivateProfileString(section.toLocal8Bit().constData(),
                                                key.isEmpty() ? nullptr : keyBytes.constData(), "",
                                                value.data(), static_cast<int>(value.size()), file);
    value.truncate(std::clamp<int>(size, 0, static_cast<int>(value.size())));
    return QString::fromLocal8Bit(value);
}

// The string with its DSN written out: the DSN's driver and entries, the string's own keys taking
// precedence. FreeTDS takes no SERVER beside a DSN, a driver would look the DSN's host up itself
// with no bound, and Qt puts "DSN=" before a string with no DRIVER or SERVER. As it is when it
// names no DSN that odbc.ini defines.
QString withDataSourceWrittenOut(const QString& odbc) {
    const QList<OdbcPart> parts = odbcParts(odbc);
    const std::optional<OdbcPart> dsn = partNamed(parts, QStringLiteral("DSN"));
    const QString driver =
        dsn ? iniEntry("odbc.ini", dsn->value, QStringLiteral("Driver")) : QString();
    if (driver.isEmpty() || partNamed(parts, QStringLiteral("DRIVER"))) {
        return odbc;
    }
    QStringList written{QStringLiteral("DRIVER=") + odbcValue(driver)};
    // The keys come each ended by a null.
    for (const QString& key :
         iniEntry("odbc.ini", dsn->value, {}).split(QLatin1Char('\0'), Qt::SkipEmptyParts)) {
        if (!partNamed(parts, key) &&
            key.compare(QStringLiteral("Driver"), Qt::CaseInsensitive) != 0) {
            written << key + QLatin1Char('=') + odbcValue(iniEntry("odbc.ini", dsn->value, key));
        }
    }
    for (const OdbcPart& part : parts) {
        if (part.key.compare(QStringLiteral("DSN"), Qt::CaseInsensitive) != 0) {
            written << part.key + QLatin1Char('=') + odbcValue(part.value);
        }
    }
    return written.join(QLatin1Char(';'));
}

// Whether the string's driver is FreeTDS, by its name or the library odbcinst.ini gives for it.
bool isFreeTds(const QList<OdbcPart>& parts) {
    const std::optional<OdbcPart> driver = partNamed(parts, QStringLiteral("DRIVER"));
    return driver &&
           (driver->value + iniEntry("odbcinst.ini", driver->value, QStringLiteral("Driver")))
               .contains(QStringLiteral("tds"), Qt::CaseInsensitive);
}

// The part naming the server's host: SERVER, or psqlODBC's SERVERNAME. FreeTDS's SERVERNAME names
// an entry of freetds.conf, whose host FreeTDS would look up itself with no bound.
std::optional<OdbcPart> hostPart(const QList<OdbcPart>& parts) {
    if (std::optional<OdbcPart> server = partNamed(parts, QStringLiteral("SERVER"))) {
        return server;
    }
    const std::optional<OdbcPart> named = partNamed(parts, QStringLiteral("SERVERNAME"));
    if (named && isFreeTds(parts)) {
        fail(
            QStringLiteral("the server %1 is an entry of freetds.conf, whose host is not looked up "
                           "within the bound of connecting; give the host as Server")
                .arg(named->value));
    }
    return named;
}

// The address of a numeric host, or of the first that the resolver gives; empty when none.
std::string firstAddress(const std::string& host, int flags) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = flags;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0) {
        return {};
    }
    char text[NI_MAXHOST] = {};
    const int failed = getnameinfo(found->ai_addr, found->ai_addrlen, text, sizeof text, nullptr, 0,
                                   NI_NUMERICHOST);
    freeaddrinfo(found);
    return failed != 0 ? std::string() : std::string(text);
}

class Descriptor {
public:
    explicit Descriptor(int descriptor)
        : m_descriptor(descriptor) {}
    ~Descriptor() {
        if (m_descriptor >= 0) {
            ::close(m_descriptor);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_descriptor; }

private:
    int m_descriptor;
};

// A socket connected to the browser service: only its replies are read, and a closed port is
// told at once.
int browserSocket(const QString& address, int browserPort) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_DGRAM;
    hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    if (getaddrinfo(address.toStdString().c_str(), std::to_string(browserPort).c_str(), &hints,
                    &found) != 0) {
        fail(QStringLiteral("%1 is not an address").arg(address));
    }
    const int socket = ::socket(found->ai_family, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    const bool connected = socket >= 0 && ::connect(socket, found->ai_addr, found->ai_addrlen) == 0;
    freeaddrinfo(found);
    if (!connected) {
        if (socket >= 0) {
            ::close(socket);
        }
        fail(QStringLiteral("cannot reach the SQL Server Browser of %1").arg(address));
    }
    return socket;
}

// The port of the instance in a browser reply (0x05, size, then records
// "ServerName;S;InstanceName;I;IsClustered;No;Version;V;tcp;1433;;"); nullopt when the bytes
// are not such a reply, 0 when the instance is not in it or takes no TCP connections.
std::optional<int> portInReply(const QByteArray& reply, const QString& instance) {
    if (reply.size() < 3 || static_cast<unsigned char>(reply.at(0)) != 0x05) {
        return std::nullopt;
    }
    const int size =
        static_cast<unsigned char>(reply.at(1)) | static_cast<unsigned char>(reply.at(2)) << 8;
    const QString text = QString::fromLocal8Bit(reply.mid(3, size));
    for (const QString& record : text.split(QStringLiteral(";;"), Qt::SkipEmptyParts)) {
        const QStringList fields = record.split(QLatin1Char(';'));
        QString name;
        int port = 0;
        for (qsizetype i = 0; i + 1 < fields.size(); i += 2) {
            if (fields[i].compare(QStringLiteral("InstanceName"), Qt::CaseInsensitive) == 0) {
                name = fields[i + 1];
            } else if (fields[i].compare(QStringLiteral("tcp"), Qt::CaseInsensitive) == 0) {
                port = fields[i + 1].toInt();
            }
        }
        if (name.compare(instance, Qt::CaseInsensitive) == 0) {
            return port > 0 && port < 65536 ? port : 0;
        }
    }
    return 0;
}

int millisecondsUntil(steady_clock::time_point when) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(when - steady_clock::now());
    return static_cast<int>(std::max<std::chrono::milliseconds::rep>(left.count(), 0));
}

} // namespace

QString hostAddress(const QString& host, Deadline deadline) {
    const std::string name = host.toStdString();
    const std::string numeric = firstAddress(name, AI_NUMERICHOST);
    if (!numeric.empty()) {
        return QString::fromStdString(numeric);
    }
    const std::optional<std::string> address =
        resultBefore<std::string>(deadline, [name] { return firstAddress(name, 0); });
    if (!address) {
        fail(QStringLiteral("the name %1 was not looked up in time").arg(host));
    }
    if (address->empty()) {
        fail(QStringLiteral("the name %1 is not known").arg(host));
    }
    return QString::fromStdString(*address);
}

int instancePort(const QString& address, const QString& instance, Deadline deadline,
                 int browserPort) {
    const Descriptor socket(browserSocket(address, browserPort));
    // CLNT_UCAST_INST: the instance's name, ended by a null.
    const QByteArray request = QByteArray(1, '\x04') + instance.toLocal8Bit() + QByteArray(1, '\0');
    // A request or a reply lost on the way is asked again.
    constexpr auto askAgainAfter = std::chrono::milliseconds(250);
    steady_clock::time_point askAgain = steady_clock::now();
    while (steady_clock::now() < deadline) {
        if (steady_clock::now() >= askAgain) {
            ::send(socket.get(), request.constData(), static_cast<size_t>(request.size()),
                   MSG_NOSIGNAL);
            askAgain = steady_clock::now() + askAgainAfter;
        }
        pollfd readable{socket.get(), POLLIN, 0};
        if (::poll(&readable, 1, millisecondsUntil(std::min(askAgain, deadline))) <= 0) {
            continue;
        }
        QByteArray reply(65535, '\0');
        const ssize_t count = ::recv(socket.get(), reply.data(), reply.size(), 0);
        if (count < 0 && errno == ECONNREFUSED) {
            fail(QStringLiteral("no SQL Server Browser answers at %1").arg(address));
        }
        reply.truncate(std::max<ssize_t>(count, 0));
        if (const std::optional<int> port = portInReply(reply, instance)) {
            if (*port == 0) {
                fail(QStringLiteral("the SQL Server Browser of %1 knows no instance %2 on TCP")
                         .arg(address, instance));
            }
            return *port;
        }
    }
    fail(QStringLiteral("the SQL Server Browser of %1 did not answer in time").arg(address));
}

QString withServerAddress(const QString& given, Deadline deadline, int browserPort) {
    const QString odbc = withDataSourceWrittenOut(given);
    const QList<OdbcPart> parts = odbcParts(odbc);
    const std::optional<OdbcPart> server = hostPart(parts);
    if (!server || server->value.isEmpty()) {
        return odbc;
    }
    const QString host = server->value.section(QLatin1Char('\\'), 0, 0);
    const QString instance = server->value.section(QLatin1Char('\\'), 1);
    const QString address = hostAddress(host, deadline);
    // The rest of the string stays as it was written.
    QString result =
        odbc.left(server->valueStart) + odbcValue(address) + odbc.mid(server->valueEnd);
    if (!instance.isEmpty() && !partNamed(parts, QStringLiteral("PORT"))) {
        const int port = instancePort(address, instance, deadline, browserPort);
        if (!result.trimmed().endsWith(QLatin1Char(';'))) {
            result += QLatin1Char(';');
        }
        result += QStringLiteral("PORT=%1").arg(port);
    }
    return result;
}

} // namespace platform
