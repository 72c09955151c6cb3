// The series window's keypad: it takes the kiosk's keypad port over while it is open, closes on
// "*" or "#", and gives the port back when it closes.
#include "SESERIEVIDEO.h"

#include "CommInt.h"
#include "KeypadPort.h"
#include "Pause.h"
#include "SEIMPSERIE40COLUNAS.h"

#include <QCoreApplication>

void TFRMSERIEVIDEO::createKeypad() {
    Comm1 = createKeypadComm(this);
    Comm1->SetOnRxChar([this](QObject* Sender, int Count) { Comm1RxChar(Sender, Count); });
}

void TFRMSERIEVIDEO::takeKeypadOver() {
    if (!m_owner.keypadConfigured()) {
        return;
    }
    m_keypadTaken = true;
    m_owner.closeKeypadPort();
    applyKeypadSettings(*Comm1, m_owner.TBLCONTROLE);
    Comm1->Open();
}

void TFRMSERIEVIDEO::giveKeypadBack() {
    if (!m_keypadTaken) {
        return;
    }
    try {
        Comm1->Close();
        Comm1->SetBREAKState(true);
        Comm1->SetOnRxChar({});
        platform::pause(100);
        m_owner.reopenKeypadPort();
    } catch (const std::exception&) {
        // The window closes whatever happens to the port.
    }
}

void TFRMSERIEVIDEO::Comm1RxChar(QObject*, int) {
    char byte = 0;
    if (readKeypadByte(*Comm1, byte) && (byte == '*' || byte == '#')) {
        close();
    }
    QCoreApplication::processEvents();
}
