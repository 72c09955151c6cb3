// The series window's keypad: it takes the kiosk's keypad port over while it is open, closes on
// "*" or "#", and gives the port back when it closes.
#include "SeriesWindow.h"

#include "KeypadSession.h"

#include <QCoreApplication>

void SeriesWindow::createKeypad(KeypadSession* kioskKeypad) {
    if (kioskKeypad == nullptr) {
        return;
    }
    m_keypad = new KeypadSession(
        kioskKeypad->settings(),
        [this](QObject* sender, int count) { keypadBytesReceived(sender, count); }, this);
    m_kioskKeypad = kioskKeypad;
    keypadPort = &m_keypad->comm();
}

void SeriesWindow::takeKeypadOver() {
    if (m_keypad != nullptr) {
        m_keypad->takeOverFrom(*m_kioskKeypad);
    }
}

void SeriesWindow::giveKeypadBack() {
    if (m_keypad != nullptr) {
        m_keypad->giveBack();
    }
}

void SeriesWindow::keypadBytesReceived(QObject*, int) {
    char byte = 0;
    if (m_keypad->readByte(byte) && (byte == '*' || byte == '#')) {
        close();
    }
    QCoreApplication::processEvents();
}
