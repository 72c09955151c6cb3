// The serial keypad: its session set up when the kiosk opens and shut down when it is left, and
// each key byte turned into what the keyboard does in the member or the equipment panel.
#include "KioskWindow.h"

#include "KeyChar.h"
#include "KeypadSession.h"

#include <QCoreApplication>
#include <QFrame>
#include <QLineEdit>
#include <QScopeGuard>

namespace {

void append(QLineEdit* field, QChar digit) {
    field->setText(field->text() + digit);
}

} // namespace

void KioskWindow::setUpKeypad(const KeypadSettings& settings) {
    keypadTyping = true;
    m_keypad = new KeypadSession(
        settings, [this](QObject* sender, int count) { keypadBytesReceived(sender, count); }, this);
    keypadPort = &m_keypad->comm();
    m_keypad->setUp();
}

bool KioskWindow::keypadConfigured() const {
    return m_keypad != nullptr;
}

void KioskWindow::keypadBytesReceived(QObject*, int) {
    if (!keypadTyping || !keypadConfigured()) {
        return;
    }
    char byte = 0;
    if (m_keypad->readByte(byte) && !keypadByte(byte)) {
        return;
    }
    QCoreApplication::processEvents();
}

bool KioskWindow::keypadByte(char byte) {
    const QString code = decimalCodes(QString(QChar::fromLatin1(byte)));
    const bool esc = byte == '*' || code == QStringLiteral("27");
    const bool enter = byte == '#' || code == QStringLiteral("13");
    const bool digit = byte >= '0' && byte <= '9';
    if (!esc && !enter && !digit) {
        return false;
    }
    // Noise on the line is nobody at the kiosk; only a real key keeps a member on screen.
    memberStillThere();
    if (esc) {
        keypadEsc();
    } else if (enter) {
        keypadEnter();
    } else {
        keypadDigit(QChar::fromLatin1(byte));
    }
    return true;
}

bool KioskWindow::equipmentPanelShown() const {
    return !machinePanel->isHidden();
}

void KioskWindow::keypadEsc() {
    if (equipmentPanelShown()) {
        if (machineEdit->text().isEmpty()) {
            exitClicked();
        } else {
            machineEdit->clear();
        }
    } else if (enrolmentEdit->text().isEmpty()) {
        exitClicked();
    } else {
        passKey(&KioskWindow::workoutKey, platform::keyEsc);
    }
}

// BREAK holds the keypad's line while the terminal works on the key.
void KioskWindow::keypadEnter() {
    const bool equipment = equipmentPanelShown();
    if ((equipment ? machineEdit : enrolmentEdit)->text().isEmpty()) {
        return;
    }
    keypadPort->setBreak(true);
    const auto dropBreak = qScopeGuard([comm = keypadPort] { comm->setBreak(false); });
    if (equipment) {
        passKey(&KioskWindow::machineKey, platform::keyEnter);
    } else if (enrolmentEdit->isEnabled()) {
        passKey(&KioskWindow::enrolmentKey, platform::keyEnter);
    } else {
        passKey(&KioskWindow::workoutKey, platform::keyEnter);
    }
}

void KioskWindow::keypadDigit(QChar digit) {
    if (equipmentPanelShown()) {
        if (machineEdit->text().size() < 3) {
            append(machineEdit, digit);
        }
    } else if (enrolmentEdit->isEnabled()) {
        if (enrolmentEdit->text().size() < 10) {
            append(enrolmentEdit, digit);
        }
    } else if (digit < QLatin1Char('6') && workoutEdit->text().isEmpty()) {
        append(workoutEdit, digit);
    }
}

// A handler that fails (a ticket whose printer went away) must not leave the keypad shut out:
// the fields are the keypad's again however the handler ends.
void KioskWindow::passKey(void (KioskWindow::*handler)(QChar&), QChar key) {
    keypadTyping = false;
    const auto holdFieldsAgain = qScopeGuard([this] { keypadTyping = true; });
    (this->*handler)(key);
}
