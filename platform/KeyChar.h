#pragma once

#include <QChar>

class QKeyEvent;

namespace platform {

// The character a key press stands for, as the windows' key handlers take it: 27 Esc, 13 Enter,
// 8 Backspace, else the typed character; null for keys that type nothing (arrows, function keys).
QChar keyCharOf(const QKeyEvent& event);

} // namespace platform
