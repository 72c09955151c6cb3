// What the terminal reads before it connects: an ODBC connection string (first byte even) or a SQL
// Server Browser reply with the instance asked for (first byte odd). No port read from either is
// outside 1-65535; every part of a string lies within it, and its server written back in the
// string's place reads back as the same value. Nothing here reaches the network.
#include "DataLink.h"
#include "FuzzSupport.h"
#include "ServerAddress.h"
#include "ServerAddressParts.h"

#include <optional>

using namespace platform::serveraddress;

namespace {

constexpr std::size_t maxInstanceName = 16;

void checkPort(std::optional<int> port) {
    check(!port || (*port >= 1 && *port <= 65535), "a port outside 1-65535");
}

// As withServerAddress puts the server's address in its place.
void checkServerWrittenBack(const QString& odbc, const QList<OdbcPart>& parts) {
    std::optional<OdbcPart> server;
    try {
        server = hostPart(parts);
    } catch (const platform::ServerLookupError&) {
        return; // a FreeTDS server named by its freetds.conf entry
    }
    if (!server) {
        return;
    }
    const QString written = odbc.left(server->valueStart) + platform::odbcValue(server->value) +
                            odbc.mid(server->valueEnd);
    const std::optional<OdbcPart> again = hostPart(odbcParts(written));
    check(again && again->value == server->value, "the server written back reads as another");
}

void checkConnectionString(const QString& odbc) {
    const QList<OdbcPart> parts = odbcParts(odbc);
    for (const OdbcPart& part : parts) {
        check(!part.key.isEmpty() && part.key == part.key.trimmed(), "a key empty or untrimmed");
        check(0 < part.valueStart && part.valueStart <= part.valueEnd &&
                  part.valueEnd <= odbc.size(),
              "a value outside the string");
    }
    checkPort(serverPort(parts));
    checkServerWrittenBack(odbc, parts);
}

void checkBrowserReply(FuzzInput& input) {
    const QString instance =
        QString::fromLocal8Bit(input.bytes(input.byte() % (maxInstanceName + 1)));
    const std::optional<int> port = portInReply(input.rest(), instance);
    check(!port || *port == 0 || (*port >= 1 && *port <= 65535),
          "a browser's port outside 1-65535");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    if (input.byte() % 2 == 1) {
        checkBrowserReply(input);
    } else {
        checkConnectionString(QString::fromUtf8(input.rest()));
    }
    return 0;
}
