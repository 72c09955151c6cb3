#pragma once

#include <QString>

// A copy of text in which each character found in `accented` becomes the character at the same
// position of `plain`; every other character, and the length, stay as they are. Printers
// without accented letters get the plain ones.
QString replaceLetters(QString text, const QString& accented, const QString& plain);
