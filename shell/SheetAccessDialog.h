#pragma once

#include "Database.h"
#include "LoginFields.h"
#include "ModalWindow.h"

// A second operator authorises the opening of the sheet window. Works on the operators table it
// is given, which it leaves on the row of the operator who authorised; three failures end the
// dialog without a message.
class SheetAccessDialog : public ModalWindow {
public:
    SheetAccessDialog(KeyedTable& operators, QWidget* owner);

    // Shows the dialog; true when an operator's password was accepted. Closed any other way, the
    // dialog has given up.
    bool run();

    QLabel*& codeCaption = m_fields.codeCaption;
    QLineEdit*& codeEdit = m_fields.codeEdit;
    QLabel*& operatorName = m_fields.operatorName;
    QLabel*& passwordCaption = m_fields.passwordCaption;
    QLineEdit*& passwordEdit = m_fields.passwordEdit;

    int& codeTries = m_fields.codeTries;
    int& passwordTries = m_fields.passwordTries;

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
