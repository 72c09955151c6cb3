// What only a fake driver can show: the DCB the component writes, the driver's failures and
// the codes passed on, modem lines and hold states.
#include "FakeSerialDriver.h"
#include "SerialTestSupport.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace commtest;
using namespace std::chrono_literals;
using platform::FakeSerialDriver;

namespace {

using ErrorList = std::vector<std::pair<QString, int>>;

// Exposes the dispatch routine, which the event thread normally calls.
class InspectableComm : public SerialPort {
public:
    using SerialPort::dispatchEvents;
    using SerialPort::SerialPort;
};

class SerialPortOnFakeDriver : public ::testing::Test {
protected:
    SerialPortOnFakeDriver()
        : device(driver.addDevice(QStringLiteral("Com1")))
        , comm(nullptr, &driver) {
        comm.setDeviceName(QStringLiteral("Com1"));
    }

    // The keypad's design values.
    void configureAsKeypad() {
        comm.setMonitorEvents(SerialPort::Event::RxChar);
        comm.setBaudRate(SerialPort::BaudRate::Baud1200);
        comm.setOptions(SerialPort::Option::ParityCheck | SerialPort::Option::DsrSensitivity |
                        SerialPort::Option::IgnoreXOff | SerialPort::Option::ErrorChar |
                        SerialPort::Option::NullStrip);
    }

    FakeSerialDriver driver;
    FakeSerialDriver::Device& device;
    SerialErrorRecorder errors;
    InspectableComm comm;
};

TEST(SerialPortDefaults, AreThoseOfTheComponent) {
    FakeSerialDriver driver;
    SerialPort comm(nullptr, &driver);
    EXPECT_EQ(comm.deviceName(), QStringLiteral("Com2"));
    EXPECT_EQ(comm.readTimeout(), 1000);
    EXPECT_EQ(comm.writeTimeout(), 1000);
    EXPECT_EQ(comm.readBufferSize(), 4096);
    EXPECT_EQ(comm.writeBufferSize(), 2048);
    EXPECT_EQ(comm.monitorEvents(), SerialPort::Event::Break | SerialPort::Event::Cts |
                                        SerialPort::Event::Dsr | SerialPort::Event::Error |
                                        SerialPort::Event::Ring | SerialPort::Event::Rlsd |
                                        SerialPort::Event::RxChar | SerialPort::Event::RxFlag |
                                        SerialPort::Event::TxEmpty);
    EXPECT_EQ(comm.baudRate(), SerialPort::BaudRate::Baud9600);
    EXPECT_EQ(comm.parity(), SerialPort::Parity::None);
    EXPECT_EQ(comm.stopBits(), SerialPort::StopBits::One);
    EXPECT_EQ(comm.dataBits(), SerialPort::DataBits::Eight);
    EXPECT_EQ(comm.options(), SerialPort::Options());
    EXPECT_EQ(comm.flowControl(), SerialPort::FlowControl::Default);
    EXPECT_EQ(comm.specialChars().xonChar(), 17);
    EXPECT_EQ(comm.specialChars().xoffChar(), 19);
    EXPECT_EQ(comm.specialChars().errorChar(), 0);
    EXPECT_EQ(comm.specialChars().eofChar(), 0);
    EXPECT_EQ(comm.specialChars().evtChar(), 0);
    EXPECT_FALSE(comm.isOpen());
    EXPECT_EQ(comm.handle(), platform::InvalidHandleValue);
}

TEST_F(SerialPortOnFakeDriver, OpenSetsTimeoutsQueuesMaskAndTheKeypadLine) {
    configureAsKeypad();
    comm.open();
    ASSERT_TRUE(comm.isOpen());
    EXPECT_EQ(device.timeouts.ReadIntervalTimeout, 0xFFFFFFFFu);
    EXPECT_EQ(device.timeouts.ReadTotalTimeoutMultiplier, 0u);
    EXPECT_EQ(device.timeouts.ReadTotalTimeoutConstant, 0u);
    EXPECT_EQ(device.timeouts.WriteTotalTimeoutMultiplier, 0u);
    EXPECT_EQ(device.timeouts.WriteTotalTimeoutConstant, 0u);
    EXPECT_EQ(device.inQueueSize, 4096u);
    EXPECT_EQ(device.outQueueSize, 2048u);
    EXPECT_EQ(device.eventMask, 0x0001u);
    EXPECT_EQ(device.dcb.BaudRate, 1200u);
    EXPECT_EQ(device.dcb.ByteSize, 8);
    EXPECT_EQ(device.dcb.Parity, 0);
    EXPECT_EQ(device.dcb.StopBits, 0);
    EXPECT_EQ(device.dcb.Flags & 0x0CC2u, 0x0CC2u);
    EXPECT_TRUE(errors.errors().empty());
}

TEST_F(SerialPortOnFakeDriver, EveryEventTypeHasItsMaskBit) {
    const std::pair<SerialPort::Event, std::uint32_t> bits[] = {
        {SerialPort::Event::Break, 0x0040},  {SerialPort::Event::Cts, 0x0008},
        {SerialPort::Event::Dsr, 0x0010},    {SerialPort::Event::Error, 0x0080},
        {SerialPort::Event::Ring, 0x0100},   {SerialPort::Event::Rlsd, 0x0020},
        {SerialPort::Event::RxChar, 0x0001}, {SerialPort::Event::RxFlag, 0x0002},
        {SerialPort::Event::TxEmpty, 0x0004}};
    for (const auto& [event, bit] : bits) {
        comm.setMonitorEvents(event);
        comm.open();
        EXPECT_EQ(device.eventMask, bit) << int(event);
        comm.close();
    }
    comm.setMonitorEvents(SerialPort::allEvents);
    comm.open();
    EXPECT_EQ(device.eventMask, 0x01FFu);
}

TEST_F(SerialPortOnFakeDriver, LineSettingsGoIntoTheDcb) {
    comm.setBaudRate(SerialPort::BaudRate::Baud256000);
    comm.setParity(SerialPort::Parity::Space);
    comm.setStopBits(SerialPort::StopBits::OneAndHalf);
    comm.setDataBits(SerialPort::DataBits::Five);
    comm.specialChars().setXonChar(1);
    comm.specialChars().setXoffChar(2);
    comm.specialChars().setErrorChar('?');
    comm.specialChars().setEofChar(26);
    comm.specialChars().setEvtChar('#');
    comm.open();
    EXPECT_EQ(device.dcb.BaudRate, 256000u);
    EXPECT_EQ(device.dcb.Parity, 4);
    EXPECT_EQ(device.dcb.StopBits, 1);
    EXPECT_EQ(device.dcb.ByteSize, 5);
    EXPECT_EQ(device.dcb.XonChar, 1);
    EXPECT_EQ(device.dcb.XoffChar, 2);
    EXPECT_EQ(device.dcb.ErrorChar, '?');
    EXPECT_EQ(device.dcb.EofChar, 26);
    EXPECT_EQ(device.dcb.EvtChar, '#');
}

TEST_F(SerialPortOnFakeDriver, SettingsWrittenWhileOpenTakeEffectAtOnce) {
    comm.open();
    comm.setBaudRate(SerialPort::BaudRate::Baud19200);
    EXPECT_EQ(device.dcb.BaudRate, 19200u);
    comm.setParity(SerialPort::Parity::Mark);
    EXPECT_EQ(device.dcb.Parity, 3);
    comm.setDataBits(SerialPort::DataBits::Seven);
    EXPECT_EQ(device.dcb.ByteSize, 7);
    comm.setStopBits(SerialPort::StopBits::Two);
    EXPECT_EQ(device.dcb.StopBits, 2);
    comm.specialChars().setEvtChar('*');
    EXPECT_EQ(device.dcb.EvtChar, '*');
    comm.setOptions(SerialPort::Option::NullStrip);
    EXPECT_EQ(device.dcb.Flags & 0x0800u, 0x0800u);
    EXPECT_TRUE(errors.errors().empty());
}

TEST_F(SerialPortOnFakeDriver, XonAndXoffLimitsAreAQuarterOfTheReadQueue) {
    comm.open();
    EXPECT_EQ(device.dcb.XonLim, 1024);
    EXPECT_EQ(device.dcb.XoffLim, 1024);
    comm.close();
    comm.setReadBufferSize(1000);
    comm.open();
    EXPECT_EQ(device.dcb.XonLim, 250);
    EXPECT_EQ(device.dcb.XoffLim, 250);
    EXPECT_EQ(device.inQueueSize, 1000u);
}

struct FlowCase {
    SerialPort::FlowControl mode;
    std::uint32_t driverFlags;
    SerialPort::Options options;
    std::uint32_t expected;
};

class FlowControlFlags : public SerialPortOnFakeDriver,
                         public ::testing::WithParamInterface<FlowCase> {};

TEST_P(FlowControlFlags, AreAppliedToTheDriversFlagsThenTheOptionsDecide) {
    device.dcb.Flags = GetParam().driverFlags;
    comm.setFlowControl(GetParam().mode);
    comm.setOptions(GetParam().options);
    comm.open();
    EXPECT_EQ(device.dcb.Flags, GetParam().expected)
        << std::hex << "driver flags 0x" << GetParam().driverFlags;
}

constexpr SerialPort::Options AllOptions = SerialPort::Options(
    SerialPort::Option::ParityCheck | SerialPort::Option::DsrSensitivity |
    SerialPort::Option::IgnoreXOff | SerialPort::Option::ErrorChar | SerialPort::Option::NullStrip);

INSTANTIATE_TEST_SUITE_P(
    EachMode, FlowControlFlags,
    ::testing::Values(
        // Driver fields at "disable": the table's bits are simply added.
        FlowCase{SerialPort::FlowControl::None, 0x0000, {}, 0x0001},
        FlowCase{SerialPort::FlowControl::Cts, 0x0000, {}, 0x2004},
        FlowCase{SerialPort::FlowControl::Dtr, 0x0000, {}, 0x0028},
        FlowCase{SerialPort::FlowControl::Software, 0x0000, {}, 0x0300},
        FlowCase{SerialPort::FlowControl::Default, 0x0000, {}, 0x0000},
        // A driver that raises DTR and RTS (fields at "enable", binary, continue on XOFF).
        FlowCase{SerialPort::FlowControl::None, 0x1091, {}, 0x0001},
        // The handshake replaces "enable" in its field rather than turning it into 3 (RTS
        // toggling, or no valid DTR mode).
        FlowCase{SerialPort::FlowControl::Cts, 0x1011, {}, 0x2015},
        FlowCase{SerialPort::FlowControl::Dtr, 0x1011, {}, 0x1029},
        FlowCase{SerialPort::FlowControl::Software, 0x1011, {}, 0x1311},
        FlowCase{SerialPort::FlowControl::Default, 0x1091, {}, 0x1011},
        // The options are set or cleared after the flow control, whatever the mode.
        FlowCase{SerialPort::FlowControl::None, 0x1091, AllOptions, 0x0CC3},
        FlowCase{SerialPort::FlowControl::Default, 0x0CC3, {}, 0x0001},
        FlowCase{SerialPort::FlowControl::Software, 0x0000,
                 SerialPort::Options(SerialPort::Option::IgnoreXOff), 0x0380},
        FlowCase{
            SerialPort::FlowControl::Cts, 0x0000,
            SerialPort::Options(SerialPort::Option::ParityCheck | SerialPort::Option::NullStrip),
            0x2806}));

TEST_F(SerialPortOnFakeDriver,
       WritesThatNeedAClosedPortAreReportedWhileOpenAndStoredForTheNextOpen) {
    driver.addDevice(QStringLiteral("Com3"));
    comm.open();
    comm.setDeviceName(QStringLiteral("Com3"));
    comm.setReadBufferSize(512);
    comm.setWriteBufferSize(256);
    comm.setMonitorEvents(SerialPort::Event::RxChar);
    const ErrorList expected(4, {QStringLiteral("Port already assigned (open)"), -1});
    EXPECT_EQ(errors.errors(), expected);
    EXPECT_EQ(comm.deviceName(), QStringLiteral("Com3"));
    EXPECT_EQ(device.openHandle, comm.handle()) << "the open port stays on the old device";

    comm.close();
    comm.open();
    EXPECT_EQ(driver.device(QStringLiteral("Com3")).openHandle, comm.handle());
    EXPECT_EQ(driver.device(QStringLiteral("Com3")).inQueueSize, 512u);
    EXPECT_EQ(driver.device(QStringLiteral("Com3")).outQueueSize, 256u);
    EXPECT_EQ(driver.device(QStringLiteral("Com3")).eventMask, 0x0001u);
}

TEST_F(SerialPortOnFakeDriver, OpenOnAnOpenPortReportsAndKeepsOneHandleAndOneThread) {
    comm.open();
    const platform::NativeHandle first = comm.handle();
    comm.open();
    EXPECT_EQ(comm.handle(), first);
    EXPECT_EQ(device.opens, 1);
    EXPECT_EQ(driver.openHandles(), 1);
    EXPECT_EQ(errors.errors(), ErrorList({{QStringLiteral("Port already assigned (open)"), -1}}));
}

TEST_F(SerialPortOnFakeDriver, ADeviceThatCannotBeOpenedFailsTheTypeTestToo) {
    comm.setDeviceName(QStringLiteral("Com12"));
    comm.open();
    EXPECT_FALSE(comm.isOpen());
    EXPECT_EQ(errors.errors(),
              ErrorList({{QStringLiteral("Error accessing specified device"),
                          int(platform::error::FileNotFound)},
                         {QStringLiteral("Invalid device handle, access denied"), -1}}));
}

TEST_F(SerialPortOnFakeDriver, AHandleThatIsNotACharacterDeviceIsClosedAgain) {
    device.type = platform::FileType::Disk;
    comm.open();
    EXPECT_FALSE(comm.isOpen());
    EXPECT_EQ(driver.openHandles(), 0);
    EXPECT_EQ(errors.errors(),
              ErrorList({{QStringLiteral("Invalid device handle, access denied"), -1}}));
}

TEST_F(SerialPortOnFakeDriver, RefusalsAtOpenAreReportedWithTheDriversCodeAndThePortStaysOpen) {
    device.failures[FakeSerialDriver::Call::SetCommTimeouts] = 87;
    device.failures[FakeSerialDriver::Call::SetCommState] = 31;
    device.failures[FakeSerialDriver::Call::SetupComm] = 5;
    comm.open();
    EXPECT_TRUE(comm.isOpen());
    EXPECT_EQ(errors.errors(),
              ErrorList({{QStringLiteral("Error updating CommTimeouts"), 87},
                         {QStringLiteral("Error updating DataControlBlock"), 31},
                         {QStringLiteral("Error initializing Read/Write Buffers"), 5}}));
}

TEST_F(SerialPortOnFakeDriver, ATransferThatFailsAtOnceIsReportedAndWaitsItsTimeOut) {
    comm.setReadTimeout(80);
    comm.setWriteTimeout(60);
    comm.open();
    device.failures[FakeSerialDriver::Call::ReadFile] = 1167;
    device.failures[FakeSerialDriver::Call::WriteFile] = 22;
    char buffer[4];
    int read = 0;
    int written = 0;
    EXPECT_GE(millisecondsOf([&] { read = comm.read(buffer, 4); }), 80);
    EXPECT_GE(millisecondsOf([&] { written = comm.write("ab", 2); }), 60);
    EXPECT_EQ(read, -1);
    EXPECT_EQ(written, -1);
    EXPECT_EQ(errors.errors(), ErrorList({{QStringLiteral("Read error"), 1167},
                                          {QStringLiteral("Write error"), 22}}));
}

TEST_F(SerialPortOnFakeDriver, AWriteStillPendingAtItsTimeOutIsCancelledBeforeWriteReturns) {
    comm.setWriteTimeout(50);
    comm.open();
    device.writesStall = true;
    EXPECT_EQ(comm.write("12345", 5), -1);
    EXPECT_EQ(device.cancelledTransfers, 1);
    EXPECT_TRUE(errors.errors().empty()) << "a pending write is not a failed one";
    device.writesStall = false;
    EXPECT_EQ(comm.write("6", 1), 1) << "the completion event was left clean";
}

TEST_F(SerialPortOnFakeDriver, ReadAndWriteAreSerialisedByTheCriticalSection) {
    comm.setWriteTimeout(150);
    comm.open();
    device.writesStall = true;
    QElapsedTimer sinceWriteStarted;
    sinceWriteStarted.start();
    std::thread writer([&] { comm.write("x", 1); });
    while (driver.stalledWrites(QStringLiteral("Com1")) == 0) {
        std::this_thread::sleep_for(1ms);
    }
    char buffer[4];
    comm.read(buffer, 4);
    // The read could only start once the writer's time-out was over.
    EXPECT_GE(sinceWriteStarted.elapsed(), 150);
    writer.join();
}

TEST_F(SerialPortOnFakeDriver, LineFunctionsSendTheirEscapeCodes) {
    comm.open();
    comm.setDtr(true);
    comm.setDtr(false);
    comm.setRts(true);
    comm.setRts(false);
    comm.setXon(true);
    comm.setXon(false);
    comm.setBreak(true);
    comm.setBreak(false);
    EXPECT_EQ(device.escapes, (std::vector<std::uint32_t>{5, 6, 3, 4, 2, 1, 8, 9}));
    EXPECT_EQ(device.purges, (std::vector<std::uint32_t>{0x0F, 0x0F}));
}

TEST_F(SerialPortOnFakeDriver, BreakPurgesOnlyWhenOpenAndLineFunctionsOnAClosedPortSendNothing) {
    comm.open();
    comm.close();
    const std::size_t purgesAtClose = device.purges.size();
    comm.setBreak(true);
    comm.setDtr(true);
    EXPECT_TRUE(device.escapes.empty());
    EXPECT_EQ(device.purges.size(), purgesAtClose);
    EXPECT_EQ(errors.errors(),
              ErrorList(2, {QStringLiteral("Port not open, unable to complete operation"), -1}));
}

TEST_F(SerialPortOnFakeDriver, ARefusedLineFunctionIsReportedAndBreakStillPurges) {
    comm.open();
    device.failures[FakeSerialDriver::Call::EscapeCommFunction] = 1;
    comm.setBreak(true);
    EXPECT_EQ(errors.errors(), ErrorList({{QStringLiteral("EscapeCommFunction failure"), 1}}));
    EXPECT_EQ(device.purges, std::vector<std::uint32_t>{0x0F});
}

TEST_F(SerialPortOnFakeDriver, PurgesClearTheirQueueOnlyWhenOpen) {
    comm.purgeInput();
    comm.purgeOutput();
    comm.open();
    comm.purgeInput();
    comm.purgeOutput();
    EXPECT_EQ(device.purges, (std::vector<std::uint32_t>{0x0A, 0x05}));
}

TEST_F(SerialPortOnFakeDriver, ModemLinesAreReadWhenOpenAndFalseOtherwise) {
    device.modemStatus = 0x10 | 0x80;
    EXPECT_FALSE(comm.cts());
    comm.open();
    EXPECT_TRUE(comm.cts());
    EXPECT_FALSE(comm.dsr());
    EXPECT_FALSE(comm.ring());
    EXPECT_TRUE(comm.rlsd());
    device.modemStatus = 0x20 | 0x40;
    EXPECT_FALSE(comm.cts());
    EXPECT_TRUE(comm.dsr());
    EXPECT_TRUE(comm.ring());
    EXPECT_FALSE(comm.rlsd());
    device.failures[FakeSerialDriver::Call::GetCommModemStatus] = 1;
    EXPECT_FALSE(comm.dsr()) << "a failed status call shows no line";
}

TEST_F(SerialPortOnFakeDriver, HoldStatesFollowTheStatusFlags) {
    device.holdFlags = 0x1F;
    EXPECT_FALSE(comm.ctsHold());
    comm.open();
    EXPECT_TRUE(comm.ctsHold() && comm.dsrHold() && comm.rlsdHold() && comm.xoffHold() &&
                comm.xoffSent());
    const std::pair<std::uint32_t, bool (SerialPort::*)()> states[] = {
        {0x01, &SerialPort::ctsHold},
        {0x02, &SerialPort::dsrHold},
        {0x04, &SerialPort::rlsdHold},
        {0x08, &SerialPort::xoffHold},
        {0x10, &SerialPort::xoffSent}};
    for (const auto& [flag, state] : states) {
        device.holdFlags = 0x1F & ~flag;
        EXPECT_FALSE((comm.*state)()) << flag;
        device.holdFlags = flag;
        EXPECT_TRUE((comm.*state)()) << flag;
    }
}

TEST_F(SerialPortOnFakeDriver, EventsAreDispatchedInTheirFixedOrderWithErrorsAndCount) {
    QStringList calls;
    const auto note = [&calls](const char* name) {
        return [&calls, name](QObject*) {
            calls << QString::fromLatin1(name);
        };
    };
    comm.setOnBreak(note("Break"));
    comm.setOnCts(note("Cts"));
    comm.setOnDsr(note("Dsr"));
    comm.setOnError(
        [&](QObject*, int errorWord) { calls << QStringLiteral("Error %1").arg(errorWord); });
    comm.setOnRing(note("Ring"));
    comm.setOnRlsd(note("Rlsd"));
    comm.setOnBytesReceived(
        [&](QObject*, int count) { calls << QStringLiteral("RxChar %1").arg(count); });
    comm.setOnRxFlag(note("RxFlag"));
    comm.setOnTxEmpty(note("TxEmpty"));
    comm.open();
    device.errors = 0x0008;
    device.input = "ab";
    driver.raiseEvents(QStringLiteral("Com1"), 0x01FF);
    ASSERT_TRUE(waitUntil([&] { return calls.size() == 9; }));
    EXPECT_EQ(calls, QStringList({"Break", "Cts", "Dsr", "Error 8", "Ring", "Rlsd", "RxChar 2",
                                  "RxFlag", "TxEmpty"}));
}

TEST_F(SerialPortOnFakeDriver, DispatchAfterCloseOrAFailedStatusCallRaisesNothing) {
    int calls = 0;
    comm.setOnBytesReceived([&](QObject*, int) { ++calls; });
    comm.setOnError([&](QObject*, int) { ++calls; });
    comm.open();
    device.input = "1";
    device.failures[FakeSerialDriver::Call::ClearCommError] = 22;
    comm.dispatchEvents(nullptr, 0x0081);
    device.failures.clear();
    comm.close();
    comm.dispatchEvents(nullptr, 0x0081);
    EXPECT_EQ(calls, 0);
}

TEST_F(SerialPortOnFakeDriver, TheCountIsWhatTheQueueHoldsWhenDispatched) {
    std::vector<int> counts;
    comm.setOnBytesReceived([&](QObject*, int count) { counts.push_back(count); });
    comm.open();
    driver.receive(QStringLiteral("Com1"), "12345");
    ASSERT_TRUE(waitUntil([&] { return !counts.empty(); }));
    EXPECT_EQ(counts.front(), 5);
}

TEST_F(SerialPortOnFakeDriver, AFailingEventWaitPausesBetweenRetriesAndCloseEndsThePause) {
    comm.open();
    driver.unplug(QStringLiteral("Com1"));
    std::this_thread::sleep_for(1200ms);
    const int retries = driver.failedWaits(QStringLiteral("Com1"));
    EXPECT_GE(retries, 2);
    EXPECT_LE(retries, 4) << "no more than one retry in " << SerialEventThread::retryPause << " ms";
    EXPECT_LT(millisecondsOf([&] { comm.close(); }), 200);
    EXPECT_EQ(driver.callsOnClosedHandles(), 0);
}

// Out of descriptors the thread would have no event: it could neither wait for the port nor be
// stopped, and would spin. The port is not opened; the failure is reported.
TEST_F(SerialPortOnFakeDriver, APortWhoseThreadCannotStartIsReportedAndClosedAgain) {
    // A first open makes the calls once before (the sanitizers' own checks need descriptors
    // the first time round).
    comm.open();
    comm.close();
    {
        const DescriptorsExhausted exhausted;
        comm.open();
    }
    EXPECT_FALSE(comm.isOpen());
    EXPECT_EQ(driver.openHandles(), 0);
    EXPECT_EQ(errors.errors(), ErrorList({{QStringLiteral("Error creating event thread"),
                                           int(platform::error::NotEnoughMemory)}}));
    comm.close();
    comm.open();
    EXPECT_TRUE(comm.isOpen()) << "the next open works";
}

// The keypad may be plugged back: the waits are retried until Close, and each time the device
// goes the failure is reported once, not at every retry, and so is onDeviceLost.
TEST_F(SerialPortOnFakeDriver, AnUnpluggedDeviceIsReportedOnceEachTimeItGoes) {
    const QString name = QStringLiteral("Com1");
    const auto retriesMeanwhile = [&](int retryPauses) {
        const int before = driver.failedWaits(name);
        waitUntil([] { return false; }, retryPauses * int(SerialEventThread::retryPause) + 100);
        return driver.failedWaits(name) - before;
    };
    int keys = 0;
    comm.setOnBytesReceived([&](QObject*, int count) {
        char buffer[8];
        keys += comm.read(buffer, std::min(count, 8));
    });
    std::vector<int> lost;
    comm.setOnDeviceLost([&](QObject*, int code) { lost.push_back(code); });
    comm.open();
    driver.unplug(name);
    ASSERT_TRUE(waitUntil([&] { return !errors.errors().empty(); }));
    EXPECT_GE(retriesMeanwhile(1), 1);
    const ErrorList waitFailed = {
        {QStringLiteral("Error waiting for comm event"), int(platform::error::DeviceNotConnected)}};
    EXPECT_EQ(errors.errors(), waitFailed);

    driver.plugBack(name);
    driver.receive(name, "5");
    ASSERT_TRUE(waitUntil([&] { return keys == 1; })) << "the retries found the device again";
    driver.unplug(name);
    ASSERT_TRUE(waitUntil([&] { return errors.errors().size() == 2; }));
    EXPECT_GE(retriesMeanwhile(1), 1);
    EXPECT_EQ(errors.errors(), ErrorList(2, waitFailed.front()));
    EXPECT_EQ(lost, std::vector<int>(2, int(platform::error::DeviceNotConnected)));
    EXPECT_LT(millisecondsOf([&] { comm.close(); }), 200);
}

// A failure noticed just before Close is not reported after it, to whoever owns the port then.
TEST_F(SerialPortOnFakeDriver, ALossNoticedBeforeCloseIsNotReportedAfterIt) {
    const QString name = QStringLiteral("Com1");
    int lost = 0;
    comm.setOnDeviceLost([&](QObject*, int) { ++lost; });
    comm.open();
    driver.unplug(name);
    // Without serving events: the report stays queued until after Close.
    for (int tries = 0; driver.failedWaits(name) == 0 && tries < 1000; ++tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ASSERT_GT(driver.failedWaits(name), 0);
    comm.close();
    driver.plugBack(name);
    comm.open();
    waitUntil([] { return false; }, 100);
    EXPECT_EQ(lost, 0);
    EXPECT_TRUE(errors.errors().empty());
}

TEST_F(SerialPortOnFakeDriver, TheThreadPurgesThePortBeforeItIsClosed) {
    comm.open();
    comm.close();
    EXPECT_EQ(device.purges, std::vector<std::uint32_t>{0x0F});
    EXPECT_EQ(driver.callsOnClosedHandles(), 0);
    EXPECT_EQ(device.openHandle, platform::InvalidHandleValue);
}

TEST(SerialSpecialChars, AssignCopiesTheFiveCharactersWithoutApplyingThem) {
    FakeSerialDriver driver;
    FakeSerialDriver::Device& device = driver.addDevice(QStringLiteral("Com2"));
    SerialPort source(nullptr, &driver);
    source.specialChars().setXonChar(1);
    source.specialChars().setXoffChar(2);
    source.specialChars().setErrorChar(3);
    source.specialChars().setEofChar(4);
    source.specialChars().setEvtChar(5);
    SerialPort target(nullptr, &driver);
    target.open();
    const platform::Dcb applied = device.dcb;
    target.specialChars().assign(source.specialChars());
    EXPECT_EQ(device.dcb, applied);
    EXPECT_EQ(target.specialChars().xonChar(), 1);
    EXPECT_EQ(target.specialChars().xoffChar(), 2);
    EXPECT_EQ(target.specialChars().errorChar(), 3);
    EXPECT_EQ(target.specialChars().eofChar(), 4);
    EXPECT_EQ(target.specialChars().evtChar(), 5);
}

} // namespace
