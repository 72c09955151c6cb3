#include "PlainLetters.h"

QString replaceLetters(QString text, const QString& accented, const QString& plain) {
    for (QChar& c : text) {
        const qsizetype at = accented.indexOf(c);
        if (at >= 0) {
            c = plain.at(at);
        }
    }
    return text;
}

QString blankControls(QString text) {
    for (QChar& character : text) {
        if (character.category() == QChar::Other_Control) {
            character = QLatin1Char(' ');
        }
    }
    return text;
}
