#pragma once

#include <QChar>

#include <functional>

class QKeyEvent;
class QLineEdit;

namespace platform {

// The characters of the keys the windows' handlers act on; a handler discards a key by setting
// it to keyDiscarded.
constexpr QChar keyDiscarded(0);
constexpr QChar keyBackspace(8);
constexpr QChar keyEnter(13);
constexpr QChar keyEsc(27);
constexpr QChar keySpace(32);

// The character a key press stands for, as the windows' key handlers take it: 27 Esc, 13 Enter,
// 8 Backspace, else the typed character; null for keys that type nothing (arrows, function keys,
// Delete, whose text is U+007F on some systems).
QChar keyCharOf(const QKeyEvent& event);

// Text that reaches a field other than by typed keys (pasted, dropped, from an input method) goes
// through the field's key filter as if each character were typed: `keeps` says whether the filter
// keeps a character. What it refuses is taken out again at once, and so is every character that
// is not printable (a pasted line end must not stand for Enter).
void filterUntypedText(QLineEdit& field, std::function<bool(QChar)> keeps);

} // namespace platform
