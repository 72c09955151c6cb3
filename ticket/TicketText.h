#pragma once

#include <QString>

// The ticket's small text helpers.

// Pads text on the left to width + 1 characters (one more than the width: the ticket prints the
// last characters of the result). Longer texts are left as they are. Always true.
bool padLeft(QString& text, int width);

// Copy of text with the Portuguese accented letters replaced by plain ones.
QString withoutAccents(const QString& text);
