#pragma once

#include "Database.h"
#include "LoginFields.h"
#include "ModalWindow.h"
#include "OperatorSession.h"

#include <optional>

// The login dialog: an operator code, then its password, checked against the operators of the
// Palendra database. Three failures at start-up give up; after "Muda Usuário" (the session's
// changing flag) failures are not counted and only a login lets it go.
class LoginDialog : public ModalWindow {
public:
    LoginDialog(Connection& palendra, const OperatorSession& session, QWidget* owner);

    // Shows the dialog; the operator who logged in, none when the dialog gave up.
    std::optional<OperatorLogin> run();

    bool openTables();

    QLabel*& codeCaption = m_fields.codeCaption;
    QLineEdit*& codeEdit = m_fields.codeEdit;
    QLabel*& operatorName = m_fields.operatorName;
    QLabel*& passwordCaption = m_fields.passwordCaption;
    QLineEdit*& passwordEdit = m_fields.passwordEdit;
    KeyedTable operators;
    TableDataSet settings;

    int& codeTries = m_fields.codeTries;
    int& passwordTries = m_fields.passwordTries;

    void done(int result) override;
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void firstShown();
    void codeSubmitted();
    void passwordKey(FieldKey key);
    void passwordSubmitted();
    bool closeAllowed() const;
    // "Usuário sem acesso !", then the dialog ends without a login.
    void giveUp();

    const OperatorSession& m_session;
    LoginFields m_fields;
    OperatorLogin m_operator; // the operator whose code was found last
    bool m_loggedIn = false;
};
