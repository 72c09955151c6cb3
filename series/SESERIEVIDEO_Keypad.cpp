// The series window's keypad: it takes the kiosk's keypad port over while it is open, closes on
// "*" or "#", and gives the port back when it closes. A pad pulled out meanwhile, or a port that
// does not open, is tried again by name until it is back, as the kiosk's own.
#include "SESERIEVIDEO.h"

#include "CommInt.h"
#include "KeypadPort.h"
#include "Pause.h"
#include "SEIMPSERIE40COLUNAS.h"

#include <QCoreApplication>

void TFRMSERIEVIDEO::createKeypad() {
    Comm1 = createKeypadComm(this);
    Comm1->SetOnRxChar([this](QObject* Sender, int Count) { Comm1RxChar(Sender, Count); });
    m_keypadPort = new KeypadPort(*Comm1, this);
    m_keypadPort->BeforeRetry = [this] {
        return m_owner.readyToReopenKeypad();
    };
}

void TFRMSERIEVIDEO::takeKeypadOver() {
    if (!m_owner.keypadConfigured()) {
        return;
    }
    m_keypadTaken = true;
    m_owner.closeKeypadPort();
    applyKeypadSettings(*Comm1, m_owner.tables.TBLCONTROLE);
    m_keypadPort->open();
}

// Whatever becomes of this window's port, the kiosk's is opened again.
void TFRMSERIEVIDEO::giveKeypadBack() {
    if (!m_keypadTaken) {
        return;
    }
    m_keypadTaken = false;
    try {
        m_keypadPort->close();
        Comm1->SetBREAKState(true);
        Comm1->SetOnRxChar({});
        platform::pause(100);
    } catch (const std::exception&) {
        // The window closes whatever happens to its port.
    }
    m_owner.reopenKeypadPort();
}

void TFRMSERIEVIDEO::Comm1RxChar(QObject*, int) {
    char byte = 0;
    if (readKeypadByte(*Comm1, byte) && (byte == '*' || byte == '#')) {
        close();
    }
    QCoreApplication::processEvents();
}
