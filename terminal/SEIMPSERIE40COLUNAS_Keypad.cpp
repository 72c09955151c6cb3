// The serial keypad: its set-up and shut-down, the USB keypad model's switch, a port that is
// pulled out and plugged back, and each key byte turned into what the keyboard does in the
// member or the equipment panel.
#include "SEIMPSERIE40COLUNAS.h"

#include "CommInt.h"
#include "KeypadDevices.h"
#include "KeypadPort.h"
#include "Pause.h"
#include "SEFUNCOES.h"

#include <QCoreApplication>
#include <QFrame>
#include <QLineEdit>

namespace {

constexpr QChar keyEnter(13);
constexpr QChar keyEsc(27);
constexpr int usbKeypadOn = 15;
constexpr int usbKeypadOff = 14;

void append(QLineEdit* field, QChar digit) {
    field->setText(field->text() + digit);
}

} // namespace

void TFRMIMPSERIE40COLUNAS::createKeypad() {
    Comm1 = createKeypadComm(this);
    Comm1->SetOnRxChar([this](QObject* Sender, int Count) { Comm1RxChar(Sender, Count); });
    m_keypadPort = new KeypadPort(*Comm1, this);
    m_keypadPort->BeforeRetry = [this] {
        return readyToReopenKeypad();
    };
}

void TFRMIMPSERIE40COLUNAS::setUpKeypad() {
    m_keypadSetUp = true;
    MPAD_KEYPRESS = true;
    applyKeypadSettings(*Comm1, tables.TBLCONTROLE);
    if (usbKeypad()) {
        Ativa_Destasiva_Tec12USB(0);
    }
    reopenKeypadPort();
}

void TFRMIMPSERIE40COLUNAS::shutDownKeypad() {
    try {
        closeKeypadPort();
        Comm1->SetBREAKState(true);
        Comm1->SetOnRxChar({});
        if (usbKeypad()) {
            Ativa_Destasiva_Tec12USB(1);
        }
    } catch (const std::exception&) {
        // Leaving the kiosk never fails on the keypad.
    }
}

bool TFRMIMPSERIE40COLUNAS::usbKeypad() const {
    return setting(QStringLiteral("Tec12USB")) == QStringLiteral("Sim");
}

void TFRMIMPSERIE40COLUNAS::Ativa_Destasiva_Tec12USB(int mode) {
    platform::pause(100);
    if (!sendUsbKeypadCode(mode == 0 ? usbKeypadOn : usbKeypadOff)) {
        MENSAGEM(QStringLiteral("!"), QStringLiteral("Problema na porta USB"), QString());
    }
}

// The switch knows ports by number: the digit after "COM" (only COM1 to COM9 work).
bool TFRMIMPSERIE40COLUNAS::sendUsbKeypadCode(int code) {
    const int port = static_cast<int>(textToInteger(setting(QStringLiteral("PINPAD")).mid(3, 1)));
    const int speed = tables.TBLCONTROLE.fieldInteger(QStringLiteral("VELOCIDADE"));
    const int dataBits = static_cast<int>(textToInteger(setting(QStringLiteral("DATABIT"))));
    platform::UsbKeypadSwitch& usb = platform::usbKeypadSwitch();
    const bool opened = usb.Open_Comm(port, speed, dataBits, 0, 0, 0);
    usb.send_data_rs(port, code);
    usb.Close_Comm(port);
    return opened;
}

void TFRMIMPSERIE40COLUNAS::closeKeypadPort() {
    m_keypadPort->close();
}

void TFRMIMPSERIE40COLUNAS::reopenKeypadPort() {
    m_keypadPort->open();
}

bool TFRMIMPSERIE40COLUNAS::readyToReopenKeypad() {
    return !usbKeypad() || sendUsbKeypadCode(usbKeypadOn);
}

QString TFRMIMPSERIE40COLUNAS::MyStrToAscii(const QString& text) {
    QString codes;
    for (const QChar character : text) {
        codes += QString::number(character.unicode());
    }
    return codes;
}

void TFRMIMPSERIE40COLUNAS::Comm1RxChar(QObject*, int) {
    if (!MPAD_KEYPRESS || !keypadConfigured()) {
        return;
    }
    memberStillThere();
    char byte = 0;
    if (readKeypadByte(*Comm1, byte) && !keypadByte(byte)) {
        return;
    }
    QCoreApplication::processEvents();
}

bool TFRMIMPSERIE40COLUNAS::keypadByte(char byte) {
    const QString code = MyStrToAscii(QString(QChar::fromLatin1(byte)));
    if (byte == '*' || code == QStringLiteral("27")) {
        keypadEsc();
    } else if (byte == '#' || code == QStringLiteral("13")) {
        keypadEnter();
    } else if (byte >= '0' && byte <= '9') {
        keypadDigit(QChar::fromLatin1(byte));
    } else {
        return false;
    }
    return true;
}

bool TFRMIMPSERIE40COLUNAS::equipmentPanelShown() const {
    return !PNLAPARELHO->isHidden();
}

void TFRMIMPSERIE40COLUNAS::keypadEsc() {
    if (equipmentPanelShown()) {
        if (EDTAPARELHO->text().isEmpty()) {
            SBSAIRAPARELHOClick();
        } else {
            EDTAPARELHO->clear();
        }
    } else if (EDTMATRICULA->text().isEmpty()) {
        SBSAIRClick();
    } else {
        passKey(&TFRMIMPSERIE40COLUNAS::EDTTREINOKeyPress, keyEsc);
    }
}

// BREAK holds the keypad's line while the terminal works on the key.
void TFRMIMPSERIE40COLUNAS::keypadEnter() {
    const bool equipment = equipmentPanelShown();
    if ((equipment ? EDTAPARELHO : EDTMATRICULA)->text().isEmpty()) {
        return;
    }
    Comm1->SetBREAKState(true);
    struct DropBreak {
        TComm* comm;
        ~DropBreak() { comm->SetBREAKState(false); }
    } dropBreak{Comm1};
    if (equipment) {
        passKey(&TFRMIMPSERIE40COLUNAS::EDTAPARELHOKeyPress, keyEnter);
    } else if (EDTMATRICULA->isEnabled()) {
        passKey(&TFRMIMPSERIE40COLUNAS::EDTMATRICULAKeyPress, keyEnter);
    } else {
        passKey(&TFRMIMPSERIE40COLUNAS::EDTTREINOKeyPress, keyEnter);
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
    struct HoldFieldsAgain {
        bool& hold;
        ~HoldFieldsAgain() { hold = true; }
    } holdAgain{MPAD_KEYPRESS};
    (this->*handler)(key);
}
