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
