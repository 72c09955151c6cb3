#include "LoginDialog.h"

#include "Messages.h"
#include "Schema.h"
#include "WindowLook.h"

#include <QCloseEvent>
#include <QCoreApplication>

LoginDialog::LoginDialog(Connection& palendra, const OperatorSession& session, QWidget* owner)
    : ModalWindow(owner)
    , m_session(session) {
    m_fields.build(*this, QStringLiteral("Acesso"), colorFromBgr(16510423), colorFromBgr(10485760));

    operators.setConnection(&palendra);
    operators.setTableName(QStringLiteral("Usuarios"));
    operators.setDeclaredColumns(
        {QStringLiteral("CODIGO"), QStringLiteral("NOME"), QStringLiteral("SENHA")});
    settings.setConnection(&palendra);
    settings.setTableName(QStringLiteral("Secvar"));
    settings.setDeclaredColumns(schema::columnRange(QStringLiteral("Secvar"),
                                                    QStringLiteral("ACADEMIA"),
                                                    QStringLiteral("POR_CODIGO_APARELHO")));
}

std::optional<OperatorLogin> LoginDialog::run() {
    if (exec() != Accepted) {
        return std::nullopt;
    }
    return m_operator;
}

bool LoginDialog::openTables() {
    return m_session.settingsReadable && openTableOrSay(settings, QStringLiteral("CONTROLE")) &&
           openTableOrSay(operators, QStringLiteral("USUARIOS"));
}

void LoginDialog::showEvent(QShowEvent* event) {
    ModalWindow::showEvent(event);
    if (!event->spontaneous()) {
        firstShown();
    }
}

void LoginDialog::firstShown() {
    if (!openTables()) {
        if (!m_session.settingsReadable) {
            showMessage(MessageKind::Information, msg::AssistenciaTecnica,
                        QStringLiteral("Problema na Rede ou não está Ativa !"));
        }
        done(Rejected);
        return;
    }
    QCoreApplication::processEvents();
    codeEdit->setFocus();
}

bool LoginDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == passwordEdit && event->type() == QEvent::KeyPress) {
        m_loggedIn = false;
    }
    const FieldKey key = fieldKeyOf(event);
    if (key == FieldKey::None) {
        return ModalWindow::eventFilter(watched, event);
    }
    if (watched == codeEdit) {
        codeSubmitted();
    } else {
        passwordKey(key);
    }
    return true;
}

void LoginDialog::codeSubmitted() {
    if (m_fields.codeTriesLeft()) {
        const QString code = codeEdit->text();
        if (operators.locate(QStringLiteral("CODIGO"), code)) {
            m_operator = {code.left(2), operators.fieldText(QStringLiteral("NOME"))};
            m_fields.startPasswordEntry(m_operator.name);
        } else {
            m_fields.codeNotRegistered(!m_session.changingOperator);
        }
    }
    if (!m_fields.codeTriesLeft()) {
        giveUp();
    }
}

void LoginDialog::passwordKey(FieldKey key) {
    if (key == FieldKey::Escape) {
        // Back to the code; the counters keep their values.
        m_fields.startCodeEntry();
        return;
    }
    if (passwordEdit->text().isEmpty()) {
        codeEdit->setEnabled(true);
        return;
    }
    passwordSubmitted();
}

void LoginDialog::passwordSubmitted() {
    if (m_fields.passwordTriesLeft()) {
        if (m_fields.passwordRefused()) {
            return;
        }
        if (passwordEdit->text() == operators.fieldText(QStringLiteral("SENHA"))) {
            m_loggedIn = true;
        } else {
            m_fields.wrongPassword(!m_session.changingOperator);
        }
    }
    if (!m_fields.passwordTriesLeft()) {
        giveUp();
    } else if (m_loggedIn) {
        accept();
    }
}

void LoginDialog::giveUp() {
    showMessage(MessageKind::Information, msg::UsuarioSemAcesso, QString());
    done(Rejected);
}

bool LoginDialog::closeAllowed() const {
    return !m_fields.passwordTriesLeft() || m_loggedIn;
}

void LoginDialog::closeEvent(QCloseEvent* event) {
    if (!closeAllowed()) {
        event->ignore();
        return;
    }
    ModalWindow::closeEvent(event);
}

void LoginDialog::reject() {
    if (closeAllowed()) {
        ModalWindow::reject();
    }
}

void LoginDialog::done(int result) {
    settings.close();
    operators.close();
    ModalWindow::done(result);
}
