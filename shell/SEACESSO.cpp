#include "SEACESSO.h"

#include "SEFUNCOES.h"
#include "SEPRINCIPAL.h"
#include "Schema.h"
#include "TerminalApplication.h"
#include "WindowLook.h"

#include <QCloseEvent>
#include <QCoreApplication>

TPDLGACESSO::TPDLGACESSO(QWidget* owner)
    : ModalWindow(owner) {
    m_fields.build(*this, QStringLiteral("Acesso"), colorFromBgr(16510423),
                   colorFromBgr(10485760));

    Connection* palendra =
        FRMSEPRINCIPAL != nullptr ? &FRMSEPRINCIPAL->ADOConnectionPalendra : nullptr;
    TBLUSUARIOS.setConnection(palendra);
    TBLUSUARIOS.setTableName(QStringLiteral("Usuarios"));
    TBLUSUARIOS.setDeclaredColumns(
        {QStringLiteral("CODIGO"), QStringLiteral("NOME"), QStringLiteral("SENHA")});
    TBLCONTROLE.setConnection(palendra);
    TBLCONTROLE.setTableName(QStringLiteral("Secvar"));
    TBLCONTROLE.setDeclaredColumns(schema::columnRange(QStringLiteral("Secvar"),
                                                       QStringLiteral("ACADEMIA"),
                                                       QStringLiteral("POR_CODIGO_APARELHO")));
}

bool TPDLGACESSO::ABRE_TABELAS() {
    return MCONTROLE_OK && openTableOrSay(TBLCONTROLE, QStringLiteral("CONTROLE")) &&
           openTableOrSay(TBLUSUARIOS, QStringLiteral("USUARIOS"));
}

void TPDLGACESSO::showEvent(QShowEvent* event) {
    ModalWindow::showEvent(event);
    if (!event->spontaneous()) {
        FormShow();
    }
}

void TPDLGACESSO::FormShow() {
    if (!ABRE_TABELAS()) {
        if (!MCONTROLE_OK) {
            MENSAGEM(QStringLiteral("!"), msg::AssistenciaTecnica,
                     QStringLiteral("Problema na Rede ou não está Ativa !"));
        }
        done(Rejected);
        if (FRMSEPRINCIPAL != nullptr) {
            FRMSEPRINCIPAL->close();
        }
        shell::terminateApplication();
        return;
    }
    QCoreApplication::processEvents();
    EDTCODIGOUSUARIO->setFocus();
}

bool TPDLGACESSO::eventFilter(QObject* watched, QEvent* event) {
    if (watched == EDTSENHA && event->type() == QEvent::KeyPress) {
        MLOGIN_OK = false;
    }
    const FieldKey key = fieldKeyOf(event);
    if (key == FieldKey::None) {
        return ModalWindow::eventFilter(watched, event);
    }
    if (watched == EDTCODIGOUSUARIO) {
        codeSubmitted();
    } else {
        passwordKey(key);
    }
    return true;
}

void TPDLGACESSO::codeSubmitted() {
    if (m_fields.codeTriesLeft()) {
        const QString code = EDTCODIGOUSUARIO->text();
        if (TBLUSUARIOS.locate(QStringLiteral("CODIGO"), code)) {
            MCODIGO_USUARIO = code.left(2);
            m_fields.startPasswordEntry(TBLUSUARIOS.fieldText(QStringLiteral("NOME")));
        } else {
            m_fields.codeNotRegistered(!MTROCA_USUARIO);
        }
    }
    if (!m_fields.codeTriesLeft()) {
        giveUp();
    }
}

void TPDLGACESSO::passwordKey(FieldKey key) {
    if (key == FieldKey::Escape) {
        // Back to the code; the counters keep their values.
        m_fields.startCodeEntry();
        return;
    }
    if (EDTSENHA->text().isEmpty()) {
        EDTCODIGOUSUARIO->setEnabled(true);
        return;
    }
    passwordSubmitted();
}

void TPDLGACESSO::passwordSubmitted() {
    if (m_fields.passwordTriesLeft()) {
        if (m_fields.passwordRefused()) {
            return;
        }
        if (EDTSENHA->text() == TBLUSUARIOS.fieldText(QStringLiteral("SENHA"))) {
            MLOGIN_OK = true;
        } else {
            m_fields.wrongPassword(!MTROCA_USUARIO);
        }
    }
    if (!m_fields.passwordTriesLeft()) {
        giveUp();
    } else if (MLOGIN_OK) {
        if (FRMSEPRINCIPAL != nullptr) {
            FRMSEPRINCIPAL->setPanelText(1, QStringLiteral("Usuário: ") + LBLNOMEUSUARIO->text());
        }
        accept();
    }
}

void TPDLGACESSO::giveUp() {
    MENSAGEM(QStringLiteral("!"), msg::UsuarioSemAcesso, QString());
    done(Rejected);
    if (FRMSEPRINCIPAL != nullptr) {
        FRMSEPRINCIPAL->close();
    }
    shell::terminateApplication();
}

bool TPDLGACESSO::closeAllowed() const {
    return !m_fields.passwordTriesLeft() || MLOGIN_OK;
}

void TPDLGACESSO::closeEvent(QCloseEvent* event) {
    if (!closeAllowed()) {
        event->ignore();
        return;
    }
    ModalWindow::closeEvent(event);
}

void TPDLGACESSO::reject() {
    if (closeAllowed()) {
        ModalWindow::reject();
    }
}

void TPDLGACESSO::done(int result) {
    TBLCONTROLE.close();
    TBLUSUARIOS.close();
    ModalWindow::done(result);
}
