#include "Messages.h"

#include "Database.h"
#include "MessageBox.h"

#include <QApplication>

int showMessage(MessageKind kind, const QString& text1, const QString& text2) {
    QApplication::beep();
    const bool information = kind == MessageKind::Information;
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
        showMessage(MessageKind::Information, msg::AberturaDeTabela, name);
        return false;
    }
}
