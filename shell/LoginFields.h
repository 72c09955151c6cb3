#pragma once

#include <QLabel>
#include <QLineEdit>

class QDialog;

// Who a login let in: the code the session keeps and the name the status bar shows.
struct OperatorLogin {
    QString code;
    QString name;
};

// What both login dialogs share: the code and password fields with their labels, the label with
// the operator's name, and the count of failed tries.
struct LoginFields {
    QLabel* codeCaption = nullptr;
    QLineEdit* codeEdit = nullptr;
    QLabel* operatorName = nullptr;
    QLabel* passwordCaption = nullptr;
    QLineEdit* passwordEdit = nullptr;
    // The try under way, of the code and of the password; a third failure of either uses them up.
    int codeTries = 1;
    int passwordTries = 1;

    // Makes the dialog a fixed frame with the title and background, and builds the fields on it
    // with the dialog filtering their events; the name is shown in nameColor.
    void build(QDialog& dialog, const QString& title, const QColor& background,
               const QColor& nameColor);
    // Back to code entry with empty fields.
    void startCodeEntry();
    // Code accepted: its field disabled, the password's enabled and focused.
    void startPasswordEntry(const QString& name);

    // Restarting the terminal must not give new password tries: the wrong passwords of the last
    // minute are kept in a file of the user's own, and past 12 of them a password is not checked.
    // When that is so, says "Usuário sem acesso !", empties the password and returns true.
    bool passwordRefused();

    bool codeTriesLeft() const { return codeTries < 4; }
    bool passwordTriesLeft() const { return passwordTries < 4; }
    // Says "Código não cadastrado !" and empties the code for another try; `counted` says
    // whether the failure uses a try.
    void codeNotRegistered(bool counted);
    // Keeps the wrong password in the file, says "Senha não confere !" and empties the password
    // for another try; `counted` says whether the failure uses a try.
    void wrongPassword(bool counted);
};

// Enter and Escape in a field, taken before the dialog sees them.
enum class FieldKey { None, Enter, Escape };
FieldKey fieldKeyOf(const QEvent* event);
