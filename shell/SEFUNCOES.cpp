#include "SEFUNCOES.h"

#include "MessageBox.h"

#include <QApplication>

int MENSAGEM(const QString& kind, const QString& text1, const QString& text2)
{
    QApplication::beep();
    const bool information = kind == QStringLiteral("!");
    platform::Message message;
    message.caption = QStringLiteral("Palendra");
    message.text = text1 + QLatin1Char(' ') + text2;
    message.icon = information ? platform::MessageIcon::Information : platform::MessageIcon::Question;
    message.buttons = information ? platform::MessageButtons::Ok : platform::MessageButtons::YesNo;
    return platform::showMessage(message);
}

bool COMPLETA_ESPACOS(QString& text, int width)
{
    const int length = static_cast<int>(text.size());
    if (length <= width) {
        text.prepend(QString(width - length + 1, QLatin1Char(' ')));
    }
    return true;
}

QString TIRA_ACENTOS(const QString& text)
{
    static const QString from = QStringLiteral("àâêôûãõáéíóúçüÀÂÊÔÛÃÕÁÉÍÓÚÇÜ");
    static const QString to = QStringLiteral("aaeouaoaeioucuAAEOUAOAEIOUCU");
    QString result = text;
    for (QChar& c : result) {
        const qsizetype at = from.indexOf(c);
        if (at >= 0) {
            c = to.at(at);
        }
    }
    return result;
}
