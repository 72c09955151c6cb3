#include "ParallelPrinterReady.h"

#include "ParallelPortDriver.h"

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

bool parallelPrinterReady(const QString& address) {
    try {
        const std::uint16_t base = parallelPortAddress(address);
        ParallelPortDriver port;
        port.openDriver();
        port.addPort(base);
        port.setLPTNumber(port.addPort(base));
        // Stops at the first line that reads true.
        const bool ready = !(port.isAcknowledging() || port.isBusy() || port.hasError() ||
                             port.isPaperOut() || port.isSelected());
        port.closeDriver();
        return ready;
    } catch (...) {
        return false;
    }
}
