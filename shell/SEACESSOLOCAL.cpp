#include "SEACESSOLOCAL.h"

#include "SEFUNCOES.h"
#include "WindowLook.h"

#include <QShowEvent>

TPDLGACESSOLOCAL::TPDLGACESSOLOCAL(KeyedTable& operators, QWidget* owner)
    : ModalWindow(owner)
    , m_operators(operators) {
    m_fields.build(*this, QStringLiteral("Acesso Local"), colorFromBgr(16574927),
                   colorFromBgr(0x000080)); // the name in maroon
}

bool TPDLGACESSOLOCAL::run() {
    return exec() == Accepted;
}

void TPDLGACESSOLOCAL::showEvent(QShowEvent* event) {
    ModalWindow::showEvent(event);
    EDTCODIGOUSUARIO->setFocus();
}

bool TPDLGACESSOLOCAL::eventFilter(QObject* watched, QEvent* event) {
    // Enter and Escape both submit, in either field.
    if (fieldKeyOf(event) == FieldKey::None) {
        return ModalWindow::eventFilter(watched, event);
    }
    if (watched == EDTCODIGOUSUARIO) {
        codeSubmitted();
    } else {
        passwordSubmitted();
    }
    return true;
}

void TPDLGACESSOLOCAL::codeSubmitted() {
    if (m_fields.codeTriesLeft()) {
        const QString code = EDTCODIGOUSUARIO->text();
        m_operators.first();
        if (m_operators.locate(QStringLiteral("CODIGO"), code)) {
            m_fields.startPasswordEntry(m_operators.fieldText(QStringLiteral("NOME")));
        } else {
            m_fields.codeNotRegistered(true);
        }
    }
    if (!m_fields.codeTriesLeft()) {
        giveUp();
    }
}

void TPDLGACESSOLOCAL::passwordSubmitted() {
    bool accepted = false;
    if (m_fields.passwordTriesLeft()) {
        if (m_fields.passwordRefused()) {
            return;
        }
        if (EDTSENHA->text() == m_operators.fieldText(QStringLiteral("SENHA"))) {
            accepted = true;
        } else {
            m_fields.wrongPassword(true);
        }
    }
    if (!m_fields.passwordTriesLeft()) {
        giveUp();
    } else if (accepted) {
        accept();
    }
}

void TPDLGACESSOLOCAL::giveUp() {
    reject();
}
