#include "TextHelpers.h"

#include "Database.h"

#include <QRegularExpression>

qlonglong textToInteger(const QString& text) {
    static const QRegularExpression wholeNumber(QStringLiteral("^[+-]?[0-9]{1,18}$"));
    if (!wholeNumber.match(text).hasMatch()) {
        throw ConversionError(
            QStringLiteral("'%1' is not a valid integer value").arg(text).toStdString());
    }
    return text.toLongLong();
}

QString workoutLetter(int number) {
    return number >= 1 && number <= 5 ? QString(QChar(u'A' + number - 1)) : QString();
}

WeekdayFlags weekdaysOf(const DataSet& row) {
    WeekdayFlags days{};
    for (size_t day = 0; day < days.size(); ++day) {
        days[day] = row.fieldBoolean(schema::weekdayColumns().at(qsizetype(day)));
    }
    return days;
}
