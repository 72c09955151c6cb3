#include "WindowLook.h"

#include <QPalette>
#include <QWidget>

QColor colorFromBgr(quint32 value) {
    return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                  static_cast<int>((value >> 16) & 0xFF));
}

void paintBackground(QWidget& widget, const QColor& color) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, color);
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}

QFont arialFont(int points, bool bold) {
    QFont font(QStringLiteral("Arial"), points);
    font.setBold(bold);
    return font;
}
