#include "SEFUNCOES.h"

#include "Database.h"
#include "MessageBox.h"
#include "PlainLetters.h"
#include "Schema.h"
#include "VicPort.h"

#include <QApplication>
#include <QRegularExpression>

#include <cstdint>

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

bool COMPLETA_ESPACOS(QString& text, int width) {
    const int length = static_cast<int>(text.size());
    if (length <= width) {
        text.prepend(QString(width - length + 1, QLatin1Char(' ')));
    }
    return true;
}

QString TIRA_ACENTOS(const QString& text) {
    static const QString from = QStringLiteral("àâêôûãõáéíóúçüÀÂÊÔÛÃÕÁÉÍÓÚÇÜ");
    static const QString to = QStringLiteral("aaeouaoaeioucuAAEOUAOAEIOUCU");
    return replaceLetters(text, from, to);
}

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
