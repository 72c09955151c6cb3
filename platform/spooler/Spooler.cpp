#include "Spooler.h"

#include "Backends.h"

namespace platform {
namespace {

QString& chosenPrinter() {
    static QString name;
    return name;
}

} // namespace

Spooler& spooler() {
    return backends().spooler();
}

QString currentPrinterName() {
    const QString& chosen = chosenPrinter();
    return chosen.isEmpty() ? spooler().defaultPrinterName() : chosen;
}

void setCurrentPrinterName(const QString& name) {
    chosenPrinter() = name;
}

} // namespace platform
