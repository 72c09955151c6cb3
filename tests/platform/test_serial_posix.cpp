// The POSIX backend on real pseudo-terminals: what reaches the line, what is refused, the
// device-name map, exclusive opening, the USB keypad switch.
#include "BaudRate.h"
#include "SerialDriverPosix.h"
#include "SerialTestSupport.h"
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

class SerialPortOnPseudoTerminal : public ::testing::Test {
protected:
    SerialPortOnPseudoTerminal()
        : comm(nullptr, &driver) {
        comm.setDeviceName(pty.slavePath());
        comm.setMonitorEvents(SerialPort::Event::RxChar);
    }

    PseudoTerminal pty;
    platform::PosixSerialDriver driver;
    SerialErrorRecorder errors;
    SerialPort comm;
};

TEST_F(SerialPortOnPseudoTerminal, TheKeypadSettingsReachTheLine) {
    comm.setBaudRate(SerialPort::BaudRate::Baud1200);
    comm.setStopBits(SerialPort::StopBits::Two);
    comm.setOptions(SerialPort::Option::ParityCheck | SerialPort::Option::DsrSensitivity |
                    SerialPort::Option::IgnoreXOff | SerialPort::Option::ErrorChar |
                    SerialPort::Option::NullStrip);
    comm.open();
    ASSERT_TRUE(comm.isOpen());
    EXPECT_TRUE(errors.errors().empty());
    EXPECT_EQ(rateOf(pty.slavePath()), 1200u);
    const termios line = lineOf(pty.slavePath());
    EXPECT_EQ(line.c_cflag & CSIZE, tcflag_t(CS8));
    EXPECT_NE(line.c_cflag & CSTOPB, 0u);
    EXPECT_NE(line.c_iflag & INPCK, 0u);
    EXPECT_EQ(line.c_lflag & (ICANON | ECHO | ISIG), 0u) << "a serial port does no line processing";
}

TEST_F(SerialPortOnPseudoTerminal, EveryRateOfTheEnumerationIsSetStandardOrNot) {
    comm.open();
    struct Rate {
        SerialPort::BaudRate member;
        std::uint32_t rate;
        speed_t constant; // B0: a non-standard rate, set through the custom-rate call
    };
    const Rate rates[] = {{SerialPort::BaudRate::Baud110, 110, B110},
                          {SerialPort::BaudRate::Baud300, 300, B300},
                          {SerialPort::BaudRate::Baud600, 600, B600},
                          {SerialPort::BaudRate::Baud1200, 1200, B1200},
                          {SerialPort::BaudRate::Baud2400, 2400, B2400},
                          {SerialPort::BaudRate::Baud4800, 4800, B4800},
                          {SerialPort::BaudRate::Baud9600, 9600, B9600},
                          {SerialPort::BaudRate::Baud14400, 14400, B0},
                          {SerialPort::BaudRate::Baud19200, 19200, B19200},
                          {SerialPort::BaudRate::Baud38400, 38400, B38400},
                          {SerialPort::BaudRate::Baud56000, 56000, B0},
                          {SerialPort::BaudRate::Baud57600, 57600, B57600},
                          {SerialPort::BaudRate::Baud115200, 115200, B115200},
                          {SerialPort::BaudRate::Baud128000, 128000, B0},
                          {SerialPort::BaudRate::Baud256000, 256000, B0}};
    for (const Rate& rate : rates) {
        comm.setBaudRate(rate.member);
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
TEST_F(SerialPortOnPseudoTerminal, DataBitsOrParityTheLineDoesNotKeepAreRefused) {
    comm.open();
    const termios before = lineOf(pty.slavePath());
    comm.setParity(SerialPort::Parity::Even);
    comm.setDataBits(SerialPort::DataBits::Seven);
    const Errors refused(2, {QStringLiteral("Error updating DataControlBlock"),
                             int(platform::error::InvalidParameter)});
    EXPECT_EQ(errors.errors(), refused);
    EXPECT_EQ(lineOf(pty.slavePath()).c_cflag, before.c_cflag);
}

TEST_F(SerialPortOnPseudoTerminal, SettingsTheLineCannotHonourAreRefusedNotChanged) {
    comm.open();
    const termios before = lineOf(pty.slavePath());
    comm.setStopBits(SerialPort::StopBits::OneAndHalf); // with 8 data bits
    comm.setStopBits(SerialPort::StopBits::One);
    comm.setDataBits(SerialPort::DataBits::Four);
    comm.setDataBits(SerialPort::DataBits::Eight);
    comm.setFlowControl(SerialPort::FlowControl::Dtr);
    comm.setFlowControl(SerialPort::FlowControl::Default);
    comm.specialChars().setErrorChar('?');
    comm.setOptions(SerialPort::Option::ParityCheck | SerialPort::Option::ErrorChar);
    const Errors refused(4, {QStringLiteral("Error updating DataControlBlock"),
                             int(platform::error::InvalidParameter)});
    EXPECT_EQ(errors.errors(), refused);
    EXPECT_EQ(lineOf(pty.slavePath()).c_cflag, before.c_cflag);
}

TEST_F(SerialPortOnPseudoTerminal, HardwareAndSoftwareFlowControlReachTheLine) {
    comm.setFlowControl(SerialPort::FlowControl::Cts);
    comm.open();
    EXPECT_NE(lineOf(pty.slavePath()).c_cflag & CRTSCTS, 0u);
    comm.setFlowControl(SerialPort::FlowControl::Software);
    const termios line = lineOf(pty.slavePath());
    EXPECT_NE(line.c_iflag & IXON, 0u);
    EXPECT_NE(line.c_iflag & IXOFF, 0u);
    comm.setFlowControl(SerialPort::FlowControl::None);
    EXPECT_EQ(lineOf(pty.slavePath()).c_cflag & CRTSCTS, 0u);
    EXPECT_EQ(lineOf(pty.slavePath()).c_iflag & (IXON | IXOFF), 0u);
    EXPECT_TRUE(errors.errors().empty());
}

TEST_F(SerialPortOnPseudoTerminal, EnterAndControlBytesArriveUnchangedAndNulsAreStrippedWhenAsked) {
    std::string received;
    comm.setOnBytesReceived([&](QObject*, int count) {
        char buffer[32];
        received.append(buffer, std::size_t(std::max(comm.read(buffer, std::min(count, 32)), 0)));
    });
    comm.setOptions(SerialPort::Option::NullStrip);
    comm.open();
    pty.send(std::string("1\r\n\x03\x1b", 5) + std::string(1, '\0') + "2");
    ASSERT_TRUE(waitUntil([&] { return received.size() >= 6; }));
    EXPECT_EQ(received, "1\r\n\x03\x1b"
                        "2");
}

// A freshly opened Win32 port has no software flow control: XON and XOFF are data.
TEST_F(SerialPortOnPseudoTerminal, XonAndXoffBytesArriveAsDataWithTheDefaultFlowControl) {
    std::string received;
    comm.setOnBytesReceived([&](QObject*, int count) {
        char buffer[32];
        received.append(buffer, std::size_t(std::max(comm.read(buffer, std::min(count, 32)), 0)));
    });
    comm.open();
    pty.send("A\x13"
             "B\x11"
             "C");
    ASSERT_TRUE(waitUntil([&] { return received.size() >= 5; }));
    EXPECT_EQ(received, "A\x13"
                        "B\x11"
                        "C");
    EXPECT_EQ(lineOf(pty.slavePath()).c_iflag & (IXON | IXOFF | IXANY), 0u);
}

TEST_F(SerialPortOnPseudoTerminal, TheEventCharacterRaisesRxFlag) {
    int flags = 0;
    comm.setMonitorEvents(SerialPort::Event::RxChar | SerialPort::Event::RxFlag);
    comm.specialChars().setEvtChar('#');
    comm.setOnRxFlag([&](QObject*) { ++flags; });
    comm.open();
    pty.send("12");
    waitUntil([] { return false; }, 50);
    EXPECT_EQ(flags, 0);
    pty.send("#");
    EXPECT_TRUE(waitUntil([&] { return flags == 1; }));
}

TEST_F(SerialPortOnPseudoTerminal, ASecondOpenOfTheSameDeviceIsRefused) {
    comm.open();
    SerialPort other(nullptr, &driver);
    other.setDeviceName(pty.slavePath());
    other.open();
    EXPECT_FALSE(other.isOpen());
    ASSERT_FALSE(errors.errors().empty());
    EXPECT_EQ(errors.errors().front(),
              std::make_pair(QStringLiteral("Error accessing specified device"),
                             int(platform::error::AccessDenied)));
    comm.close();
    other.open();
    EXPECT_TRUE(other.isOpen());
}

TEST_F(SerialPortOnPseudoTerminal, AWriteTheFarEndDoesNotTakeIsCancelledAtItsTimeOut) {
    comm.open();
    comm.setWriteTimeout(150);
    auto big = std::make_unique<std::string>(1 << 20, 'x');
    int written = 0;
    const auto elapsed =
        millisecondsOf([&] { written = comm.write(big->data(), int(big->size())); });
    EXPECT_EQ(written, -1);
    EXPECT_GE(elapsed, 150);
    big.reset(); // the driver must not touch the buffer any more (AddressSanitizer watches)
    char drain[65536];
    while (::read(pty.master(), drain, sizeof drain) > 0) {
    }
    EXPECT_EQ(comm.write("end", 3), 3);
    EXPECT_TRUE(errors.errors().empty());
}

TEST_F(SerialPortOnPseudoTerminal, BreakAndModemLinesOnALineWithoutThem) {
    comm.open();
    comm.setBreak(true);
    comm.setBreak(false);
    EXPECT_TRUE(errors.errors().empty()) << "a pseudo-terminal takes the break";
    comm.setDtr(true);
    EXPECT_EQ(errors.errors(), Errors({{QStringLiteral("EscapeCommFunction failure"),
                                        int(platform::error::InvalidFunction)}}));
    EXPECT_FALSE(comm.cts());
    EXPECT_FALSE(comm.dsr());
}

TEST_F(SerialPortOnPseudoTerminal, XoffStopsOutputAndShowsAsHold) {
    comm.open();
    comm.setXon(false);
    EXPECT_TRUE(comm.xoffHold());
    comm.setXon(true);
    EXPECT_FALSE(comm.xoffHold());
    EXPECT_EQ(comm.write("k", 1), 1);
    EXPECT_EQ(pty.receive(1), "k");
}

TEST_F(SerialPortOnPseudoTerminal, AnOpenIdlePortCostsNoCpu) {
    comm.setOnBytesReceived([](QObject*, int) {});
    comm.open();
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
    SerialErrorRecorder errors;
};

TEST_F(DeviceNames, ALinkedComNameOpensItsDevice) {
    SerialPort comm(nullptr, &driver);
    comm.setDeviceName(QStringLiteral("COM3"));
    comm.open();
    EXPECT_TRUE(comm.isOpen());
    EXPECT_EQ(comm.write("3", 1), 1);
    EXPECT_EQ(pty.receive(1), "3");
}

TEST_F(DeviceNames, ComNIsTheNthSerialDeviceAndAMissingOneFailsToOpen) {
    SerialPort comm(nullptr, &driver);
    comm.setDeviceName(QStringLiteral("Com1"));
    comm.open();
    EXPECT_FALSE(comm.isOpen());
    ASSERT_FALSE(errors.errors().empty());
    EXPECT_EQ(errors.errors().front(),
              std::make_pair(QStringLiteral("Error accessing specified device"),
                             int(platform::error::FileNotFound)));
}

TEST_F(DeviceNames, AFileThatIsNotADeviceIsRefused) {
    QFile file(devRoot.filePath(QStringLiteral("notes")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    SerialPort comm(nullptr, &driver);
    comm.setDeviceName(file.fileName());
    comm.open();
    EXPECT_FALSE(comm.isOpen());
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
    SerialPort comm(nullptr, &driver);
    comm.setDeviceName(QStringLiteral("COM3"));
    comm.open();
    EXPECT_TRUE(comm.isOpen());
    comm.close();

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
