// Finding the server before a driver connects. The browser service's side is tested through the
// real FreeTDS driver in the data-access tests; here the connection strings and the deadline.
#include "ServerAddress.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>

#include <future>
#include <string>

namespace {

using platform::withServerAddress;

platform::Deadline inOneSecond() {
    return std::chrono::steady_clock::now() + std::chrono::seconds(1);
}

TEST(ServerAddress, DriverIsHandedAnAddressAndTheRestOfTheStringStays) {
    EXPECT_EQ(withServerAddress("DRIVER={PostgreSQL Unicode};SERVER=127.0.0.1;PORT=5432;UID=se",
                                inOneSecond()),
              "DRIVER={PostgreSQL Unicode};SERVER=127.0.0.1;PORT=5432;UID=se");
    const QString local =
        withServerAddress("Driver={FreeTDS};Server=localhost;Port=1433", inOneSecond());
    EXPECT_TRUE(local == "Driver={FreeTDS};Server=127.0.0.1;Port=1433" ||
                local == "Driver={FreeTDS};Server=::1;Port=1433")
        << local.toStdString();
    // A braced server, and an instance whose port is given: nothing to ask the browser.
    EXPECT_EQ(withServerAddress("DRIVER={FreeTDS};SERVER={127.0.0.1\\SE};PORT=1500;"
                                "PWD={a;b}}c}",
                                inOneSecond()),
              "DRIVER={FreeTDS};SERVER=127.0.0.1;PORT=1500;PWD={a;b}}c}");
    // A data source name: the driver manager knows the server.
    EXPECT_EQ(withServerAddress("DSN=Palendra;UID=sa", inOneSecond()), "DSN=Palendra;UID=sa");
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
