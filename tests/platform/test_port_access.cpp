// The parallel port's access through the kernel's ppdev driver, against /proc trees of its own.
#include "portaccess/PortAccessPpdev.h"

#include <QTemporaryDir>

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

// The ppdev backend against a /proc tree of two ports whose devices are missing.
TEST(PpdevBackend, FindsTheKernelsPortsByBaseAddress) {
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const std::filesystem::path proc = root.filePath(QStringLiteral("parport")).toStdString();
    for (const auto& [name, base] :
         {std::pair{"parport1", "632\t1656\n"}, std::pair{"parport0", "888\t1912\n"}}) {
        std::filesystem::create_directories(proc / name);
        std::ofstream(proc / name / "base-addr") << base;
    }
    platform::PpdevPortAccess access(proc, root.filePath(QStringLiteral("dev")).toStdString());

    EXPECT_TRUE(access.openDriver());
    EXPECT_EQ(access.getLPTNumPorts(), 2);
    EXPECT_EQ(access.getLPTBasePort(), 888) << "LPT1 is parport0";
    EXPECT_EQ(access.addNewLPT(632), 2);
    EXPECT_EQ(access.addNewLPT(0x3BC), 3);
    EXPECT_EQ(access.addNewLPT(0x3BC), 3);
    access.setLPTNumber(3);
    EXPECT_EQ(access.getLPTBasePort(), 0x3BC);
    // No device answers: the lines read false and the registers zero.
    EXPECT_FALSE(access.getLPTBusy() || access.getLPTAckwl() || access.getLPTError() ||
                 access.getLPTPaperEnd() || access.getLPTSlct());
    EXPECT_EQ(access.readPort(889), 0);
}

TEST(PpdevBackend, WithoutParallelPortsTheDriverDoesNotOpen) {
    QTemporaryDir root;
    platform::PpdevPortAccess access(root.filePath(QStringLiteral("none")).toStdString());
    EXPECT_FALSE(access.openDriver());
    EXPECT_EQ(access.getLPTNumPorts(), 0);
    EXPECT_EQ(access.addNewLPT(888), 1);
    EXPECT_FALSE(access.getLPTBusy());
}
