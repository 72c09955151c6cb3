// The series window's keypad: it takes the kiosk's keypad port over while it is open, closes on
// "*" or "#", and gives the port back when it closes.
#include "SESERIEVIDEO.h"

#include "KeypadSession.h"

#include <QCoreApplication>

void TFRMSERIEVIDEO::createKeypad(KeypadSession* kioskKeypad) {
    if (kioskKeypad == nullptr) {
        return;
    }
    m_keypad = new KeypadSession(
        kioskKeypad->settings(), [this](QObject* sender, int Count) { Comm1RxChar(sender, Count); },
        this);
    m_kioskKeypad = kioskKeypad;
    Comm1 = &m_keypad->comm();
}

void TFRMSERIEVIDEO::takeKeypadOver() {
    if (m_keypad != nullptr) {
        m_keypad->takeOverFrom(*m_kioskKeypad);
    }
}

void TFRMSERIEVIDEO::giveKeypadBack() {
    if (m_keypad != nullptr) {
        m_keypad->giveBack();
    }
}

void TFRMSERIEVIDEO::Comm1RxChar(QObject*, int) {
    char byte = 0;
    if (m_keypad->readByte(byte) && (byte == '*' || byte == '#')) {
        close();
    }
    QCoreApplication::processEvents();
}
