#include "TermiosMapping.h"

#include <utility>

namespace platform::termios_mapping {

namespace {

std::uint8_t byteSizeOf(tcflag_t cflag) {
    switch (cflag & CSIZE) {
    case CS5:
        return 5;
    case CS6:
        return 6;
    case CS7:
        return 7;
    default:
        return 8;
    }
}

tcflag_t sizeFlag(std::uint8_t byteSize) {
    switch (byteSize) {
    case 5:
        return CS5;
    case 6:
        return CS6;
    case 7:
        return CS7;
    default:
        return CS8;
    }
}

std::uint8_t parityOf(tcflag_t cflag) {
    if ((cflag & PARENB) == 0) {
        return 0;
    }
    const bool odd = (cflag & PARODD) != 0;
    if ((cflag & CMSPAR) != 0) {
        return odd ? 3 : 4; // mark, space
    }
    return odd ? 1 : 2;
}

tcflag_t parityFlags(std::uint8_t parity) {
    switch (parity) {
    case 1:
        return PARENB | PARODD;
    case 2:
        return PARENB;
    case 3:
        return PARENB | CMSPAR | PARODD;
    case 4:
        return PARENB | CMSPAR;
    default:
        return 0;
    }
}

} // namespace

speed_t standardSpeed(std::uint32_t rate) {
    static constexpr std::pair<std::uint32_t, speed_t> speeds[] = {
        {50, B50},         {75, B75},         {110, B110},       {134, B134},
        {150, B150},       {200, B200},       {300, B300},       {600, B600},
        {1200, B1200},     {1800, B1800},     {2400, B2400},     {4800, B4800},
        {9600, B9600},     {19200, B19200},   {38400, B38400},   {57600, B57600},
        {115200, B115200}, {230400, B230400}, {460800, B460800}, {921600, B921600}};
    for (const auto& [standard, speed] : speeds) {
        if (standard == rate) {
            return speed;
        }
    }
    return B0;
}

Dcb dcbFromTermios(const termios& settings) {
    Dcb dcb;
    dcb.ByteSize = byteSizeOf(settings.c_cflag);
    dcb.Parity = parityOf(settings.c_cflag);
    dcb.StopBits = (settings.c_cflag & CSTOPB) == 0 ? 0 : (dcb.ByteSize == 5 ? 1 : 2);
    dcb.Flags = dcb::Binary | dcb::DtrControlEnable | dcb::TxContinueOnXoff;
    dcb.Flags |= (settings.c_cflag & CRTSCTS) != 0 ? dcb::OutxCtsFlow | dcb::RtsControlHandshake
                                                   : dcb::RtsControlEnable;
    if ((settings.c_iflag & INPCK) != 0) {
        dcb.Flags |= dcb::ParityCheck;
    }
    if ((settings.c_iflag & IXON) != 0) {
        dcb.Flags |= dcb::OutX;
    }
    if ((settings.c_iflag & IXOFF) != 0) {
        dcb.Flags |= dcb::InX;
    }
    dcb.XonChar = static_cast<char>(settings.c_cc[VSTART]);
    dcb.XoffChar = static_cast<char>(settings.c_cc[VSTOP]);
    return dcb;
}

bool honourable(const Dcb& dcb) {
    const std::uint32_t flags = dcb.Flags;
    const bool ctsFlow = (flags & dcb::OutxCtsFlow) != 0;
    const bool rtsHandshake = (flags & dcb::RtsControlMask) == dcb::RtsControlHandshake;
    const bool softwareFlow = (flags & (dcb::OutX | dcb::InX)) != 0;
    const bool errorReplacement = (flags & (dcb::ParityCheck | dcb::ErrorCharReplace)) ==
                                  (dcb::ParityCheck | dcb::ErrorCharReplace);
    const bool stopBitsFit = dcb.StopBits == 0 || (dcb.StopBits == 1 && dcb.ByteSize == 5) ||
                             (dcb.StopBits == 2 && dcb.ByteSize != 5);
    return dcb.BaudRate != 0 && dcb.ByteSize >= 5 && dcb.ByteSize <= 8 && dcb.Parity <= 4 &&
           stopBitsFit && ctsFlow == rtsHandshake &&
           (flags & (dcb::OutxDsrFlow | dcb::AbortOnError)) == 0 &&
           (flags & dcb::DtrControlMask) != dcb::DtrControlHandshake &&
           (flags & dcb::RtsControlMask) != dcb::RtsControlToggle &&
           !(errorReplacement && dcb.ErrorChar != 0) &&
           !(softwareFlow && dcb.XonChar == dcb.XoffChar);
}

bool rateTaken(std::uint32_t asked, std::uint32_t reported) {
    const std::uint64_t difference = asked > reported ? asked - reported : reported - asked;
    return reported != 0 && difference * 50 <= asked;
}

void applyToTermios(const Dcb& dcb, termios& settings) {
    settings.c_cflag &= ~LineFormatBits;
    settings.c_cflag |= sizeFlag(dcb.ByteSize) | parityFlags(dcb.Parity);
    if (dcb.StopBits != 0) {
        settings.c_cflag |= CSTOPB;
    }
    if ((dcb.Flags & dcb::OutxCtsFlow) != 0) {
        settings.c_cflag |= CRTSCTS;
    }
    // Bytes with parity or framing errors arrive as NUL (no IGNPAR, no PARMRK).
    settings.c_iflag &= ~tcflag_t(INPCK | IXON | IXOFF | IGNPAR | PARMRK);
    if ((dcb.Flags & dcb::ParityCheck) != 0) {
        settings.c_iflag |= INPCK;
    }
    if ((dcb.Flags & dcb::OutX) != 0) {
        settings.c_iflag |= IXON;
    }
    if ((dcb.Flags & dcb::InX) != 0) {
        settings.c_iflag |= IXOFF;
    }
    settings.c_cc[VSTART] = static_cast<cc_t>(dcb.XonChar);
    settings.c_cc[VSTOP] = static_cast<cc_t>(dcb.XoffChar);
}

} // namespace platform::termios_mapping
