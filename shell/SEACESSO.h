#pragma once

#include "Database.h"
#include "LoginFields.h"
#include "ModalWindow.h"
#include "OperatorSession.h"

#include <optional>

// The login dialog: an operator code, then its password, checked against the operators of the
// Palendra database. Three failures at start-up give up; after "Muda Usuário" (the session's
// changing flag) failures are not counted and only a login lets it go.
class TPDLGACESSO : public ModalWindow {
public:
    TPDLGACESSO(Connection& palendra, const OperatorSession& session, QWidget* owner);

    // Shows the dialog; the operator who logged in, none when the dialog gave up.
    std::optional<OperatorLogin> run();

    bool ABRE_TABELAS();

    QLabel*& Label1 = m_fields.Label1;
    QLineEdit*& EDTCODIGOUSUARIO = m_fields.EDTCODIGOUSUARIO;
    QLabel*& LBLNOMEUSUARIO = m_fields.LBLNOMEUSUARIO;
    QLabel*& Label2 = m_fields.Label2;
    QLineEdit*& EDTSENHA = m_fields.EDTSENHA;
    KeyedTable TBLUSUARIOS;
    TableDataSet TBLCONTROLE;

    int& MTENTATIVA_CODIGO = m_fields.MTENTATIVA_CODIGO;
    int& MTENTATIVA_SENHA = m_fields.MTENTATIVA_SENHA;
    bool MLOGIN_OK = false;

    void done(int result) override;
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormShow();
    void codeSubmitted();
    void passwordKey(FieldKey key);
    void passwordSubmitted();
    bool closeAllowed() const;
    // "Usuário sem acesso !", then the dialog ends without a login.
    void giveUp();

    const OperatorSession& m_session;
    LoginFields m_fields;
    OperatorLogin m_operator; // the operator whose code was found last
};
