#include "TicketText.h"

#include "PlainLetters.h"

bool padLeft(QString& text, int width) {
    const int length = static_cast<int>(text.size());
    if (length <= width) {
        text.prepend(QString(width - length + 1, QLatin1Char(' ')));
    }
    return true;
}

QString withoutAccents(const QString& text) {
    static const QString from = QStringLiteral("àâêôûãõáéíóúçüÀÂÊÔÛÃÕÁÉÍÓÚÇÜ");
    static const QString to = QStringLiteral("aaeouaoaeioucuAAEOUAOAEIOUCU");
    return replaceLetters(text, from, to);
}
