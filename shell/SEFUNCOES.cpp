#include "SEFUNCOES.h"

#include "Database.h"
#include "MessageBox.h"
#include "Schema.h"

#include <QApplication>
#include <QRegularExpression>

int MENSAGEM(const QString& kind, const QString& text1, const QString& text2) {
    QApplication::beep();
    const bool information = kind == QStringLiteral("!");
    platform::Message message;
    message.caption = QStringLiteral("Palendra");
    message.text = text1 + QLatin1Char(' ') + text2;
    message.icon =
        information ? platform::MessageIcon::Information : platform::MessageIcon::Question;
    message.buttons = information ? platform::MessageButtons::Ok : platform::MessageButtons::YesNo;
    return platform::showMessage(message);
}

bool openTableOrSay(DataSet& table, const QString& name) {
    try {
        table.open();
        return true;
    } catch (const DatabaseError&) {
        table.close();
        MENSAGEM(QStringLiteral("!"), msg::AberturaDeTabela, name);
        return false;
    }
}

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
