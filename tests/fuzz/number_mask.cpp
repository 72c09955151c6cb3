// The printers' number masks: a double and a mask from the bytes. Whatever the mask, the padded
// text is at least as long as it; a mask of digits alone ("#,##0.00") gives a number that reads
// back as the value, rounded to the mask's decimals, and never "-0".
#include "FuzzSupport.h"
#include "NumberMask.h"

#include <QLocale>

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

// Masks of the tickets are a few characters; this leaves room for every kind of placeholder.
constexpr qsizetype maxMaskLength = 64;

bool digitsAlone(const QString& mask) {
    for (const QChar c : mask) {
        if (c != QLatin1Char('0') && c != QLatin1Char('#') && c != QLatin1Char('.') &&
            c != QLatin1Char(',')) {
            return false;
        }
    }
    return true;
}

// Digit placeholders after the first ".".
int decimalsOf(const QString& mask) {
    const qsizetype point = mask.indexOf(QLatin1Char('.'));
    return point < 0 ? 0
                     : int(mask.mid(point + 1).count(QLatin1Char('0')) +
                           mask.mid(point + 1).count(QLatin1Char('#')));
}

// The number the text stands for in the locale's separators; 0 for no digits. Read as a long
// double: near the largest double, 15 digits rounded up stand for a number past it.
long double readBack(QString text) {
    const QLocale locale;
    text.remove(locale.groupSeparator());
    text.replace(locale.decimalPoint(), QLatin1String("."));
    const QByteArray plain = text.toLatin1();
    for (const char c : plain) {
        check((c >= '0' && c <= '9') || c == '.' || c == '-', "a digits mask gave another sign");
    }
    return std::strtold(plain.constData(), nullptr);
}

void checkDigitsMask(const QString& mask, double value) {
    const QString text = formatFloat(mask, value);
    const long double back = readBack(text);
    check(!(back == 0 && text.startsWith(QLatin1Char('-'))), "a zero printed with a minus sign");
    // Rounded to the mask's decimals, from the value's 15 significant digits.
    const long double allowed =
        0.5L * std::pow(10.0L, -decimalsOf(mask)) * (1 + 1e-9L) + std::fabs(value) * 1e-14L;
    check(std::fabs(back - value) <= allowed, "the number does not read back as the value");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The gym's locale: "." groups thousands, "," is the decimal point.
    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    double value = 0;
    const QByteArray valueBytes = input.bytes(sizeof value);
    std::memcpy(&value, valueBytes.constData(), std::size_t(valueBytes.size()));
    const QString mask = QString::fromUtf8(input.rest()).left(maxMaskLength);

    check(maskedNumber(mask, value).size() >= mask.size(),
          "the masked number is shorter than the mask");
    if (std::isfinite(value) && digitsAlone(mask)) {
        checkDigitsMask(mask, value);
    }
    return 0;
}
