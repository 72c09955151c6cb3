#include "KeyChar.h"

#include <QKeyEvent>

namespace platform {

QChar keyCharOf(const QKeyEvent& event) {
    switch (event.key()) {
    case Qt::Key_Escape:
        return QChar(27);
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return QChar(13);
    case Qt::Key_Backspace:
        return QChar(8);
    default:
        return event.text().isEmpty() ? QChar() : event.text().at(0);
    }
}

} // namespace platform
