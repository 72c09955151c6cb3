#pragma once

#include <QColor>
#include <QFont>

class QWidget;

// The windows give their colours as the numbers the terminal has always used: 0x00BBGGRR, blue in
// the high byte (15724527 is RGB 239, 239, 239).
QColor colorFromBgr(quint32 value);

// Fills the widget's background with a colour.
void paintBackground(QWidget& widget, const QColor& color);

// Arial of the given size in points, bold or not; fontconfig supplies a metric twin where Arial
// itself is not installed.
QFont arialFont(int points, bool bold = false);
