// A keypad handler that throws, under the terminal's own application object: the exception
// becomes a line of the error log and the keypad goes on working.
#include "SerialDriverPosix.h"
#include "SerialTestSupport.h"
#include "TerminalApplication.h"

#include <QFile>

#include <gtest/gtest.h>

#include <stdexcept>

using namespace commtest;

namespace {

QString errorLog() {
    QFile log(TerminalApplication::errorLogPath());
    return log.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(log.readAll()) : QString();
}

TEST(SerialHandlerErrors, AThrowingHandlerIsLoggedAndLaterKeysStillArrive) {
    QFile::remove(TerminalApplication::errorLogPath());
    PseudoTerminal keypad;
    platform::PosixSerialDriver driver;
    SerialPort comm(nullptr, &driver);
    comm.setDeviceName(keypad.slavePath());
    comm.setMonitorEvents(SerialPort::Event::RxChar);
    std::string keys;
    comm.setOnBytesReceived([&](QObject*, int) {
        char key = 0;
        if (comm.read(&key, 1) != 1) {
            return;
        }
        if (key == '#') {
            throw std::runtime_error("ticket failed");
        }
        keys += key;
    });
    comm.open();
    ASSERT_TRUE(comm.isOpen());

    keypad.send("#");
    ASSERT_TRUE(waitUntil([] { return errorLog().contains(QStringLiteral(":ticket failed")); }))
        << "the exception never reached the error log";
    keypad.send("1");
    EXPECT_TRUE(waitUntil([&] { return keys == "1"; })) << "the keypad fell silent";
    keypad.send("#");
    EXPECT_TRUE(waitUntil([] { return errorLog().count(QStringLiteral(":ticket failed")) == 2; }));
    keypad.send("2");
    EXPECT_TRUE(waitUntil([&] { return keys == "12"; }));
    comm.close();
    QFile::remove(TerminalApplication::errorLogPath());
}

} // namespace
