#pragma once

#include "Database.h"
#include "LoginFields.h"
#include "ModalWindow.h"

// A second operator authorises the opening of the sheet window. Works on the operators table it
// is given, which it leaves on the row of the operator who authorised; three failures end the
// dialog without a message.
class TPDLGACESSOLOCAL : public ModalWindow {
public:
    TPDLGACESSOLOCAL(KeyedTable& operators, QWidget* owner);

    // Shows the dialog; true when an operator's password was accepted. Closed any other way, the
    // dialog has given up.
    bool run();

    QLabel*& Label1 = m_fields.Label1;
    QLineEdit*& EDTCODIGOUSUARIO = m_fields.EDTCODIGOUSUARIO;
    QLabel*& LBLNOMEUSUARIO = m_fields.LBLNOMEUSUARIO;
    QLabel*& Label2 = m_fields.Label2;
    QLineEdit*& EDTSENHA = m_fields.EDTSENHA;

    int& MTENTATIVA_CODIGO = m_fields.MTENTATIVA_CODIGO;
    int& MTENTATIVA_SENHA = m_fields.MTENTATIVA_SENHA;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void codeSubmitted();
    void passwordSubmitted();
    void giveUp();

    KeyedTable& m_operators;
    LoginFields m_fields;
};
