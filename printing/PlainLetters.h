#pragma once

#include <QString>

// A copy of text in which each character found in `accented` becomes the character at the same
// position of `plain`; every other character, and the length, stay as they are. Printers
// without accented letters get the plain ones.
QString replaceLetters(QString text, const QString& accented, const QString& plain);

// A copy of text in which each control character (an escape, a form feed, a line break) is one
// blank, the length kept: a character printer takes it as a command, and a font draws it with no
// width; either way the columns after it would move.
QString blankControls(QString text);
