#pragma once

#include <QLabel>
#include <QLineEdit>

class QDialog;

// The visible parts both login dialogs share: the code and password fields with their labels and
// the label with the operator's name.
struct LoginFields {
    QLabel* Label1 = nullptr;
    QLineEdit* EDTCODIGOUSUARIO = nullptr;
    QLabel* LBLNOMEUSUARIO = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* EDTSENHA = nullptr;

    // Builds them on the dialog; the name is shown in nameColor.
    void build(QDialog& dialog, const QColor& nameColor);
    // Back to code entry with empty fields.
    void startCodeEntry();
    // Code accepted: its field disabled, the password's enabled and focused.
    void startPasswordEntry(const QString& operatorName);

    // Restarting the terminal must not give new password tries: the wrong passwords of the last
    // minute are kept in a file of the user's own, and past 12 of them a password is not checked.
    // When that is so, says "Usuário sem acesso !", empties the password and returns true.
    bool passwordRefused();
    // Counts a wrong password in that file.
    void recordWrongPassword();
};

// Enter and Escape in a field, taken before the dialog sees them.
enum class FieldKey { None, Enter, Escape };
FieldKey fieldKeyOf(const QEvent* event);
