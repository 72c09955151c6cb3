// Finding the server before a driver connects. The browser service's side is tested through the
// real FreeTDS driver in the data-access tests; here the connection strings and the deadline.
#include "OwnSystemFiles.h"
#include "ServerAddress.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <future>
#include <string>

namespace {

using platform::withServerAddress;

platform::Deadline inOneSecond() {
    return std::chrono::steady_clock::now() + std::chrono::seconds(1);
}

// A TCP listener of the test's own on a loopback address. A silent one has its backlog full: a
// connection to it is never answered, as at a server whose packets are swallowed.
class Listener {
public:
    explicit Listener(const char* address, int port = 0, bool silent = false) {
        sockaddr_in where{};
        where.sin_family = AF_INET;
        where.sin_port = htons(static_cast<uint16_t>(port));
        ::inet_pton(AF_INET, address, &where.sin_addr);
        socklen_t length = sizeof where;
        if (::bind(m_descriptor, reinterpret_cast<const sockaddr*>(&where), length) != 0 ||
            ::listen(m_descriptor, silent ? 0 : 4) != 0 ||
            ::getsockname(m_descriptor, reinterpret_cast<sockaddr*>(&where), &length) != 0 ||
            (silent &&
             ::connect(m_filler, reinterpret_cast<const sockaddr*>(&where), length) != 0)) {
            ADD_FAILURE() << "cannot listen on " << address << ":" << port;
        }
        m_port = ntohs(where.sin_port);
    }
    ~Listener() {
        ::close(m_filler);
        ::close(m_descriptor);
    }
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

    int port() const { return m_port; }
    QByteArray portText() const { return QByteArray::number(m_port); }
    // Whether a connection has come since the last call.
    bool reached() const {
        const int connection = ::accept(m_descriptor, nullptr, nullptr);
        ::close(connection);
        return connection >= 0;
    }

private:
    int m_descriptor = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    int m_filler = ::socket(AF_INET, SOCK_STREAM, 0);
    int m_port = 0;
};

TEST(ServerAddress, DriverIsHandedAnAddressAndTheRestOfTheStringStays) {
    EXPECT_EQ(withServerAddress("DRIVER={PostgreSQL Unicode};SERVER=127.0.0.1;PORT=5432;UID=se",
                                inOneSecond()),
              "DRIVER={PostgreSQL Unicode};SERVER=127.0.0.1;PORT=5432;UID=se");
    const Listener server("127.0.0.1");
    EXPECT_EQ(withServerAddress("Driver={FreeTDS};Server=localhost;Port=" + server.portText(),
                                inOneSecond()),
              "Driver={FreeTDS};Server=127.0.0.1;Port=" + server.portText());
    // A braced server, and an instance whose port is given: nothing to ask the browser.
    EXPECT_EQ(withServerAddress("DRIVER={FreeTDS};SERVER={127.0.0.1\\SE};PORT=1500;"
                                "PWD={a;b}}c}",
                                inOneSecond()),
              "DRIVER={FreeTDS};SERVER=127.0.0.1;PORT=1500;PWD={a;b}}c}");
}

// A DSN is written out with its server by address: FreeTDS takes no SERVER beside a DSN, and Qt
// reads a string with neither DRIVER nor SERVER as a DSN's name.
TEST(ServerAddress, DataSourceIsWrittenOutWithItsServerByAddress) {
    const Listener server("127.0.0.1");
    const QByteArray port = server.portText();
    const OwnOdbcIni ini("[Tds]\nDriver=FreeTDS\nServer=localhost\nPort=" + port +
                         "\nDatabase=Palendra\n"
                         "[Pg]\nDriver=PostgreSQL Unicode\nServername=localhost\nPort=" +
                         port +
                         "\n"
                         "[Lite]\nDriver=SQLite3\nDatabase=/var/lib/se/palendra.db\n"
                         "[Conf]\nDriver=FreeTDS\nServername=palendra\n");
    // The string's own keys win over the DSN's.
    EXPECT_EQ(withServerAddress("DSN=Tds;UID=sa;DATABASE=Quorvel", inOneSecond()),
              "DRIVER=FreeTDS;Server=127.0.0.1;Port=" + port + ";UID=sa;DATABASE=Quorvel");
    EXPECT_EQ(withServerAddress("DSN={Pg};UID=se", inOneSecond()),
              "DRIVER=PostgreSQL Unicode;Servername=127.0.0.1;Port=" + port + ";UID=se");
    EXPECT_EQ(withServerAddress("DSN=Lite", inOneSecond()),
              "DRIVER=SQLite3;Database=/var/lib/se/palendra.db");
    // A DSN that odbc.ini does not define: the driver manager says so.
    EXPECT_EQ(withServerAddress("DSN=Palendra;UID=sa", inOneSecond()), "DSN=Palendra;UID=sa");
    // FreeTDS's SERVERNAME names an entry of freetds.conf, whose host FreeTDS would look up itself.
    EXPECT_THROW(withServerAddress("DSN=Conf", inOneSecond()), platform::ServerLookupError);
}

// Every address of a name is tried at once, and the first in the resolver's order that takes a
// connection is handed over: a silent one costs nothing. A single address is handed over untried.
TEST(ServerAddress, EveryAddressOfANameIsTriedWithinTheDeadline) {
    if (!inOwnSystemFiles(
            {{"hosts", "127.0.0.2 se-pair\n127.0.0.3 se-pair\n127.0.0.3 se-one\n"}})) {
        return;
    }
    const Listener silent("127.0.0.2", 0, true);
    const Listener live("127.0.0.3", silent.port());
    const QByteArray port = silent.portText();
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(withServerAddress("DRIVER={FreeTDS};SERVER=se-pair;PORT=" + port, inOneSecond()),
              "DRIVER={FreeTDS};SERVER=127.0.0.3;PORT=" + port);
    EXPECT_LT(timer.elapsed(), 500);
    EXPECT_TRUE(live.reached());

    EXPECT_EQ(withServerAddress("DRIVER={FreeTDS};SERVER=se-one;PORT=" + port, inOneSecond()),
              "DRIVER={FreeTDS};SERVER=127.0.0.3;PORT=" + port);
    EXPECT_FALSE(live.reached());

    // A driver whose port the terminal does not know: its first address, untried.
    EXPECT_EQ(withServerAddress("DRIVER={MySQL};SERVER=se-pair", inOneSecond()),
              "DRIVER={MySQL};SERVER=127.0.0.2");
    EXPECT_FALSE(live.reached());

    // No address takes a connection: given up at once, not at the deadline.
    timer.restart();
    EXPECT_THROW(withServerAddress("DRIVER={FreeTDS};SERVER=se-pair;PORT=1", inOneSecond()),
                 platform::ServerLookupError);
    EXPECT_LT(timer.elapsed(), 500);
}

TEST(ServerAddress, WorkThatOutlivesItsDeadlineIsLeftToFinishAlone) {
    EXPECT_EQ(platform::resultBefore<std::string>(inOneSecond(), [] { return "10.0.0.5"; }),
              "10.0.0.5");

    // A resolver whose DNS server is gone: the call does not return before it is released.
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    QElapsedTimer waited;
    waited.start();
    const std::optional<std::string> result = platform::resultBefore<std::string>(
        std::chrono::steady_clock::now() + std::chrono::milliseconds(300), [released] {
            released.wait();
            return std::string("too late");
        });
    EXPECT_FALSE(result.has_value());
    EXPECT_GE(waited.elapsed(), 290);
    EXPECT_LT(waited.elapsed(), 3000);
    release.set_value();
}

} // namespace
