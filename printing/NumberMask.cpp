#include "NumberMask.h"

#include <QLocale>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

using namespace std::literals;

namespace {

// Decimal digits of a magnitude, rounded half away from zero to a number of decimals.
struct Decimal {
    QString integerDigits;  // without leading zeros, empty for zero
    QString fractionDigits; // exactly `decimals` digits
};

Decimal roundedDecimal(double magnitude, int decimals) {
    // 15 significant digits, as many as a double holds faithfully: 1.005 is taken as written.
    char text[32];
    std::snprintf(text, sizeof text, "%.14e", magnitude);
    // A leading zero takes the carry of a rounding such as 9.6 -> 10.
    std::string digits = "0"s + text[0] + std::string(text + 2, 14);
    const int pointAt = std::atoi(text + 17) + 2; // digits before the decimal point
    const int keep = pointAt + decimals;
    if (keep <= 0) {
        digits.clear();
    } else if (keep < int(digits.size())) {
        const bool up = digits[std::size_t(keep)] >= '5';
        digits.resize(std::size_t(keep));
        for (int at = keep - 1; up && at >= 0; --at) {
            char& digit = digits[std::size_t(at)];
            digit = digit == '9' ? '0' : char(digit + 1);
            if (digit != '0') {
                break;
            }
        }
    }
    auto digitAt = [&digits](int index) {
        return index >= 0 && index < int(digits.size()) ? QLatin1Char(digits[std::size_t(index)])
                                                        : QLatin1Char('0');
    };
    Decimal result;
    for (int index = 0; index < pointAt; ++index) {
        if (!result.integerDigits.isEmpty() || digitAt(index) != QLatin1Char('0')) {
            result.integerDigits += digitAt(index);
        }
    }
    for (int index = pointAt; index < keep; ++index) {
        result.fractionDigits += digitAt(index);
    }
    return result;
}

QString grouped(const QString& digits, const QString& separator) {
    QString result = digits;
    for (qsizetype at = result.size() - 3; at > 0; at -= 3) {
        result.insert(at, separator);
    }
    return result;
}

bool isPlaceholder(QChar c) {
    return c == QLatin1Char('0') || c == QLatin1Char('#') || c == QLatin1Char('.') ||
           c == QLatin1Char(',');
}

} // namespace

// The format-float mask language: text before and after the placeholders is copied, "0" forces a
// digit, "#" shows it when significant, the first "." places the decimal point and any "," groups
// thousands.
QString formatFloat(const QString& mask, double value) {
    if (!std::isfinite(value)) {
        return std::isnan(value) ? QStringLiteral("NAN")
                                 : (value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF"));
    }
    qsizetype first = 0;
    while (first < mask.size() && !isPlaceholder(mask.at(first))) {
        ++first;
    }
    qsizetype last = mask.size();
    while (last > first && !isPlaceholder(mask.at(last - 1))) {
        --last;
    }
    const QString body = mask.mid(first, last - first);
    const qsizetype point = body.indexOf(QLatin1Char('.'));
    const QString integerMask = point < 0 ? body : body.left(point);
    const QString fractionMask = point < 0 ? QString() : body.mid(point + 1);

    const qsizetype firstZero = integerMask.indexOf(QLatin1Char('0'));
    const int minimumIntegerDigits = firstZero < 0
                                         ? 0
                                         : int(integerMask.mid(firstZero).count(QLatin1Char('0')) +
                                               integerMask.mid(firstZero).count(QLatin1Char('#')));
    int maximumDecimals = 0;
    int minimumDecimals = 0;
    for (const QChar c : fractionMask) {
        if (c == QLatin1Char('0') || c == QLatin1Char('#')) {
            ++maximumDecimals;
        }
        if (c == QLatin1Char('0')) {
            minimumDecimals = maximumDecimals;
        }
    }

    const Decimal decimal = roundedDecimal(std::fabs(value), maximumDecimals);
    QString fraction = decimal.fractionDigits;
    while (fraction.size() > minimumDecimals && fraction.endsWith(QLatin1Char('0'))) {
        fraction.chop(1);
    }
    QString integer = decimal.integerDigits.rightJustified(minimumIntegerDigits, QLatin1Char('0'));
    const QLocale locale;
    if (integerMask.contains(QLatin1Char(','))) {
        integer = grouped(integer, locale.groupSeparator());
    }
    const bool nonZero =
        !decimal.integerDigits.isEmpty() ||
        decimal.fractionDigits.count(QLatin1Char('0')) != decimal.fractionDigits.size();
    QString number = integer;
    if (!fraction.isEmpty()) {
        number += locale.decimalPoint() + fraction;
    }
    // The minus sign goes in front of the whole text, the mask's own text included.
    const QString sign = value < 0 && nonZero ? QStringLiteral("-") : QString();
    return sign + mask.left(first) + number + mask.mid(last);
}

QString maskedNumber(const QString& mask, double value) {
    return formatFloat(mask, value).rightJustified(mask.size(), QLatin1Char(' '));
}
