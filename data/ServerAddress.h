#pragma once

#include <QString>
#include <QStringList>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <thread>

// Finding a database server before its driver connects to it. The drivers look up host names
// and SQL Server instances themselves, with waits that no watch can cut: a resolver whose DNS
// server is gone, or FreeTDS asking a named instance's port 16 times a second apart. So the
// terminal does both look-ups first, each within a deadline, and hands the driver an address
// and a port.
namespace platform {

class ServerLookupError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

using Deadline = std::chrono::steady_clock::time_point;

// The port of the SQL Server Browser service, which tells the TCP port of a named instance.
inline constexpr int sqlBrowserPort = 1434;

// The ODBC connection string with its server (SERVER, or psqlODBC's SERVERNAME) named by address
// (of a name with several, the first that answers) and, for a named instance ("host\instance") with
// no PORT, the instance's port asked of the browser service. A DSN is written out in the string as
// odbc.ini defines it (driver and entries). A string that names no server (SQLite) keeps its files.
// Throws ServerLookupError when a look-up fails or is still waiting at the deadline.
QString withServerAddress(const QString& odbc, Deadline deadline, int browserPort = sqlBrowserPort);

// The addresses of a host name as text, in the resolver's order of preference; a numeric address
// as it is.
QStringList hostAddresses(const QString& host, Deadline deadline);

// Of a host's addresses, the first in that order that takes a TCP connection on the port, all
// tried at once until the deadline: a dead or silent address costs nothing. A single address is
// handed back without a connection.
QString firstAccepting(const QString& host, const QStringList& addresses, int port,
                       Deadline deadline);

struct ServerEndpoint {
    QString address;
    int port = 0;
};

// The first of the addresses whose browser service gives the instance's TCP port, all asked at
// once.
ServerEndpoint instanceEndpoint(const QStringList& addresses, const QString& instance,
                                Deadline deadline, int browserPort = sqlBrowserPort);

// Runs work on a thread of its own and waits for its result until the deadline. Work that cannot
// be interrupted (a call into the resolver) and outlives the deadline finishes alone: it holds
// nothing of the caller's, and its result is dropped.
template <typename Result>
std::optional<Result> resultBefore(Deadline deadline, std::function<Result()> work) {
    struct Outcome {
        std::mutex mutex;
        std::condition_variable done;
        std::optional<Result> result;
    };
    auto outcome = std::make_shared<Outcome>();
    std::thread([outcome, work = std::move(work)] {
        Result result = work();
        const std::scoped_lock lock(outcome->mutex);
        outcome->result = std::move(result);
        outcome->done.notify_all();
    }).detach();
    std::unique_lock lock(outcome->mutex);
    outcome->done.wait_until(lock, deadline, [&] { return outcome->result.has_value(); });
    return outcome->result;
}

} // namespace platform
