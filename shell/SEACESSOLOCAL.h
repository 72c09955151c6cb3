#pragma once

#include "LoginFields.h"
#include "ModalWindow.h"

class TFRMSEPRINCIPAL;

// A second operator authorises the opening of the sheet window. Works on the main window's
// operators table, which it leaves on the row of the operator who authorised; three failures
// close that table and the dialog, without a message.
class TPDLGACESSOLOCAL : public ModalWindow {
public:
    explicit TPDLGACESSOLOCAL(TFRMSEPRINCIPAL& owner);

    QLabel*& Label1 = m_fields.Label1;
    QLineEdit*& EDTCODIGOUSUARIO = m_fields.EDTCODIGOUSUARIO;
    QLabel*& LBLNOMEUSUARIO = m_fields.LBLNOMEUSUARIO;
    QLabel*& Label2 = m_fields.Label2;
    QLineEdit*& EDTSENHA = m_fields.EDTSENHA;

    int& MTENTATIVA_CODIGO = m_fields.MTENTATIVA_CODIGO;
    int& MTENTATIVA_SENHA = m_fields.MTENTATIVA_SENHA;

    // Closed any other way than by an accepted password, the dialog gives up: the operators
    // table is closed, so no sheet opens.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void codeSubmitted();
    void passwordSubmitted();
    void giveUp();

    TFRMSEPRINCIPAL& m_owner;
    LoginFields m_fields;
};
