#pragma once

#include <QString>

// The format-float mask language of the printers' number masks: "0" a digit always shown, "#" a
// digit shown when significant, the first "." places the locale's decimal separator and any ","
// groups thousands with the locale's separator; text before and after the digits is copied.
// Values are rounded half away from zero, taking a double's 15 significant digits as written
// (1.005 rounds to 1.01). No ";" sections and no exponents.
QString formatFloat(const QString& mask, double value);

// The number formatted with the mask and left-padded with spaces to the mask's length; a result
// already as long or longer is returned as it is.
QString maskedNumber(const QString& mask, double value);
