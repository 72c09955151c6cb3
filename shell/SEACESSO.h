#pragma once

#include "Database.h"
#include "LoginFields.h"
#include "ModalWindow.h"

// The login dialog: an operator code, then its password. Three failures at start-up end the
// program; after "Muda Usuário" failures are not counted and only a login lets it go.
class TPDLGACESSO : public ModalWindow {
public:
    explicit TPDLGACESSO(QWidget* owner = nullptr);

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
    // "Usuário sem acesso !", then the dialog, the main window and the program end.
    void giveUp();

    LoginFields m_fields;
};
