// One behaviour suite, run against real pseudo-terminals and against the fake driver.
#include "FakeSerialDriver.h"
#include "SerialDriverPosix.h"
#include "SerialTestSupport.h"

#include <QCoreApplication>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

using namespace commtest;
using namespace std::chrono_literals;

namespace {

class PtyBackend {
public:
    QString deviceName() const { return m_pty->slavePath(); }
    void send(const std::string& bytes) { m_pty->send(bytes); }
    std::string farEndReceived(std::size_t count) { return m_pty->receive(count); }
    void unplug() { m_pty->closeMaster(); }
    void plugNewDevice() { m_pty = std::make_unique<PseudoTerminal>(); }
    // A closed descriptor cannot be told from a reused one here; the fake counts them.
    int callsOnClosedHandles() const { return 0; }
    platform::SerialDriver* driver() { return &m_driver; }

private:
    std::unique_ptr<PseudoTerminal> m_pty = std::make_unique<PseudoTerminal>();
    platform::PosixSerialDriver m_driver;
};

class FakeBackend {
public:
    FakeBackend() { m_driver.addDevice(m_name); }
    QString deviceName() const { return m_name; }
    void send(const std::string& bytes) { m_driver.receive(m_name, bytes); }
    std::string farEndReceived(std::size_t) { return m_driver.device(m_name).output; }
    void unplug() { m_driver.unplug(m_name); }
    void plugNewDevice() {
        m_name = QStringLiteral("COM%1").arg(++m_generation + 7);
        m_driver.addDevice(m_name);
    }
    int callsOnClosedHandles() const { return m_driver.callsOnClosedHandles(); }
    platform::SerialDriver* driver() { return &m_driver; }

private:
    platform::FakeSerialDriver m_driver;
    QString m_name = QStringLiteral("COM7");
    int m_generation = 0;
};

template <typename Backend> class SerialPortBehaviour : public ::testing::Test {
protected:
    // A component on the backend's device, watching received data as the keypad forms do.
    std::unique_ptr<SerialPort> makeComm() {
        auto comm = std::make_unique<SerialPort>(nullptr, backend.driver());
        comm->setDeviceName(backend.deviceName());
        comm->setMonitorEvents(SerialPort::Event::RxChar);
        return comm;
    }

    static bool onUiThread() {
        return QThread::currentThread() == QCoreApplication::instance()->thread();
    }

    Backend backend;
    SerialErrorRecorder errors;
};

using Backends = ::testing::Types<PtyBackend, FakeBackend>;
class BackendNames {
public:
    template <typename T> static std::string GetName(int) {
        return std::is_same_v<T, PtyBackend> ? "PseudoTerminal" : "FakeDriver";
    }
};
TYPED_TEST_SUITE(SerialPortBehaviour, Backends, BackendNames);

TYPED_TEST(SerialPortBehaviour, ReceivedBytesRaiseRxCharOnTheUiThreadWithTheQueuedCount) {
    auto comm = this->makeComm();
    std::string received;
    bool everyHandlerOnUiThread = true;
    bool everyReadGotTheCount = true;
    comm->setOnBytesReceived([&](QObject* sender, int count) {
        everyHandlerOnUiThread =
            everyHandlerOnUiThread && this->onUiThread() && sender == comm.get();
        char buffer[64] = {};
        const int read = comm->read(buffer, count);
        everyReadGotTheCount = everyReadGotTheCount && read == count;
        received.append(buffer, std::size_t(std::max(read, 0)));
    });
    comm->open();
    ASSERT_TRUE(comm->isOpen());

    this->backend.send("123#");
    ASSERT_TRUE(waitUntil([&] { return received.size() >= 4; }));
    EXPECT_EQ(received, "123#");
    EXPECT_TRUE(everyHandlerOnUiThread);
    EXPECT_TRUE(everyReadGotTheCount);
    EXPECT_TRUE(this->errors.errors().empty());
}

TYPED_TEST(SerialPortBehaviour, KeypadReadsOneByteAnEventAndLaterEventsBringTheRest) {
    auto comm = this->makeComm();
    std::string keys;
    comm->setOnBytesReceived([&](QObject*, int) {
        char key = 0;
        if (comm->read(&key, 1) == 1) {
            keys += key;
        }
    });
    comm->open();
    this->backend.send("42");
    ASSERT_TRUE(waitUntil([&] { return keys.size() == 2; }));
    EXPECT_EQ(keys, "42");
}

TYPED_TEST(SerialPortBehaviour, ReadWithNothingWaitingReturnsZeroAtOnce) {
    auto comm = this->makeComm();
    comm->open();
    char buffer[8];
    int result = -2;
    EXPECT_LT(millisecondsOf([&] { result = comm->read(buffer, sizeof buffer); }), 100);
    EXPECT_EQ(result, 0);
}

TYPED_TEST(SerialPortBehaviour, ReadAndWriteOnAClosedPortReturnMinusOneAfterTheirTimeOut) {
    auto comm = this->makeComm();
    comm->setReadTimeout(150);
    comm->setWriteTimeout(120);
    char buffer[8] = {};
    int read = 0;
    int written = 0;
    const auto readTime = millisecondsOf([&] { read = comm->read(buffer, sizeof buffer); });
    const auto writeTime = millisecondsOf([&] { written = comm->write("x", 1); });
    EXPECT_EQ(read, -1);
    EXPECT_EQ(written, -1);
    EXPECT_GE(readTime, 150);
    EXPECT_LT(readTime, 1000);
    EXPECT_GE(writeTime, 120);
    EXPECT_LT(writeTime, 1000);
    const std::vector<std::pair<QString, int>> expected = {
        {QStringLiteral("Read error"), int(platform::error::InvalidHandle)},
        {QStringLiteral("Write error"), int(platform::error::InvalidHandle)}};
    EXPECT_EQ(this->errors.errors(), expected);
}

TYPED_TEST(SerialPortBehaviour, WriteReachesTheFarEnd) {
    auto comm = this->makeComm();
    comm->open();
    EXPECT_EQ(comm->write("\x0f"
                          "hello",
                          6),
              6);
    EXPECT_EQ(this->backend.farEndReceived(6), "\x0f"
                                               "hello");
}

TYPED_TEST(SerialPortBehaviour, QueueCountsAreMinusOneWhenClosedAndFollowTheInputWhenOpen) {
    auto comm = this->makeComm();
    EXPECT_EQ(comm->bytesWaiting(), -1);
    EXPECT_EQ(comm->bytesToWrite(), -1);
    comm->open();
    EXPECT_EQ(comm->bytesWaiting(), 0);
    EXPECT_EQ(comm->bytesToWrite(), 0);
    this->backend.send("abc");
    EXPECT_TRUE(waitUntil([&] { return comm->bytesWaiting() == 3; }));
    char buffer[8];
    EXPECT_EQ(comm->read(buffer, 2), 2);
    EXPECT_EQ(comm->bytesWaiting(), 1);
    comm->purgeInput();
    EXPECT_EQ(comm->bytesWaiting(), 0);
}

// The forms call setBreak right after Close and carry on.
TYPED_TEST(SerialPortBehaviour, BreakRightAfterCloseHasNoEffectAndDoesNotFail) {
    auto comm = this->makeComm();
    comm->open();
    comm->close();
    comm->setBreak(true);
    EXPECT_FALSE(comm->isOpen());
    const std::vector<std::pair<QString, int>> expected = {
        {QStringLiteral("Port not open, unable to complete operation"), -1}};
    EXPECT_EQ(this->errors.errors(), expected);
}

TYPED_TEST(SerialPortBehaviour, AnEventWhoseQueueIsEmptyWhenDispatchedDoesNotCallRxChar) {
    auto comm = this->makeComm();
    int calls = 0;
    comm->setOnBytesReceived([&](QObject*, int) { ++calls; });
    comm->open();
    this->backend.send("7");
    ASSERT_TRUE(waitUntil([&] { return calls == 1; }));
    // The handler left the byte; read it before the next event is dispatched (so wait
    // without running the event loop).
    this->backend.send("8");
    char buffer[8];
    for (int tries = 0; tries < 2000 && comm->bytesWaiting() < 2; ++tries) {
        std::this_thread::sleep_for(1ms);
    }
    EXPECT_EQ(comm->read(buffer, sizeof buffer), 2);
    waitUntil([] { return false; }, 100);
    EXPECT_EQ(calls, 1);
}

TYPED_TEST(SerialPortBehaviour, BytesNobodyReadsRaiseNoFurtherEvents) {
    auto comm = this->makeComm();
    int calls = 0;
    comm->setOnBytesReceived([&](QObject*, int) { ++calls; });
    comm->open();
    this->backend.send("9");
    ASSERT_TRUE(waitUntil([&] { return calls >= 1; }));
    waitUntil([] { return false; }, 200);
    EXPECT_EQ(calls, 1);
}

TYPED_TEST(SerialPortBehaviour, CloseFromInsideTheHandlerAndReopenInsideItDoNotDeadlock) {
    auto terminal = this->makeComm();
    auto series = this->makeComm();
    int seriesKeys = 0;
    series->setOnBytesReceived([&](QObject*, int count) {
        char buffer[16];
        seriesKeys += series->read(buffer, std::min(count, 16));
    });
    terminal->setOnBytesReceived([&](QObject*, int) {
        // The terminal's Enter opens the series window, which takes the port over.
        terminal->close();
        series->open();
    });
    terminal->open();
    this->backend.send("#");
    ASSERT_TRUE(waitUntil([&] { return series->isOpen(); }));
    EXPECT_FALSE(terminal->isOpen());
    this->backend.send("*");
    EXPECT_TRUE(waitUntil([&] { return seriesKeys >= 1; }));
    series->close();
    EXPECT_EQ(this->backend.callsOnClosedHandles(), 0);
}

// The bytes left by the first port are gone with it: the reopened port's bytes must not pass
// for them and bring a second event for one arrival.
TYPED_TEST(SerialPortBehaviour, AHandlerThatReopensItsPortGetsOneEventForTheNewBytes) {
    auto comm = this->makeComm();
    std::vector<int> counts;
    comm->setOnBytesReceived([&](QObject*, int count) {
        counts.push_back(count);
        if (counts.size() > 1) {
            return; // the new port's bytes are left unread
        }
        char key = 0;
        comm->read(&key, 1);
        comm->close();
        comm->open();
        this->backend.send("45");
        for (int tries = 0; tries < 2000 && comm->bytesWaiting() < 2; ++tries) {
            std::this_thread::sleep_for(1ms);
        }
    });
    comm->open();
    this->backend.send("123");
    ASSERT_TRUE(waitUntil([&] { return counts.size() >= 2; }));
    waitUntil([] { return false; }, 300);
    EXPECT_EQ(counts, std::vector<int>({3, 2}));
}

TYPED_TEST(SerialPortBehaviour, FarEndGoneNeitherCrashesNorSpinsAndTheNextOpenWorks) {
    auto comm = this->makeComm();
    comm->setReadTimeout(100);
    int keys = 0;
    comm->setOnBytesReceived([&](QObject*, int count) {
        char buffer[16];
        keys += comm->read(buffer, std::min(count, 16));
    });
    comm->open();
    ASSERT_TRUE(comm->isOpen());
    this->backend.unplug();

    const auto cpuBefore = processCpuTime();
    std::this_thread::sleep_for(1s);
    const auto cpuUsed = processCpuTime() - cpuBefore;
    EXPECT_LT(cpuUsed, 50ms) << "the event thread spins on the dead device";
    waitUntil([] { return false; }, 100); // late hand-overs, if any, run here

    char buffer[4];
    EXPECT_EQ(comm->read(buffer, sizeof buffer), -1);
    ASSERT_FALSE(this->errors.errors().empty());
    EXPECT_EQ(
        this->errors.errors().back(),
        std::make_pair(QStringLiteral("Read error"), int(platform::error::DeviceNotConnected)));

    EXPECT_LT(millisecondsOf([&] { comm->close(); }), 300) << "Close must end the retry pause";

    this->backend.plugNewDevice();
    comm->setDeviceName(this->backend.deviceName());
    comm->open();
    ASSERT_TRUE(comm->isOpen());
    this->backend.send("5");
    EXPECT_TRUE(waitUntil([&] { return keys == 1; }));
}

// The kiosk's hand-back: the series window closes its component, sets BREAK on the closed port,
// detaches its handler, waits 100 ms and reopens the terminal's component on the same port;
// or it takes the port over from inside the terminal's handler. Bytes stream all along.
TYPED_TEST(SerialPortBehaviour, AThousandOpenCloseCyclesWhileBytesStream) {
    constexpr int Cycles = 1000;
    auto terminal = this->makeComm();
    auto series = this->makeComm();
    std::atomic<bool> streaming{true};
    std::thread farEnd([&] {
        while (streaming) {
            this->backend.send("1");
            std::this_thread::sleep_for(300us);
        }
    });

    int terminalEvents = 0;
    int seriesEvents = 0;
    bool takeOverInsideHandler = false;
    bool everyHandlerOnUiThread = true;
    const auto drain = [&](SerialPort& comm, int count) {
        everyHandlerOnUiThread = everyHandlerOnUiThread && this->onUiThread();
        char buffer[256];
        comm.read(buffer, std::min(count, 256));
    };
    terminal->setOnBytesReceived([&](QObject*, int count) {
        drain(*terminal, count);
        ++terminalEvents;
        if (takeOverInsideHandler) {
            takeOverInsideHandler = false;
            terminal->close();
            series->open();
        }
    });
    const auto seriesHandler = [&](QObject*, int count) {
        drain(*series, count);
        ++seriesEvents;
    };

    for (int cycle = 0; cycle < Cycles; ++cycle) {
        terminal->open();
        ASSERT_TRUE(terminal->isOpen()) << "cycle " << cycle;
        const int terminalBefore = terminalEvents;
        ASSERT_TRUE(waitUntil([&] { return terminalEvents > terminalBefore; }))
            << "cycle " << cycle;

        series->setOnBytesReceived(seriesHandler);
        if (cycle % 2 == 1) {
            takeOverInsideHandler = true;
            ASSERT_TRUE(waitUntil([&] { return series->isOpen(); })) << "cycle " << cycle;
        } else {
            terminal->close();
            series->open();
        }
        ASSERT_TRUE(series->isOpen()) << "cycle " << cycle;
        const int seriesBefore = seriesEvents;
        ASSERT_TRUE(waitUntil([&] { return seriesEvents > seriesBefore; })) << "cycle " << cycle;

        series->close();
        series->setBreak(true);
        series->setOnBytesReceived(nullptr);
        std::this_thread::sleep_for(cycle % 100 == 0 ? 100ms : 0ms);
    }
    streaming = false;
    farEnd.join();

    EXPECT_TRUE(everyHandlerOnUiThread);
    EXPECT_EQ(this->backend.callsOnClosedHandles(), 0);
    for (const auto& [message, code] : this->errors.errors()) {
        ASSERT_EQ(message, QStringLiteral("Port not open, unable to complete operation"));
    }
}

// Closing a window from its keypad handler may free the window's component there and then.
TYPED_TEST(SerialPortBehaviour, AHandlerMayFreeItsComponent) {
    auto comm = this->makeComm();
    comm->setMonitorEvents(SerialPort::Event::RxChar | SerialPort::Event::RxFlag);
    comm->specialChars().setEvtChar('*');
    int rxFlags = 0;
    comm->setOnRxFlag([&](QObject*) { ++rxFlags; });
    comm->setOnBytesReceived([&](QObject*, int) { comm.reset(); });
    comm->open();
    this->backend.send("*");
    ASSERT_TRUE(waitUntil([&] { return comm == nullptr; }));
    waitUntil([] { return false; }, 50);
    EXPECT_EQ(rxFlags, 0) << "no handler of a freed component runs";
    EXPECT_EQ(this->backend.callsOnClosedHandles(), 0);
}

TYPED_TEST(SerialPortBehaviour, DestroyingAnOpenComponentStopsItsThread) {
    {
        auto comm = this->makeComm();
        comm->setOnBytesReceived([](QObject*, int) {});
        comm->open();
        this->backend.send("12");
        waitUntil([] { return false; }, 20);
    }
    // A hand-over still queued for the destroyed component must not run.
    waitUntil([] { return false; }, 100);
    auto again = this->makeComm();
    again->open();
    EXPECT_TRUE(again->isOpen()) << "the device is still held";
    EXPECT_EQ(this->backend.callsOnClosedHandles(), 0);
}

} // namespace
