#include "ParallelPrinterReady.h"

#include "VicPort.h"

#include <QRegularExpression>

#include <cstdint>

namespace {

// The address as a 16-bit port number; 278 (the second parallel port) when it is not one.
std::uint16_t parallelPortAddress(const QString& address) {
    static const QRegularExpression hexNumber(QStringLiteral("^[0-9A-Fa-f]+$"));
    bool converted = false;
    const uint value = address.toUInt(&converted, 16);
    const bool isAddress = hexNumber.match(address).hasMatch() && converted && value <= 0xFFFF;
    return isAddress ? std::uint16_t(value) : 0x278;
}

} // namespace

bool IMPRESSORA_PRONTA(const QString& address) {
    try {
        const std::uint16_t base = parallelPortAddress(address);
        TVicPort port;
        port.OpenDriver();
        port.AddNewLPT(base);
        port.setLPTNumber(port.AddNewLPT(base));
        // Stops at the first line that reads true.
        const bool ready = !(port.LPTAckwl() || port.LPTBusy() || port.LPTError() ||
                             port.LPTPaperEnd() || port.LPTSlct());
        port.CloseDriver();
        return ready;
    } catch (...) {
        return false;
    }
}
