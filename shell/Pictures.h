#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

// The windows' pictures, compiled into the program from resources/pictures.
QPixmap picture(const QString& name);

// A button glyph of two images side by side, as the terminal's buttons have always had them:
// the left half for the normal state, the right half for the disabled state.
QIcon twoStateGlyph(const QString& name);
