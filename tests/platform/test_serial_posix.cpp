// The POSIX backend on real pseudo-terminals: what reaches the line, what is refused, the
// device-name map, exclusive opening, the USB keypad switch.
#include "BaudRate.h"
#include "CommTestSupport.h"
#include "SerialDriverPosix.h"
#include "UsbKeypadSwitch.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

using namespace commtest;
using namespace std::chrono_literals;

namespace {

using Errors = std::vector<std::pair<QString, int>>;

// The line as the kernel holds it, read through a second descriptor of the same terminal.
termios lineOf(const QString& path) {
    termios settings{};
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ::tcgetattr(fd, &settings);
    ::close(fd);
    return settings;
}

std::uint32_t rateOf(const QString& path) {
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    const std::uint32_t rate = platform::linux_tty::baudRate(fd);
    ::close(fd);
    return rate;
}

class CommOnPseudoTerminal : public ::testing::Test {
protected:
    CommOnPseudoTerminal()
        : comm(nullptr, &driver) {
        comm.SetDeviceName(pty.slavePath());
        comm.SetMonitorEvents(evRxChar);
    }

    PseudoTerminal pty;
    platform::PosixSerialDriver driver;
    CommErrorRecorder errors;
    TComm comm;
};

TEST_F(CommOnPseudoTerminal, TheKeypadSettingsReachTheLine) {
    comm.SetBaudRate(br1200);
    comm.SetStopbits(sb20);
    comm.SetOptions(coParityCheck | coDsrSensitivity | coIgnoreXOff | coErrorChar | coNullStrip);
    comm.Open();
    ASSERT_TRUE(comm.Enabled());
    EXPECT_TRUE(errors.errors().empty());
    EXPECT_EQ(rateOf(pty.slavePath()), 1200u);
    const termios line = lineOf(pty.slavePath());
    EXPECT_EQ(line.c_cflag & CSIZE, tcflag_t(CS8));
    EXPECT_NE(line.c_cflag & CSTOPB, 0u);
    EXPECT_NE(line.c_iflag & INPCK, 0u);
    EXPECT_EQ(line.c_lflag & (ICANON | ECHO | ISIG), 0u) << "a serial port does no line processing";
}

TEST_F(CommOnPseudoTerminal, EveryRateOfTheEnumerationIsSetStandardOrNot) {
    comm.Open();
    struct Rate {
        TBaudrate member;
        std::uint32_t rate;
        speed_t constant; // B0: a non-standard rate, set through the custom-rate call
    };
    const Rate rates[] = {
        {br110, 110, B110},          {br300, 300, B300},     {br600, 600, B600},
        {br1200, 1200, B1200},       {br2400, 2400, B2400},  {br4800, 4800, B4800},
        {br9600, 9600, B9600},       {br14400, 14400, B0},   {br19200, 19200, B19200},
        {br38400, 38400, B38400},    {br56000, 56000, B0},   {br57600, 57600, B57600},
        {br115200, 115200, B115200}, {br128000, 128000, B0}, {br256000, 256000, B0}};
    for (const Rate& rate : rates) {
        comm.SetBaudRate(rate.member);
        EXPECT_EQ(rateOf(pty.slavePath()), rate.rate);
        if (rate.constant != B0) {
            const termios line = lineOf(pty.slavePath());
            EXPECT_EQ(cfgetospeed(&line), rate.constant) << rate.rate;
        }
    }
    EXPECT_TRUE(errors.errors().empty());
}

// A pseudo-terminal forces eight data bits without parity: what the line does not keep is
// refused, not left changed behind the caller's back.
TEST_F(CommOnPseudoTerminal, DataBitsOrParityTheLineDoesNotKeepAreRefused) {
    comm.Open();
    const termios before = lineOf(pty.slavePath());
    comm.SetParity(paEven);
    comm.SetDatabits(da7);
    const Errors refused(2, {QStringLiteral("Error updating DataControlBlock"),
                             int(platform::error::InvalidParameter)});
    EXPECT_EQ(errors.errors(), refused);
    EXPECT_EQ(lineOf(pty.slavePath()).c_cflag, before.c_cflag);
}

TEST_F(CommOnPseudoTerminal, SettingsTheLineCannotHonourAreRefusedNotChanged) {
    comm.Open();
    const termios before = lineOf(pty.slavePath());
    comm.SetStopbits(sb15); // with 8 data bits
    comm.SetStopbits(sb10);
    comm.SetDatabits(da4);
    comm.SetDatabits(da8);
    comm.SetFlowControl(fcDTR);
    comm.SetFlowControl(fcDefault);
    comm.EventChars().SetErrorChar('?');
    comm.SetOptions(coParityCheck | coErrorChar);
    const Errors refused(4, {QStringLiteral("Error updating DataControlBlock"),
                             int(platform::error::InvalidParameter)});
    EXPECT_EQ(errors.errors(), refused);
    EXPECT_EQ(lineOf(pty.slavePath()).c_cflag, before.c_cflag);
}

TEST_F(CommOnPseudoTerminal, HardwareAndSoftwareFlowControlReachTheLine) {
    comm.SetFlowControl(fcCTS);
    comm.Open();
    EXPECT_NE(lineOf(pty.slavePath()).c_cflag & CRTSCTS, 0u);
    comm.SetFlowControl(fcSoftware);
    const termios line = lineOf(pty.slavePath());
    EXPECT_NE(line.c_iflag & IXON, 0u);
    EXPECT_NE(line.c_iflag & IXOFF, 0u);
    comm.SetFlowControl(fcNone);
    EXPECT_EQ(lineOf(pty.slavePath()).c_cflag & CRTSCTS, 0u);
    EXPECT_EQ(lineOf(pty.slavePath()).c_iflag & (IXON | IXOFF), 0u);
    EXPECT_TRUE(errors.errors().empty());
}

TEST_F(CommOnPseudoTerminal, EnterAndControlBytesArriveUnchangedAndNulsAreStrippedWhenAsked) {
    std::string received;
    comm.SetOnRxChar([&](QObject*, int count) {
        char buffer[32];
        received.append(buffer, std::size_t(std::max(comm.Read(buffer, std::min(count, 32)), 0)));
    });
    comm.SetOptions(coNullStrip);
    comm.Open();
    pty.send(std::string("1\r\n\x03\x1b", 5) + std::string(1, '\0') + "2");
    ASSERT_TRUE(waitUntil([&] { return received.size() >= 6; }));
    EXPECT_EQ(received, "1\r\n\x03\x1b"
                        "2");
}

// A freshly opened Win32 port has no software flow control: XON and XOFF are data.
TEST_F(CommOnPseudoTerminal, XonAndXoffBytesArriveAsDataWithTheDefaultFlowControl) {
    std::string received;
    comm.SetOnRxChar([&](QObject*, int count) {
        char buffer[32];
        received.append(buffer, std::size_t(std::max(comm.Read(buffer, std::min(count, 32)), 0)));
    });
    comm.Open();
    pty.send("A\x13"
             "B\x11"
             "C");
    ASSERT_TRUE(waitUntil([&] { return received.size() >= 5; }));
    EXPECT_EQ(received, "A\x13"
                        "B\x11"
                        "C");
    EXPECT_EQ(lineOf(pty.slavePath()).c_iflag & (IXON | IXOFF | IXANY), 0u);
}

TEST_F(CommOnPseudoTerminal, TheEventCharacterRaisesRxFlag) {
    int flags = 0;
    comm.SetMonitorEvents(evRxChar | evRxFlag);
    comm.EventChars().SetEvtChar('#');
    comm.SetOnRxFlag([&](QObject*) { ++flags; });
    comm.Open();
    pty.send("12");
    waitUntil([] { return false; }, 50);
    EXPECT_EQ(flags, 0);
    pty.send("#");
    EXPECT_TRUE(waitUntil([&] { return flags == 1; }));
}

TEST_F(CommOnPseudoTerminal, ASecondOpenOfTheSameDeviceIsRefused) {
    comm.Open();
    TComm other(nullptr, &driver);
    other.SetDeviceName(pty.slavePath());
    other.Open();
    EXPECT_FALSE(other.Enabled());
    ASSERT_FALSE(errors.errors().empty());
    EXPECT_EQ(errors.errors().front(),
              std::make_pair(QStringLiteral("Error accessing specified device"),
                             int(platform::error::AccessDenied)));
    comm.Close();
    other.Open();
    EXPECT_TRUE(other.Enabled());
}

TEST_F(CommOnPseudoTerminal, AWriteTheFarEndDoesNotTakeIsCancelledAtItsTimeOut) {
    comm.Open();
    comm.SetWriteTimeout(150);
    auto big = std::make_unique<std::string>(1 << 20, 'x');
    int written = 0;
    const auto elapsed =
        millisecondsOf([&] { written = comm.Write(big->data(), int(big->size())); });
    EXPECT_EQ(written, -1);
    EXPECT_GE(elapsed, 150);
    big.reset(); // the driver must not touch the buffer any more (AddressSanitizer watches)
    char drain[65536];
    while (::read(pty.master(), drain, sizeof drain) > 0) {
    }
    EXPECT_EQ(comm.Write("end", 3), 3);
    EXPECT_TRUE(errors.errors().empty());
}

TEST_F(CommOnPseudoTerminal, BreakAndModemLinesOnALineWithoutThem) {
    comm.Open();
    comm.SetBREAKState(true);
    comm.SetBREAKState(false);
    EXPECT_TRUE(errors.errors().empty()) << "a pseudo-terminal takes the break";
    comm.SetDTRState(true);
    EXPECT_EQ(errors.errors(), Errors({{QStringLiteral("EscapeCommFunction failure"),
                                        int(platform::error::InvalidFunction)}}));
    EXPECT_FALSE(comm.CTS());
    EXPECT_FALSE(comm.DSR());
}

TEST_F(CommOnPseudoTerminal, XoffStopsOutputAndShowsAsHold) {
    comm.Open();
    comm.SetXONState(false);
    EXPECT_TRUE(comm.XoffHold());
    comm.SetXONState(true);
    EXPECT_FALSE(comm.XoffHold());
    EXPECT_EQ(comm.Write("k", 1), 1);
    EXPECT_EQ(pty.receive(1), "k");
}

TEST_F(CommOnPseudoTerminal, AnOpenIdlePortCostsNoCpu) {
    comm.SetOnRxChar([](QObject*, int) {});
    comm.Open();
    const auto before = processCpuTime();
    std::this_thread::sleep_for(1s);
    EXPECT_LT(processCpuTime() - before, 10ms);
}

// Device names go through the device-name map, from a folder standing in for /dev.
class DeviceNames : public ::testing::Test {
protected:
    DeviceNames()
        : driver(devRoot.path()) {
        QFile::link(pty.slavePath(), devRoot.filePath(QStringLiteral("COM3")));
    }

    PseudoTerminal pty;
    QTemporaryDir devRoot;
    platform::PosixSerialDriver driver;
    CommErrorRecorder errors;
};

TEST_F(DeviceNames, ALinkedComNameOpensItsDevice) {
    TComm comm(nullptr, &driver);
    comm.SetDeviceName(QStringLiteral("COM3"));
    comm.Open();
    EXPECT_TRUE(comm.Enabled());
    EXPECT_EQ(comm.Write("3", 1), 1);
    EXPECT_EQ(pty.receive(1), "3");
}

TEST_F(DeviceNames, ComNIsTheNthSerialDeviceAndAMissingOneFailsToOpen) {
    TComm comm(nullptr, &driver);
    comm.SetDeviceName(QStringLiteral("Com1"));
    comm.Open();
    EXPECT_FALSE(comm.Enabled());
    ASSERT_FALSE(errors.errors().empty());
    EXPECT_EQ(errors.errors().front(),
              std::make_pair(QStringLiteral("Error accessing specified device"),
                             int(platform::error::FileNotFound)));
}

TEST_F(DeviceNames, AFileThatIsNotADeviceIsRefused) {
    QFile file(devRoot.filePath(QStringLiteral("notes")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    TComm comm(nullptr, &driver);
    comm.SetDeviceName(file.fileName());
    comm.Open();
    EXPECT_FALSE(comm.Enabled());
    EXPECT_EQ(errors.errors(),
              Errors({{QStringLiteral("Invalid device handle, access denied"), -1}}));
}

TEST_F(DeviceNames, TheUsbSwitchSendsItsCodeToComNAndReleasesThePort) {
    platform::SerialUsbKeypadSwitch keypadSwitch(driver);
    ASSERT_TRUE(keypadSwitch.Open_Comm(3, 9600, 8, 0, 0, 0));
    EXPECT_EQ(rateOf(pty.slavePath()), 9600u);
    EXPECT_EQ(keypadSwitch.send_data_rs(3, 15), 1);
    EXPECT_EQ(pty.receive(1), "\x0f");
    EXPECT_EQ(keypadSwitch.Close_Comm(3), 1);

    // The port is free again for the component.
    TComm comm(nullptr, &driver);
    comm.SetDeviceName(QStringLiteral("COM3"));
    comm.Open();
    EXPECT_TRUE(comm.Enabled());
    comm.Close();

    ASSERT_TRUE(keypadSwitch.Open_Comm(3, 1200, 7, 0, 0, 0));
    EXPECT_EQ(keypadSwitch.send_data_rs(3, 14), 1);
    EXPECT_EQ(pty.receive(1), "\x0e");
    keypadSwitch.Close_Comm(3);
}

TEST_F(DeviceNames, TheUsbSwitchReportsAPortThatDoesNotOpen) {
    platform::SerialUsbKeypadSwitch keypadSwitch(driver);
    EXPECT_FALSE(keypadSwitch.Open_Comm(1, 1200, 8, 0, 0, 0));
    EXPECT_EQ(keypadSwitch.send_data_rs(1, 15), 0);
    EXPECT_EQ(keypadSwitch.Close_Comm(1), 0);
}

} // namespace
