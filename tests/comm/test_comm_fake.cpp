// What only a fake driver can show: the DCB the component writes, the driver's failures and
// the codes passed on, modem lines and hold states.
#include "CommTestSupport.h"
#include "FakeSerialDriver.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace commtest;
using namespace std::chrono_literals;
using platform::FakeSerialDriver;

namespace {

using Errors = std::vector<std::pair<QString, int>>;

// Exposes the dispatch routine, which the event thread normally calls.
class InspectableComm : public TComm {
public:
    using TComm::TComm;
    using TCustomComm::DispatchCommEvents;
};

class CommOnFakeDriver : public ::testing::Test {
protected:
    CommOnFakeDriver()
        : device(driver.addDevice(QStringLiteral("Com1")))
        , comm(nullptr, &driver) {
        comm.SetDeviceName(QStringLiteral("Com1"));
    }

    // The keypad's design values.
    void configureAsKeypad() {
        comm.SetMonitorEvents(evRxChar);
        comm.SetBaudRate(br1200);
        comm.SetOptions(coParityCheck | coDsrSensitivity | coIgnoreXOff | coErrorChar |
                        coNullStrip);
    }

    FakeSerialDriver driver;
    FakeSerialDriver::Device& device;
    CommErrorRecorder errors;
    InspectableComm comm;
};

TEST(CommDefaults, AreThoseOfTheComponent) {
    FakeSerialDriver driver;
    TComm comm(nullptr, &driver);
    EXPECT_EQ(comm.DeviceName(), QStringLiteral("Com2"));
    EXPECT_EQ(comm.ReadTimeout(), 1000);
    EXPECT_EQ(comm.WriteTimeout(), 1000);
    EXPECT_EQ(comm.ReadBufSize(), 4096);
    EXPECT_EQ(comm.WriteBufSize(), 2048);
    EXPECT_EQ(comm.MonitorEvents(), evBreak | evCts | evDsr | evError | evRing | evRlsd | evRxChar |
                                        evRxFlag | evTxEmpty);
    EXPECT_EQ(comm.BaudRate(), br9600);
    EXPECT_EQ(comm.Parity(), paNone);
    EXPECT_EQ(comm.Stopbits(), sb10);
    EXPECT_EQ(comm.Databits(), da8);
    EXPECT_EQ(comm.Options(), TCommOptions());
    EXPECT_EQ(comm.FlowControl(), fcDefault);
    EXPECT_EQ(comm.EventChars().XonChar(), 17);
    EXPECT_EQ(comm.EventChars().XoffChar(), 19);
    EXPECT_EQ(comm.EventChars().ErrorChar(), 0);
    EXPECT_EQ(comm.EventChars().EofChar(), 0);
    EXPECT_EQ(comm.EventChars().EvtChar(), 0);
    EXPECT_FALSE(comm.Enabled());
    EXPECT_EQ(comm.Handle(), platform::InvalidHandleValue);
}

TEST_F(CommOnFakeDriver, OpenSetsTimeoutsQueuesMaskAndTheKeypadLine) {
    configureAsKeypad();
    comm.Open();
    ASSERT_TRUE(comm.Enabled());
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

TEST_F(CommOnFakeDriver, EveryEventTypeHasItsMaskBit) {
    const std::pair<TCommEventType, std::uint32_t> bits[] = {
        {evBreak, 0x0040},  {evCts, 0x0008},    {evDsr, 0x0010},
        {evError, 0x0080},  {evRing, 0x0100},   {evRlsd, 0x0020},
        {evRxChar, 0x0001}, {evRxFlag, 0x0002}, {evTxEmpty, 0x0004}};
    for (const auto& [event, bit] : bits) {
        comm.SetMonitorEvents(event);
        comm.Open();
        EXPECT_EQ(device.eventMask, bit) << int(event);
        comm.Close();
    }
    comm.SetMonitorEvents(AllCommEvents);
    comm.Open();
    EXPECT_EQ(device.eventMask, 0x01FFu);
}

TEST_F(CommOnFakeDriver, LineSettingsGoIntoTheDcb) {
    comm.SetBaudRate(br256000);
    comm.SetParity(paSpace);
    comm.SetStopbits(sb15);
    comm.SetDatabits(da5);
    comm.EventChars().SetXonChar(1);
    comm.EventChars().SetXoffChar(2);
    comm.EventChars().SetErrorChar('?');
    comm.EventChars().SetEofChar(26);
    comm.EventChars().SetEvtChar('#');
    comm.Open();
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

TEST_F(CommOnFakeDriver, SettingsWrittenWhileOpenTakeEffectAtOnce) {
    comm.Open();
    comm.SetBaudRate(br19200);
    EXPECT_EQ(device.dcb.BaudRate, 19200u);
    comm.SetParity(paMark);
    EXPECT_EQ(device.dcb.Parity, 3);
    comm.SetDatabits(da7);
    EXPECT_EQ(device.dcb.ByteSize, 7);
    comm.SetStopbits(sb20);
    EXPECT_EQ(device.dcb.StopBits, 2);
    comm.EventChars().SetEvtChar('*');
    EXPECT_EQ(device.dcb.EvtChar, '*');
    comm.SetOptions(coNullStrip);
    EXPECT_EQ(device.dcb.Flags & 0x0800u, 0x0800u);
    EXPECT_TRUE(errors.errors().empty());
}

TEST_F(CommOnFakeDriver, XonAndXoffLimitsAreAQuarterOfTheReadQueue) {
    comm.Open();
    EXPECT_EQ(device.dcb.XonLim, 1024);
    EXPECT_EQ(device.dcb.XoffLim, 1024);
    comm.Close();
    comm.SetReadBufSize(1000);
    comm.Open();
    EXPECT_EQ(device.dcb.XonLim, 250);
    EXPECT_EQ(device.dcb.XoffLim, 250);
    EXPECT_EQ(device.inQueueSize, 1000u);
}

struct FlowCase {
    TFlowControl mode;
    std::uint32_t driverFlags;
    TCommOptions options;
    std::uint32_t expected;
};

class FlowControlFlags : public CommOnFakeDriver, public ::testing::WithParamInterface<FlowCase> {};

TEST_P(FlowControlFlags, AreAppliedToTheDriversFlagsThenTheOptionsDecide) {
    device.dcb.Flags = GetParam().driverFlags;
    comm.SetFlowControl(GetParam().mode);
    comm.SetOptions(GetParam().options);
    comm.Open();
    EXPECT_EQ(device.dcb.Flags, GetParam().expected)
        << std::hex << "driver flags 0x" << GetParam().driverFlags;
}

constexpr TCommOptions AllOptions =
    TCommOptions(coParityCheck | coDsrSensitivity | coIgnoreXOff | coErrorChar | coNullStrip);

INSTANTIATE_TEST_SUITE_P(
    EachMode, FlowControlFlags,
    ::testing::Values(
        // Driver fields at "disable": the table's bits are simply added.
        FlowCase{fcNone, 0x0000, {}, 0x0001}, FlowCase{fcCTS, 0x0000, {}, 0x2004},
        FlowCase{fcDTR, 0x0000, {}, 0x0028}, FlowCase{fcSoftware, 0x0000, {}, 0x0300},
        FlowCase{fcDefault, 0x0000, {}, 0x0000},
        // A driver that raises DTR and RTS (fields at "enable", binary, continue on XOFF).
        FlowCase{fcNone, 0x1091, {}, 0x0001},
        // The handshake replaces "enable" in its field rather than turning it into 3 (RTS
        // toggling, or no valid DTR mode).
        FlowCase{fcCTS, 0x1011, {}, 0x2015}, FlowCase{fcDTR, 0x1011, {}, 0x1029},
        FlowCase{fcSoftware, 0x1011, {}, 0x1311}, FlowCase{fcDefault, 0x1091, {}, 0x1011},
        // The options are set or cleared after the flow control, whatever the mode.
        FlowCase{fcNone, 0x1091, AllOptions, 0x0CC3}, FlowCase{fcDefault, 0x0CC3, {}, 0x0001},
        FlowCase{fcSoftware, 0x0000, TCommOptions(coIgnoreXOff), 0x0380},
        FlowCase{fcCTS, 0x0000, TCommOptions(coParityCheck | coNullStrip), 0x2806}));

TEST_F(CommOnFakeDriver, WritesThatNeedAClosedPortAreReportedWhileOpenAndStoredForTheNextOpen) {
    driver.addDevice(QStringLiteral("Com3"));
    comm.Open();
    comm.SetDeviceName(QStringLiteral("Com3"));
    comm.SetReadBufSize(512);
    comm.SetWriteBufSize(256);
    comm.SetMonitorEvents(evRxChar);
    const Errors expected(4, {QStringLiteral("Port already assigned (open)"), -1});
    EXPECT_EQ(errors.errors(), expected);
    EXPECT_EQ(comm.DeviceName(), QStringLiteral("Com3"));
    EXPECT_EQ(device.openHandle, comm.Handle()) << "the open port stays on the old device";

    comm.Close();
    comm.Open();
    EXPECT_EQ(driver.device(QStringLiteral("Com3")).openHandle, comm.Handle());
    EXPECT_EQ(driver.device(QStringLiteral("Com3")).inQueueSize, 512u);
    EXPECT_EQ(driver.device(QStringLiteral("Com3")).outQueueSize, 256u);
    EXPECT_EQ(driver.device(QStringLiteral("Com3")).eventMask, 0x0001u);
}

TEST_F(CommOnFakeDriver, OpenOnAnOpenPortReportsAndKeepsOneHandleAndOneThread) {
    comm.Open();
    const platform::NativeHandle first = comm.Handle();
    comm.Open();
    EXPECT_EQ(comm.Handle(), first);
    EXPECT_EQ(device.opens, 1);
    EXPECT_EQ(driver.openHandles(), 1);
    EXPECT_EQ(errors.errors(), Errors({{QStringLiteral("Port already assigned (open)"), -1}}));
}

TEST_F(CommOnFakeDriver, ADeviceThatCannotBeOpenedFailsTheTypeTestToo) {
    comm.SetDeviceName(QStringLiteral("Com12"));
    comm.Open();
    EXPECT_FALSE(comm.Enabled());
    EXPECT_EQ(errors.errors(),
              Errors({{QStringLiteral("Error accessing specified device"),
                       int(platform::error::FileNotFound)},
                      {QStringLiteral("Invalid device handle, access denied"), -1}}));
}

TEST_F(CommOnFakeDriver, AHandleThatIsNotACharacterDeviceIsClosedAgain) {
    device.type = platform::FileType::Disk;
    comm.Open();
    EXPECT_FALSE(comm.Enabled());
    EXPECT_EQ(driver.openHandles(), 0);
    EXPECT_EQ(errors.errors(),
              Errors({{QStringLiteral("Invalid device handle, access denied"), -1}}));
}

TEST_F(CommOnFakeDriver, RefusalsAtOpenAreReportedWithTheDriversCodeAndThePortStaysOpen) {
    device.failures[FakeSerialDriver::Call::SetCommTimeouts] = 87;
    device.failures[FakeSerialDriver::Call::SetCommState] = 31;
    device.failures[FakeSerialDriver::Call::SetupComm] = 5;
    comm.Open();
    EXPECT_TRUE(comm.Enabled());
    EXPECT_EQ(errors.errors(),
              Errors({{QStringLiteral("Error updating CommTimeouts"), 87},
                      {QStringLiteral("Error updating DataControlBlock"), 31},
                      {QStringLiteral("Error initializing Read/Write Buffers"), 5}}));
}

TEST_F(CommOnFakeDriver, ATransferThatFailsAtOnceIsReportedAndWaitsItsTimeOut) {
    comm.SetReadTimeout(80);
    comm.SetWriteTimeout(60);
    comm.Open();
    device.failures[FakeSerialDriver::Call::ReadFile] = 1167;
    device.failures[FakeSerialDriver::Call::WriteFile] = 22;
    char buffer[4];
    int read = 0;
    int written = 0;
    EXPECT_GE(millisecondsOf([&] { read = comm.Read(buffer, 4); }), 80);
    EXPECT_GE(millisecondsOf([&] { written = comm.Write("ab", 2); }), 60);
    EXPECT_EQ(read, -1);
    EXPECT_EQ(written, -1);
    EXPECT_EQ(errors.errors(),
              Errors({{QStringLiteral("Read error"), 1167}, {QStringLiteral("Write error"), 22}}));
}

TEST_F(CommOnFakeDriver, AWriteStillPendingAtItsTimeOutIsCancelledBeforeWriteReturns) {
    comm.SetWriteTimeout(50);
    comm.Open();
    device.writesStall = true;
    EXPECT_EQ(comm.Write("12345", 5), -1);
    EXPECT_EQ(device.cancelledTransfers, 1);
    EXPECT_TRUE(errors.errors().empty()) << "a pending write is not a failed one";
    device.writesStall = false;
    EXPECT_EQ(comm.Write("6", 1), 1) << "the completion event was left clean";
}

TEST_F(CommOnFakeDriver, ReadAndWriteAreSerialisedByTheCriticalSection) {
    comm.SetWriteTimeout(150);
    comm.Open();
    device.writesStall = true;
    QElapsedTimer sinceWriteStarted;
    sinceWriteStarted.start();
    std::thread writer([&] { comm.Write("x", 1); });
    while (driver.stalledWrites(QStringLiteral("Com1")) == 0) {
        std::this_thread::sleep_for(1ms);
    }
    char buffer[4];
    comm.Read(buffer, 4);
    // The read could only start once the writer's time-out was over.
    EXPECT_GE(sinceWriteStarted.elapsed(), 150);
    writer.join();
}

TEST_F(CommOnFakeDriver, LineFunctionsSendTheirEscapeCodes) {
    comm.Open();
    comm.SetDTRState(true);
    comm.SetDTRState(false);
    comm.SetRTSState(true);
    comm.SetRTSState(false);
    comm.SetXONState(true);
    comm.SetXONState(false);
    comm.SetBREAKState(true);
    comm.SetBREAKState(false);
    EXPECT_EQ(device.escapes, (std::vector<std::uint32_t>{5, 6, 3, 4, 2, 1, 8, 9}));
    EXPECT_EQ(device.purges, (std::vector<std::uint32_t>{0x0F, 0x0F}));
}

TEST_F(CommOnFakeDriver, BreakPurgesOnlyWhenOpenAndLineFunctionsOnAClosedPortSendNothing) {
    comm.Open();
    comm.Close();
    const std::size_t purgesAtClose = device.purges.size();
    comm.SetBREAKState(true);
    comm.SetDTRState(true);
    EXPECT_TRUE(device.escapes.empty());
    EXPECT_EQ(device.purges.size(), purgesAtClose);
    EXPECT_EQ(errors.errors(),
              Errors(2, {QStringLiteral("Port not open, unable to complete operation"), -1}));
}

TEST_F(CommOnFakeDriver, ARefusedLineFunctionIsReportedAndBreakStillPurges) {
    comm.Open();
    device.failures[FakeSerialDriver::Call::EscapeCommFunction] = 1;
    comm.SetBREAKState(true);
    EXPECT_EQ(errors.errors(), Errors({{QStringLiteral("EscapeCommFunction failure"), 1}}));
    EXPECT_EQ(device.purges, std::vector<std::uint32_t>{0x0F});
}

TEST_F(CommOnFakeDriver, PurgesClearTheirQueueOnlyWhenOpen) {
    comm.PurgeIn();
    comm.PurgeOut();
    comm.Open();
    comm.PurgeIn();
    comm.PurgeOut();
    EXPECT_EQ(device.purges, (std::vector<std::uint32_t>{0x0A, 0x05}));
}

TEST_F(CommOnFakeDriver, ModemLinesAreReadWhenOpenAndFalseOtherwise) {
    device.modemStatus = 0x10 | 0x80;
    EXPECT_FALSE(comm.CTS());
    comm.Open();
    EXPECT_TRUE(comm.CTS());
    EXPECT_FALSE(comm.DSR());
    EXPECT_FALSE(comm.RING());
    EXPECT_TRUE(comm.RLSD());
    device.modemStatus = 0x20 | 0x40;
    EXPECT_FALSE(comm.CTS());
    EXPECT_TRUE(comm.DSR());
    EXPECT_TRUE(comm.RING());
    EXPECT_FALSE(comm.RLSD());
    device.failures[FakeSerialDriver::Call::GetCommModemStatus] = 1;
    EXPECT_FALSE(comm.DSR()) << "a failed status call shows no line";
}

TEST_F(CommOnFakeDriver, HoldStatesFollowTheStatusFlags) {
    device.holdFlags = 0x1F;
    EXPECT_FALSE(comm.CtsHold());
    comm.Open();
    EXPECT_TRUE(comm.CtsHold() && comm.DsrHold() && comm.RlsdHold() && comm.XoffHold() &&
                comm.XOffSent());
    const std::pair<std::uint32_t, bool (TCustomComm::*)()> states[] = {
        {0x01, &TCustomComm::CtsHold},
        {0x02, &TCustomComm::DsrHold},
        {0x04, &TCustomComm::RlsdHold},
        {0x08, &TCustomComm::XoffHold},
        {0x10, &TCustomComm::XOffSent}};
    for (const auto& [flag, state] : states) {
        device.holdFlags = 0x1F & ~flag;
        EXPECT_FALSE((comm.*state)()) << flag;
        device.holdFlags = flag;
        EXPECT_TRUE((comm.*state)()) << flag;
    }
}

TEST_F(CommOnFakeDriver, EventsAreDispatchedInTheirFixedOrderWithErrorsAndCount) {
    QStringList calls;
    const auto note = [&calls](const char* name) {
        return [&calls, name](QObject*) {
            calls << QString::fromLatin1(name);
        };
    };
    comm.SetOnBreak(note("Break"));
    comm.SetOnCts(note("Cts"));
    comm.SetOnDsr(note("Dsr"));
    comm.SetOnError(
        [&](QObject*, int errorWord) { calls << QStringLiteral("Error %1").arg(errorWord); });
    comm.SetOnRing(note("Ring"));
    comm.SetOnRlsd(note("Rlsd"));
    comm.SetOnRxChar([&](QObject*, int count) { calls << QStringLiteral("RxChar %1").arg(count); });
    comm.SetOnRxFlag(note("RxFlag"));
    comm.SetOnTxEmpty(note("TxEmpty"));
    comm.Open();
    device.errors = 0x0008;
    device.input = "ab";
    driver.raiseEvents(QStringLiteral("Com1"), 0x01FF);
    ASSERT_TRUE(waitUntil([&] { return calls.size() == 9; }));
    EXPECT_EQ(calls, QStringList({"Break", "Cts", "Dsr", "Error 8", "Ring", "Rlsd", "RxChar 2",
                                  "RxFlag", "TxEmpty"}));
}

TEST_F(CommOnFakeDriver, DispatchAfterCloseOrAFailedStatusCallRaisesNothing) {
    int calls = 0;
    comm.SetOnRxChar([&](QObject*, int) { ++calls; });
    comm.SetOnError([&](QObject*, int) { ++calls; });
    comm.Open();
    device.input = "1";
    device.failures[FakeSerialDriver::Call::ClearCommError] = 22;
    comm.DispatchCommEvents(nullptr, 0x0081);
    device.failures.clear();
    comm.Close();
    comm.DispatchCommEvents(nullptr, 0x0081);
    EXPECT_EQ(calls, 0);
}

TEST_F(CommOnFakeDriver, TheCountIsWhatTheQueueHoldsWhenDispatched) {
    std::vector<int> counts;
    comm.SetOnRxChar([&](QObject*, int count) { counts.push_back(count); });
    comm.Open();
    driver.receive(QStringLiteral("Com1"), "12345");
    ASSERT_TRUE(waitUntil([&] { return !counts.empty(); }));
    EXPECT_EQ(counts.front(), 5);
}

TEST_F(CommOnFakeDriver, AFailingEventWaitPausesBetweenRetriesAndCloseEndsThePause) {
    comm.Open();
    driver.unplug(QStringLiteral("Com1"));
    std::this_thread::sleep_for(1200ms);
    const int retries = driver.failedWaits(QStringLiteral("Com1"));
    EXPECT_GE(retries, 2);
    EXPECT_LE(retries, 4) << "no more than one retry in " << TCommEventThread::RetryPause << " ms";
    EXPECT_LT(millisecondsOf([&] { comm.Close(); }), 200);
    EXPECT_EQ(driver.callsOnClosedHandles(), 0);
}

// Out of descriptors the thread would have no event: it could neither wait for the port nor be
// stopped, and would spin. The port is not opened; the failure is reported.
TEST_F(CommOnFakeDriver, APortWhoseThreadCannotStartIsReportedAndClosedAgain) {
    // A first open makes the calls once before (the sanitizers' own checks need descriptors
    // the first time round).
    comm.Open();
    comm.Close();
    {
        const DescriptorsExhausted exhausted;
        comm.Open();
    }
    EXPECT_FALSE(comm.Enabled());
    EXPECT_EQ(driver.openHandles(), 0);
    EXPECT_EQ(errors.errors(), Errors({{QStringLiteral("Error creating event thread"),
                                        int(platform::error::NotEnoughMemory)}}));
    comm.Close();
    comm.Open();
    EXPECT_TRUE(comm.Enabled()) << "the next open works";
}

// The keypad may be plugged back: the waits are retried until Close, and each time the device
// goes the failure is reported once, not at every retry, and so is OnDeviceLost.
TEST_F(CommOnFakeDriver, AnUnpluggedDeviceIsReportedOnceEachTimeItGoes) {
    const QString name = QStringLiteral("Com1");
    const auto retriesMeanwhile = [&](int retryPauses) {
        const int before = driver.failedWaits(name);
        waitUntil([] { return false; }, retryPauses * int(TCommEventThread::RetryPause) + 100);
        return driver.failedWaits(name) - before;
    };
    int keys = 0;
    comm.SetOnRxChar([&](QObject*, int count) {
        char buffer[8];
        keys += comm.Read(buffer, std::min(count, 8));
    });
    std::vector<int> lost;
    comm.SetOnDeviceLost([&](QObject*, int code) { lost.push_back(code); });
    comm.Open();
    driver.unplug(name);
    ASSERT_TRUE(waitUntil([&] { return !errors.errors().empty(); }));
    EXPECT_GE(retriesMeanwhile(1), 1);
    const Errors waitFailed = {
        {QStringLiteral("Error waiting for comm event"), int(platform::error::DeviceNotConnected)}};
    EXPECT_EQ(errors.errors(), waitFailed);

    driver.plugBack(name);
    driver.receive(name, "5");
    ASSERT_TRUE(waitUntil([&] { return keys == 1; })) << "the retries found the device again";
    driver.unplug(name);
    ASSERT_TRUE(waitUntil([&] { return errors.errors().size() == 2; }));
    EXPECT_GE(retriesMeanwhile(1), 1);
    EXPECT_EQ(errors.errors(), Errors(2, waitFailed.front()));
    EXPECT_EQ(lost, std::vector<int>(2, int(platform::error::DeviceNotConnected)));
    EXPECT_LT(millisecondsOf([&] { comm.Close(); }), 200);
}

// A failure noticed just before Close is not reported after it, to whoever owns the port then.
TEST_F(CommOnFakeDriver, ALossNoticedBeforeCloseIsNotReportedAfterIt) {
    const QString name = QStringLiteral("Com1");
    int lost = 0;
    comm.SetOnDeviceLost([&](QObject*, int) { ++lost; });
    comm.Open();
    driver.unplug(name);
    // Without serving events: the report stays queued until after Close.
    for (int tries = 0; driver.failedWaits(name) == 0 && tries < 1000; ++tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ASSERT_GT(driver.failedWaits(name), 0);
    comm.Close();
    driver.plugBack(name);
    comm.Open();
    waitUntil([] { return false; }, 100);
    EXPECT_EQ(lost, 0);
    EXPECT_TRUE(errors.errors().empty());
}

TEST_F(CommOnFakeDriver, TheThreadPurgesThePortBeforeItIsClosed) {
    comm.Open();
    comm.Close();
    EXPECT_EQ(device.purges, std::vector<std::uint32_t>{0x0F});
    EXPECT_EQ(driver.callsOnClosedHandles(), 0);
    EXPECT_EQ(device.openHandle, platform::InvalidHandleValue);
}

TEST(CommEventChars, AssignCopiesTheFiveCharactersWithoutApplyingThem) {
    FakeSerialDriver driver;
    FakeSerialDriver::Device& device = driver.addDevice(QStringLiteral("Com2"));
    TComm source(nullptr, &driver);
    source.EventChars().SetXonChar(1);
    source.EventChars().SetXoffChar(2);
    source.EventChars().SetErrorChar(3);
    source.EventChars().SetEofChar(4);
    source.EventChars().SetEvtChar(5);
    TComm target(nullptr, &driver);
    target.Open();
    const platform::Dcb applied = device.dcb;
    target.EventChars().Assign(source.EventChars());
    EXPECT_EQ(device.dcb, applied);
    EXPECT_EQ(target.EventChars().XonChar(), 1);
    EXPECT_EQ(target.EventChars().XoffChar(), 2);
    EXPECT_EQ(target.EventChars().ErrorChar(), 3);
    EXPECT_EQ(target.EventChars().EofChar(), 4);
    EXPECT_EQ(target.EventChars().EvtChar(), 5);
}

} // namespace
