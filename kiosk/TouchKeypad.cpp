#include "TouchKeypad.h"

#include "Touch.h"
#include "WindowLook.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QPointer>
#include <QScreen>
#include <QToolButton>

#include <algorithm>
#include <cmath>

namespace {

constexpr double keyMillimetres = 15.0;
// Assumed when the screen does not tell its size.
constexpr double fallbackPixelsPerMillimetre = 96.0 / 25.4;
constexpr int gap = 8;
constexpr int textMargin = 10;

const QString eraseText = QStringLiteral("Apaga");
const QString enterText = QStringLiteral("Entra");

QFont digitFont() {
    return arialFont(20, true);
}

QFont wordFont() {
    return arialFont(12, true);
}

double pixelsPerMillimetre(const QScreen* screen) {
    if (screen == nullptr || screen->physicalSize().width() <= 0) {
        return fallbackPixelsPerMillimetre;
    }
    return screen->geometry().width() / screen->physicalSize().width();
}

} // namespace

TouchKeypad::TouchKeypad(QWidget* parent, int keySide)
    : QFrame(parent) {
    setFrameShape(QFrame::NoFrame);
    for (int digit = 1; digit <= 9; ++digit) {
        addKey(QString::number(digit), static_cast<Qt::Key>(Qt::Key_0 + digit), (digit - 1) / 3,
               (digit - 1) % 3, keySide);
    }
    addKey(eraseText, Qt::Key_Backspace, 3, 0, keySide);
    addKey(QStringLiteral("0"), Qt::Key_0, 3, 1, keySide);
    addKey(enterText, Qt::Key_Return, 3, 2, keySide);
    resize(3 * keySide + 2 * gap, 4 * keySide + 3 * gap);
}

void TouchKeypad::addKey(const QString& text, Qt::Key typed, int row, int column, int side) {
    auto* button = new QToolButton(this);
    button->setText(text);
    button->setFont(text.size() == 1 ? digitFont() : wordFont());
    button->setFocusPolicy(Qt::NoFocus);
    button->setGeometry(column * (side + gap), row * (side + gap), side, side);
    const QString typedText = typed == Qt::Key_Backspace ? QStringLiteral("\b")
                              : typed == Qt::Key_Return  ? QStringLiteral("\r")
                                                         : text;
    connect(button, &QToolButton::clicked, this,
            [this, typed, typedText] { type(typed, typedText); });
    new platform::Taps(
        *button, [this, typed, typedText](QPoint) { type(typed, typedText); },
        [button](bool down) { button->setDown(down); });
    m_keys.push_back(button);
}

void TouchKeypad::type(Qt::Key typed, const QString& text) {
    const QPointer<QWidget> field = window()->focusWidget();
    if (field == nullptr) {
        return;
    }
    QKeyEvent press(QEvent::KeyPress, typed, Qt::NoModifier, text);
    QCoreApplication::sendEvent(field, &press);
    if (field != nullptr) {
        QKeyEvent release(QEvent::KeyRelease, typed, Qt::NoModifier, text);
        QCoreApplication::sendEvent(field, &release);
    }
}

QToolButton* TouchKeypad::key(const QString& text) const {
    const auto found = std::find_if(m_keys.begin(), m_keys.end(), [&text](const QToolButton* key) {
        return key->text() == text;
    });
    return found == m_keys.end() ? nullptr : *found;
}

int TouchKeypad::keySideOn(const QScreen* screen) {
    const int forFinger = static_cast<int>(std::ceil(keyMillimetres * pixelsPerMillimetre(screen)));
    const QFontMetrics words(wordFont());
    const int forText =
        std::max(words.horizontalAdvance(eraseText), words.horizontalAdvance(enterText)) +
        2 * textMargin;
    const int wanted = std::max(forFinger, forText);
    if (screen == nullptr) {
        return wanted;
    }
    // A screen that misreports its size must still hold the keypad.
    const int fitting = (screen->availableGeometry().height() * 3 / 4 - 3 * gap) / 4;
    return std::min(wanted, fitting);
}

bool touchKeypadWanted(bool serialKeypad) {
    if (serialKeypad) {
        return false;
    }
    const QByteArray chosen = qgetenv("SE_TOUCH_KEYPAD");
    if (chosen == "1") {
        return true;
    }
    if (chosen == "0") {
        return false;
    }
    return platform::hasTouchScreen();
}
