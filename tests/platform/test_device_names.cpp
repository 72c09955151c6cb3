#include "DeviceNames.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(DeviceNames, MapsWindowsPortNamesWhateverTheirCase) {
    QTemporaryDir dev;
    EXPECT_EQ(platform::resolveDeviceName(QStringLiteral("COM1"), dev.path()),
              dev.path() + "/ttyS0");
    EXPECT_EQ(platform::resolveDeviceName(QStringLiteral("com12"), dev.path()),
              dev.path() + "/ttyS11");
    EXPECT_EQ(platform::resolveDeviceName(QStringLiteral("LPT1"), dev.path()), dev.path() + "/lp0");
    EXPECT_EQ(platform::resolveDeviceName(QStringLiteral("lpt2"), dev.path()), dev.path() + "/lp1");
}

TEST(DeviceNames, PrefersAnExistingDeviceLinkOfTheSameName) {
    QTemporaryDir dev;
    QFile link(dev.filePath(QStringLiteral("COM3")));
    ASSERT_TRUE(link.open(QIODevice::WriteOnly));
    link.close();
    EXPECT_EQ(platform::resolveDeviceName(QStringLiteral("COM3"), dev.path()),
              dev.path() + "/COM3");
}

TEST(DeviceNames, KeepsAbsolutePathsAndTreatsOtherNamesAsFilesHere) {
    QTemporaryDir dev;
    EXPECT_EQ(platform::resolveDeviceName(QStringLiteral("/dev/usb/lp0"), dev.path()),
              QStringLiteral("/dev/usb/lp0"));
    EXPECT_EQ(platform::resolveDeviceName(QStringLiteral("TKT"), dev.path()),
              QDir::current().filePath("TKT"));
    EXPECT_EQ(platform::resolveDeviceName(QStringLiteral("COM0"), dev.path()),
              QDir::current().filePath("COM0"));
    EXPECT_EQ(platform::resolveDeviceName(QStringLiteral("sub/file"), dev.path()),
              QDir::current().filePath("sub/file"));
}
