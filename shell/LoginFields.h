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
};

// Enter and Escape in a field, taken before the dialog sees them.
enum class FieldKey { None, Enter, Escape };
FieldKey fieldKeyOf(const QEvent* event);
