#include "ServerAddress.h"

#include "DataLink.h"
#include "ServerAddressParts.h"

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
#include <utility>
#include <vector>

namespace platform {

using namespace serveraddress;

namespace {

using std::chrono::steady_clock;

[[noreturn]] void fail(const QString& what) {
    throw ServerLookupError(what.toStdString());
}

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

// Whether the string's driver is the one named, by its name or the library odbcinst.ini gives
// for it.
bool driverIs(const QList<OdbcPart>& parts, const QString& name) {
    const std::optional<OdbcPart> driver = partNamed(parts, QStringLiteral("DRIVER"));
    return driver &&
           (driver->value + iniEntry("odbcinst.ini", driver->value, QStringLiteral("Driver")))
               .contains(name, Qt::CaseInsensitive);
}

bool isFreeTds(const QList<OdbcPart>& parts) {
    return driverIs(parts, QStringLiteral("tds"));
}

} // namespace

namespace serveraddress {

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

std::optional<int> serverPort(const QList<OdbcPart>& parts) {
    if (const std::optional<OdbcPart> port = partNamed(parts, QStringLiteral("PORT"))) {
        const int number = port->value.toInt();
        return number > 0 && number < 65536 ? std::optional(number) : std::nullopt;
    }
    if (isFreeTds(parts)) {
        return 1433;
    }
    if (driverIs(parts, QStringLiteral("postgres")) || driverIs(parts, QStringLiteral("psql"))) {
        return 5432;
    }
    return std::nullopt;
}

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

} // namespace serveraddress

namespace {

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

// The addresses of a numeric host, or those the resolver gives in its order of preference.
std::vector<std::string> addressesOf(const std::string& host, int flags) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = flags;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0) {
        return {};
    }
    std::vector<std::string> addresses;
    for (const addrinfo* each = found; each != nullptr; each = each->ai_next) {
        char text[NI_MAXHOST] = {};
        if (getnameinfo(each->ai_addr, each->ai_addrlen, text, sizeof text, nullptr, 0,
                        NI_NUMERICHOST) == 0 &&
            std::find(addresses.begin(), addresses.end(), text) == addresses.end()) {
            addresses.emplace_back(text);
        }
    }
    freeaddrinfo(found);
    return addresses;
}

class Descriptor {
public:
    explicit Descriptor(int descriptor)
        : m_descriptor(descriptor) {}
    Descriptor(Descriptor&& other) noexcept
        : m_descriptor(std::exchange(other.m_descriptor, -1)) {}
    ~Descriptor() {
        if (m_descriptor >= 0) {
            ::close(m_descriptor);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    Descriptor& operator=(Descriptor&&) = delete;
    int get() const { return m_descriptor; }

private:
    int m_descriptor;
};

// A socket of the type connecting to address and port without waiting (a datagram socket is
// connected at once: only the browser's replies are read, and a closed port is told); -1 when it
// cannot start.
Descriptor connecting(const QString& address, int port, int type) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = type;
    hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    if (getaddrinfo(address.toStdString().c_str(), std::to_string(port).c_str(), &hints, &found) !=
        0) {
        return Descriptor(-1);
    }
    Descriptor socket(::socket(found->ai_family, type | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    const bool started =
        socket.get() >= 0 &&
        (::connect(socket.get(), found->ai_addr, found->ai_addrlen) == 0 || errno == EINPROGRESS);
    freeaddrinfo(found);
    return started ? std::move(socket) : Descriptor(-1);
}

// One socket to each address, and what poll waits for on each; a socket given up is left out of
// the wait by a negative descriptor.
struct Sockets {
    Sockets(const QStringList& addresses, int port, int type, short events) {
        for (const QString& address : addresses) {
            owned.push_back(connecting(address, port, type));
            waits.push_back({owned.back().get(), events, 0});
        }
    }
    bool anyLeft() const {
        return std::any_of(waits.begin(), waits.end(), [](const pollfd& w) { return w.fd >= 0; });
    }
    std::vector<Descriptor> owned;
    std::vector<pollfd> waits;
};

int millisecondsUntil(steady_clock::time_point when) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(when - steady_clock::now());
    return static_cast<int>(std::max<std::chrono::milliseconds::rep>(left.count(), 0));
}

} // namespace

QStringList hostAddresses(const QString& host, Deadline deadline) {
    const std::string name = host.toStdString();
    std::vector<std::string> addresses = addressesOf(name, AI_NUMERICHOST);
    if (addresses.empty()) {
        const std::optional<std::vector<std::string>> found =
            resultBefore<std::vector<std::string>>(deadline,
                                                   [name] { return addressesOf(name, 0); });
        if (!found) {
            fail(QStringLiteral("the name %1 was not looked up in time").arg(host));
        }
        addresses = *found;
    }
    if (addresses.empty()) {
        fail(QStringLiteral("the name %1 is not known").arg(host));
    }
    QStringList texts;
    for (const std::string& address : addresses) {
        texts << QString::fromStdString(address);
    }
    return texts;
}

QString firstAccepting(const QString& host, const QStringList& addresses, int port,
                       Deadline deadline) {
    if (addresses.size() == 1) {
        return addresses.front();
    }
    Sockets sockets(addresses, port, SOCK_STREAM, POLLOUT);
    while (sockets.anyLeft() && steady_clock::now() < deadline) {
        if (::poll(sockets.waits.data(), sockets.waits.size(), millisecondsUntil(deadline)) <= 0) {
            continue;
        }
        // In order, so that of several that answer at once the resolver's preferred one is taken.
        for (qsizetype i = 0; i < addresses.size(); ++i) {
            pollfd& wait = sockets.waits[static_cast<size_t>(i)];
            if (wait.revents == 0) {
                continue;
            }
            int error = 0;
            socklen_t length = sizeof error;
            if (::getsockopt(wait.fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0) {
                return addresses[i];
            }
            wait.fd = -1;
        }
    }
    fail(QStringLiteral("no address of %1 took a connection on port %2 in time")
             .arg(host)
             .arg(port));
}

ServerEndpoint instanceEndpoint(const QStringList& addresses, const QString& instance,
                                Deadline deadline, int browserPort) {
    const QString where = addresses.join(QStringLiteral(", "));
    Sockets sockets(addresses, browserPort, SOCK_DGRAM, POLLIN);
    QString why = QStringLiteral("cannot reach the SQL Server Browser of %1").arg(where);
    // CLNT_UCAST_INST: the instance's name, ended by a null.
    const QByteArray request = QByteArray(1, '\x04') + instance.toLocal8Bit() + QByteArray(1, '\0');
    // A request or a reply lost on the way is asked again.
    constexpr auto askAgainAfter = std::chrono::milliseconds(250);
    steady_clock::time_point askAgain = steady_clock::now();
    while (sockets.anyLeft() && steady_clock::now() < deadline) {
        if (steady_clock::now() >= askAgain) {
            for (const pollfd& wait : sockets.waits) {
                if (wait.fd < 0) {
                    continue;
                }
                ::send(wait.fd, request.constData(), static_cast<size_t>(request.size()),
                       MSG_NOSIGNAL);
            }
            askAgain = steady_clock::now() + askAgainAfter;
        }
        if (::poll(sockets.waits.data(), sockets.waits.size(),
                   millisecondsUntil(std::min(askAgain, deadline))) <= 0) {
            continue;
        }
        for (qsizetype i = 0; i < addresses.size(); ++i) {
            pollfd& wait = sockets.waits[static_cast<size_t>(i)];
            if (wait.revents == 0) {
                continue;
            }
            QByteArray reply(65535, '\0');
            const ssize_t count = ::recv(wait.fd, reply.data(), reply.size(), 0);
            if (count < 0 && errno == ECONNREFUSED) {
                why = QStringLiteral("no SQL Server Browser answers at %1").arg(addresses[i]);
                wait.fd = -1;
                continue;
            }
            reply.truncate(std::max<ssize_t>(count, 0));
            if (const std::optional<int> port = portInReply(reply, instance)) {
                if (*port != 0) {
                    return {addresses[i], *port};
                }
                why = QStringLiteral("the SQL Server Browser of %1 knows no instance %2 on TCP")
                          .arg(addresses[i], instance);
                wait.fd = -1;
            }
        }
    }
    fail(sockets.anyLeft()
             ? QStringLiteral("the SQL Server Browser of %1 did not answer in time").arg(where)
             : why);
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
    const QStringList addresses = hostAddresses(host, deadline);
    // The rest of the string stays as it was written.
    const auto withServer = [&](const QString& address) {
        return odbc.left(server->valueStart) + odbcValue(address) + odbc.mid(server->valueEnd);
    };
    if (instance.isEmpty() || partNamed(parts, QStringLiteral("PORT"))) {
        // With a port unknown the addresses cannot be tried: the first is handed over.
        const std::optional<int> port = serverPort(parts);
        return withServer(port ? firstAccepting(host, addresses, *port, deadline)
                               : addresses.front());
    }
    const ServerEndpoint endpoint = instanceEndpoint(addresses, instance, deadline, browserPort);
    QString result = withServer(endpoint.address);
    if (!result.trimmed().endsWith(QLatin1Char(';'))) {
        result += QLatin1Char(';');
    }
    return result + QStringLiteral("PORT=%1").arg(endpoint.port);
}

} // namespace platform
