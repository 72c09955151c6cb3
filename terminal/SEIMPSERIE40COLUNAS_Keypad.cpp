// The serial keypad: its session set up when the kiosk opens and shut down when it is left, and
// each key byte turned into what the keyboard does in the member or the equipment panel.
#include "SEIMPSERIE40COLUNAS.h"

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

void TFRMIMPSERIE40COLUNAS::setUpKeypad(const KeypadSettings& settings) {
    MPAD_KEYPRESS = true;
    m_keypad = new KeypadSession(
        settings, [this](QObject* sender, int Count) { keypadBytesReceived(sender, Count); }, this);
    keypadPort = &m_keypad->comm();
    m_keypad->setUp();
}

bool TFRMIMPSERIE40COLUNAS::keypadConfigured() const {
    return m_keypad != nullptr;
}

void TFRMIMPSERIE40COLUNAS::keypadBytesReceived(QObject*, int) {
    if (!MPAD_KEYPRESS || !keypadConfigured()) {
        return;
    }
    char byte = 0;
    if (m_keypad->readByte(byte) && !keypadByte(byte)) {
        return;
    }
    QCoreApplication::processEvents();
}

bool TFRMIMPSERIE40COLUNAS::keypadByte(char byte) {
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

bool TFRMIMPSERIE40COLUNAS::equipmentPanelShown() const {
    return !PNLAPARELHO->isHidden();
}

void TFRMIMPSERIE40COLUNAS::keypadEsc() {
    if (equipmentPanelShown()) {
        if (EDTAPARELHO->text().isEmpty()) {
            SBSAIRClick();
        } else {
            EDTAPARELHO->clear();
        }
    } else if (EDTMATRICULA->text().isEmpty()) {
        SBSAIRClick();
    } else {
        passKey(&TFRMIMPSERIE40COLUNAS::EDTTREINOKeyPress, platform::keyEsc);
    }
}

// BREAK holds the keypad's line while the terminal works on the key.
void TFRMIMPSERIE40COLUNAS::keypadEnter() {
    const bool equipment = equipmentPanelShown();
    if ((equipment ? EDTAPARELHO : EDTMATRICULA)->text().isEmpty()) {
        return;
    }
    keypadPort->setBreak(true);
    const auto dropBreak = qScopeGuard([comm = keypadPort] { comm->setBreak(false); });
    if (equipment) {
        passKey(&TFRMIMPSERIE40COLUNAS::EDTAPARELHOKeyPress, platform::keyEnter);
    } else if (EDTMATRICULA->isEnabled()) {
        passKey(&TFRMIMPSERIE40COLUNAS::EDTMATRICULAKeyPress, platform::keyEnter);
    } else {
        passKey(&TFRMIMPSERIE40COLUNAS::EDTTREINOKeyPress, platform::keyEnter);
    }
}

void TFRMIMPSERIE40COLUNAS::keypadDigit(QChar digit) {
    if (equipmentPanelShown()) {
        if (EDTAPARELHO->text().size() < 3) {
            append(EDTAPARELHO, digit);
        }
    } else if (EDTMATRICULA->isEnabled()) {
        if (EDTMATRICULA->text().size() < 10) {
            append(EDTMATRICULA, digit);
        }
    } else if (digit < QLatin1Char('6') && EDTTREINO->text().isEmpty()) {
        append(EDTTREINO, digit);
    }
}

// A handler that fails (a ticket whose printer went away) must not leave the keypad shut out:
// the fields are the keypad's again however the handler ends.
void TFRMIMPSERIE40COLUNAS::passKey(void (TFRMIMPSERIE40COLUNAS::*handler)(QChar&), QChar key) {
    MPAD_KEYPRESS = false;
    const auto holdFieldsAgain = qScopeGuard([this] { MPAD_KEYPRESS = true; });
    (this->*handler)(key);
}
