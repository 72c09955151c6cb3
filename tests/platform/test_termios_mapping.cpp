// The DCB to termios mapping of the POSIX driver, for the line formats a pseudo-terminal cannot
// hold (it forces eight data bits without parity).
#include "TermiosMapping.h"

#include <gtest/gtest.h>

namespace {

using namespace platform;

Dcb lineDcb(std::uint8_t byteSize, std::uint8_t parity, std::uint8_t stopBits) {
    Dcb dcb;
    dcb.BaudRate = 1200;
    dcb.Flags = dcb::Binary | dcb::DtrControlEnable | dcb::RtsControlEnable;
    dcb.ByteSize = byteSize;
    dcb.Parity = parity;
    dcb.StopBits = stopBits;
    return dcb;
}

TEST(TermiosMapping, EveryParityIncludingMarkAndSpaceGoesBothWays) {
    const std::pair<std::uint8_t, tcflag_t> parities[] = {{0, 0},
                                                          {1, PARENB | PARODD},
                                                          {2, PARENB},
                                                          {3, PARENB | CMSPAR | PARODD},
                                                          {4, PARENB | CMSPAR}};
    for (const auto& [parity, flags] : parities) {
        termios settings{};
        settings.c_cflag = PARENB | PARODD | CMSPAR; // whatever was there before
        termios_mapping::applyToTermios(lineDcb(7, parity, 0), settings);
        EXPECT_EQ(settings.c_cflag & (PARENB | PARODD | CMSPAR), flags) << int(parity);
        EXPECT_EQ(termios_mapping::dcbFromTermios(settings).Parity, parity);
    }
}

TEST(TermiosMapping, DataBitsAndStopBitsGoBothWays) {
    const std::pair<std::uint8_t, tcflag_t> sizes[] = {{5, CS5}, {6, CS6}, {7, CS7}, {8, CS8}};
    for (const auto& [byteSize, flag] : sizes) {
        termios settings{};
        termios_mapping::applyToTermios(lineDcb(byteSize, 0, 2 - (byteSize == 5)), settings);
        EXPECT_EQ(settings.c_cflag & CSIZE, flag);
        EXPECT_NE(settings.c_cflag & CSTOPB, 0u);
        const Dcb back = termios_mapping::dcbFromTermios(settings);
        EXPECT_EQ(back.ByteSize, byteSize);
        EXPECT_EQ(back.StopBits, byteSize == 5 ? 1 : 2) << "CSTOPB with five data bits is 1.5";
    }
}

TEST(TermiosMapping, FlowControlParityCheckAndXonXoffCharacters) {
    Dcb dcb = lineDcb(8, 0, 0);
    dcb.Flags = dcb::Binary | dcb::OutxCtsFlow | dcb::RtsControlHandshake | dcb::OutX | dcb::InX |
                dcb::ParityCheck;
    dcb.XonChar = 0x11;
    dcb.XoffChar = 0x13;
    termios settings{};
    termios_mapping::applyToTermios(dcb, settings);
    EXPECT_NE(settings.c_cflag & CRTSCTS, 0u);
    EXPECT_EQ(settings.c_iflag & (IXON | IXOFF | INPCK), tcflag_t(IXON | IXOFF | INPCK));
    EXPECT_EQ(settings.c_cc[VSTART], 0x11);
    EXPECT_EQ(settings.c_cc[VSTOP], 0x13);
    const Dcb back = termios_mapping::dcbFromTermios(settings);
    EXPECT_EQ(back.Flags & 0x3306u, 0x2306u);
}

TEST(TermiosMapping, WhatTermiosCannotDoIsNotHonourable) {
    EXPECT_TRUE(termios_mapping::honourable(lineDcb(8, 0, 0)));
    EXPECT_TRUE(termios_mapping::honourable(lineDcb(5, 0, 1)));
    EXPECT_FALSE(termios_mapping::honourable(lineDcb(4, 0, 0)));
    EXPECT_FALSE(termios_mapping::honourable(lineDcb(8, 0, 1))) << "1.5 stop bits need 5 data bits";
    EXPECT_FALSE(termios_mapping::honourable(lineDcb(5, 0, 2)));
    EXPECT_FALSE(termios_mapping::honourable(lineDcb(8, 5, 0)));
    Dcb zeroRate = lineDcb(8, 0, 0);
    zeroRate.BaudRate = 0;
    EXPECT_FALSE(termios_mapping::honourable(zeroRate));

    const std::uint32_t refusedFlags[] = {dcb::OutxDsrFlow, dcb::DtrControlHandshake,
                                          dcb::RtsControlToggle, dcb::AbortOnError,
                                          dcb::OutxCtsFlow /* without the RTS handshake */};
    for (const std::uint32_t flag : refusedFlags) {
        Dcb dcb = lineDcb(8, 0, 0);
        dcb.Flags = (dcb.Flags & ~dcb::RtsControlMask & ~dcb::DtrControlMask) | flag;
        EXPECT_FALSE(termios_mapping::honourable(dcb)) << std::hex << flag;
    }
    Dcb errorChar = lineDcb(8, 0, 0);
    errorChar.Flags |= dcb::ParityCheck | dcb::ErrorCharReplace;
    EXPECT_TRUE(termios_mapping::honourable(errorChar)) << "errors arrive as NUL";
    errorChar.ErrorChar = '?';
    EXPECT_FALSE(termios_mapping::honourable(errorChar));
    Dcb sameXonXoff = lineDcb(8, 0, 0);
    sameXonXoff.Flags |= dcb::OutX;
    sameXonXoff.XoffChar = sameXonXoff.XonChar;
    EXPECT_FALSE(termios_mapping::honourable(sameXonXoff));
}

// A 16550 keeps its previous rate (or its highest) for one it cannot do, and says so only
// when the rate is read back; a USB adapter reports the rate its clock really gives.
TEST(TermiosMapping, ARateReadBackFarFromTheAskedOneWasNotTaken) {
    EXPECT_TRUE(termios_mapping::rateTaken(9600, 9600));
    EXPECT_TRUE(termios_mapping::rateTaken(56000, 55944)) << "a divisor's rounding";
    EXPECT_TRUE(termios_mapping::rateTaken(56000, 57120));
    EXPECT_FALSE(termios_mapping::rateTaken(128000, 115200));
    EXPECT_FALSE(termios_mapping::rateTaken(256000, 9600));
    EXPECT_FALSE(termios_mapping::rateTaken(56000, 57600)) << "3 % off garbles the bytes";
    EXPECT_FALSE(termios_mapping::rateTaken(9600, 0)) << "a rate that cannot be read";
}

} // namespace
