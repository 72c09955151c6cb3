#pragma once

#include <QString>

// True when the printer on the parallel port at the base address (hexadecimal digits without
// prefix, as ENDERECO_PORTA holds them) is ready to take data. Text that is not a hexadecimal
// number tests the second parallel port (278). Any failure of the port access means not ready.
bool parallelPrinterReady(const QString& address);
