#include "ParallelPortDriver.h"
#include "ParallelPrinterReady.h"
#include "TestBackends.h"

#include <gtest/gtest.h>

namespace {

const QStringList readings = {QStringLiteral("GetLPTAckwl"), QStringLiteral("GetLPTBusy"),
                              QStringLiteral("GetLPTError"), QStringLiteral("GetLPTPaperEnd"),
                              QStringLiteral("GetLPTSlct")};

QStringList readyTestCalls(int base, int number, qsizetype readingsTaken) {
    QStringList calls = {QStringLiteral("openDriver"), QStringLiteral("AddNewLPT %1").arg(base),
                         QStringLiteral("AddNewLPT %1").arg(base),
                         QStringLiteral("SetLPTNumber %1").arg(number)};
    calls << readings.mid(0, readingsTaken);
    calls << QStringLiteral("closeDriver") << QStringLiteral("closeDriver"); // close, destroy
    return calls;
}

} // namespace

TEST(ParallelPrinterReady, ReadsTheFiveLinesOfThePortAtTheAddress) {
    FakePortInstalled fake;
    EXPECT_TRUE(parallelPrinterReady(QStringLiteral("378")));
    // LPT1 is there already; the two registrations get 2 and 3, the second one is used.
    EXPECT_EQ(fake.port->calls, readyTestCalls(888, 3, 5));

    fake.port->calls.clear();
    EXPECT_TRUE(parallelPrinterReady(QStringLiteral("3bc")));
    EXPECT_EQ(fake.port->calls, readyTestCalls(956, 5, 5));
}

TEST(ParallelPrinterReady, TextThatIsNotHexadecimalTestsPort278) {
    for (const QString& address : {QString(), QStringLiteral("LPT1"), QStringLiteral("0x378"),
                                   QStringLiteral(" 378"), QStringLiteral("12345")}) {
        FakePortInstalled fake;
        parallelPrinterReady(address);
        EXPECT_EQ(fake.port->calls.value(1), QStringLiteral("AddNewLPT 632"))
            << address.toStdString();
    }
}

TEST(ParallelPrinterReady, AnyStatusLineStopsTheReadingsAndMeansNotReady) {
    for (int line = 0; line < 5; ++line) {
        FakePortInstalled fake;
        bool* flags[] = {&fake.port->ackwl, &fake.port->busy, &fake.port->error,
                         &fake.port->paperEnd, &fake.port->slct};
        *flags[line] = true;
        EXPECT_FALSE(parallelPrinterReady(QStringLiteral("378"))) << readings[line].toStdString();
        EXPECT_EQ(fake.port->calls, readyTestCalls(888, 3, line + 1));
    }
}

TEST(ParallelPrinterReady, AnyFailureMeansNotReady) {
    FakePortInstalled fake;
    fake.port->failReadings = true;
    EXPECT_FALSE(parallelPrinterReady(QStringLiteral("378")));

    fake.port->failReadings = false;
    fake.port->opens = false; // the result of openDriver is not consulted
    EXPECT_TRUE(parallelPrinterReady(QStringLiteral("378")));
}

TEST(ParallelPortDriverClass, ForwardsToThePortAccess) {
    auto state = std::make_shared<platform::FakeParallelPort>();
    {
        ParallelPortDriver port(std::make_unique<platform::FakePortAccess>(state));
        EXPECT_FALSE(port.activeHW());
        EXPECT_FALSE(port.readMode());
        EXPECT_TRUE(port.openDriver());
        EXPECT_TRUE(port.openDriver());
        EXPECT_EQ(state->calls.count(QStringLiteral("openDriver")), 1) << "opened once";
        port.setLPTReadMode(true);
        EXPECT_TRUE(port.readMode());
        port.setLPTReadMode(false);
        port.setPort(0x378, 0x55);
        EXPECT_EQ(port.Port(0x378), 0x55);
        EXPECT_EQ(port.addPort(0x278), 2);
        EXPECT_EQ(port.portCount(), 2);
        port.setLPTNumber(2);
        EXPECT_EQ(port.portNumber(), 2);
        EXPECT_EQ(port.basePort(), 0x278);
        port.closeDriver();
        EXPECT_FALSE(port.activeHW());
        port.closeDriver(); // closed already: not forwarded
    }
    EXPECT_EQ(state->calls,
              (QStringList{QStringLiteral("openDriver"), QStringLiteral("SetLPTReadMode"),
                           QStringLiteral("SetLPTWriteMode"), QStringLiteral("WritePort 888 85"),
                           QStringLiteral("ReadPort 888"), QStringLiteral("AddNewLPT 632"),
                           QStringLiteral("SetLPTNumber 2"), QStringLiteral("GetLPTBasePort"),
                           QStringLiteral("closeDriver"), QStringLiteral("closeDriver")}));
}
