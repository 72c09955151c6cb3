#pragma once

#include <QFrame>
#include <QString>

#include <vector>

class QScreen;
class QToolButton;

// The kiosk's keypad for fingers, for a PC with a touch screen and no serial keypad: the digits,
// "Apaga" (the last digit) and "Entra". A key touched or clicked is typed into the window's field
// with the focus, as the same key of the keyboard would be: the field's own rules decide what it
// does.
class TouchKeypad : public QFrame {
public:
    // keySide: the side of a key, in pixels.
    TouchKeypad(QWidget* parent, int keySide);

    // The key with this text on it.
    QToolButton* key(const QString& text) const;

    // A key's side on the screen: about 15 mm, never too small for its text, and small enough for
    // the keypad to take no more than three quarters of the screen's height.
    static int keySideOn(const QScreen* screen);

private:
    void addKey(const QString& text, Qt::Key typed, int row, int column, int side);
    void type(Qt::Key typed, const QString& text);

    std::vector<QToolButton*> m_keys;
};

// Whether the kiosk shows the keypad for fingers: on a PC whose touch screen Qt lists, unless
// SE_TOUCH_KEYPAD says otherwise ("1" shows it, "0" hides it). A kiosk with a serial keypad never
// shows it: its fields take keys from that keypad alone.
bool touchKeypadWanted(bool serialKeypad);
