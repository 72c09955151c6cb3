#include "SEACESSOLOCAL.h"

#include "SEFUNCOES.h"
#include "SEPRINCIPAL.h"
#include "WindowLook.h"

#include <QShowEvent>

TPDLGACESSOLOCAL::TPDLGACESSOLOCAL(TFRMSEPRINCIPAL& owner)
    : ModalWindow(&owner)
    , m_owner(owner) {
    m_fields.build(*this, QStringLiteral("Acesso Local"), colorFromBgr(16574927),
                   colorFromBgr(0x000080)); // the name in maroon
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
    TableDataSet& operators = m_owner.TBLUSUARIOS;
    if (m_fields.codeTriesLeft()) {
        const QString code = EDTCODIGOUSUARIO->text();
        operators.first();
        if (operators.locate(QStringLiteral("CODIGO"), code)) {
            MCODIGO_USUARIO_SALVO = MCODIGO_USUARIO;
            MCODIGO_USUARIO = code.left(2);
            m_fields.startPasswordEntry(operators.fieldText(QStringLiteral("NOME")));
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
        if (EDTSENHA->text() == m_owner.TBLUSUARIOS.fieldText(QStringLiteral("SENHA"))) {
            accepted = true;
        } else {
            m_fields.wrongPassword(true);
        }
    }
    if (!m_fields.passwordTriesLeft()) {
        giveUp();
    } else if (accepted) {
        m_owner.setPanelText(1, QStringLiteral("Usuário: ") + LBLNOMEUSUARIO->text());
        accept();
    }
}

void TPDLGACESSOLOCAL::giveUp() {
    reject();
}

void TPDLGACESSOLOCAL::reject() {
    m_owner.TBLUSUARIOS.close();
    ModalWindow::reject();
}
