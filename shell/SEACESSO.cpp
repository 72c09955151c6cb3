#include "SEACESSO.h"

#include "SEFUNCOES.h"
#include "Schema.h"
#include "WindowLook.h"

#include <QCloseEvent>
#include <QCoreApplication>

TPDLGACESSO::TPDLGACESSO(Connection& palendra, const OperatorSession& session, QWidget* owner)
    : ModalWindow(owner)
    , m_session(session) {
    m_fields.build(*this, QStringLiteral("Acesso"), colorFromBgr(16510423), colorFromBgr(10485760));

    TBLUSUARIOS.setConnection(&palendra);
    TBLUSUARIOS.setTableName(QStringLiteral("Usuarios"));
    TBLUSUARIOS.setDeclaredColumns(
        {QStringLiteral("CODIGO"), QStringLiteral("NOME"), QStringLiteral("SENHA")});
    TBLCONTROLE.setConnection(&palendra);
    TBLCONTROLE.setTableName(QStringLiteral("Secvar"));
    TBLCONTROLE.setDeclaredColumns(schema::columnRange(QStringLiteral("Secvar"),
                                                       QStringLiteral("ACADEMIA"),
                                                       QStringLiteral("POR_CODIGO_APARELHO")));
}

std::optional<OperatorLogin> TPDLGACESSO::run() {
    if (exec() != Accepted) {
        return std::nullopt;
    }
    return m_operator;
}

bool TPDLGACESSO::ABRE_TABELAS() {
    return m_session.settingsReadable && openTableOrSay(TBLCONTROLE, QStringLiteral("CONTROLE")) &&
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
        if (!m_session.settingsReadable) {
            MENSAGEM(QStringLiteral("!"), msg::AssistenciaTecnica,
                     QStringLiteral("Problema na Rede ou não está Ativa !"));
        }
        done(Rejected);
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
            m_operator = {code.left(2), TBLUSUARIOS.fieldText(QStringLiteral("NOME"))};
            m_fields.startPasswordEntry(m_operator.name);
        } else {
            m_fields.codeNotRegistered(!m_session.changingOperator);
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
            m_fields.wrongPassword(!m_session.changingOperator);
        }
    }
    if (!m_fields.passwordTriesLeft()) {
        giveUp();
    } else if (MLOGIN_OK) {
        accept();
    }
}

void TPDLGACESSO::giveUp() {
    MENSAGEM(QStringLiteral("!"), msg::UsuarioSemAcesso, QString());
    done(Rejected);
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
