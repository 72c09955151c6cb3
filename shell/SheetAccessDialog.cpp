#include "SheetAccessDialog.h"

#include "WindowLook.h"

#include <QShowEvent>

SheetAccessDialog::SheetAccessDialog(KeyedTable& operators, QWidget* owner)
    : ModalWindow(owner)
    , m_operators(operators) {
    m_fields.build(*this, QStringLiteral("Acesso Local"), colorFromBgr(16574927),
                   colorFromBgr(0x000080)); // the name in maroon
}

bool SheetAccessDialog::run() {
    return exec() == Accepted;
}

void SheetAccessDialog::showEvent(QShowEvent* event) {
    ModalWindow::showEvent(event);
    codeEdit->setFocus();
}

bool SheetAccessDialog::eventFilter(QObject* watched, QEvent* event) {
    // Enter and Escape both submit, in either field.
    if (fieldKeyOf(event) == FieldKey::None) {
        return ModalWindow::eventFilter(watched, event);
    }
    if (watched == codeEdit) {
        codeSubmitted();
    } else {
        passwordSubmitted();
    }
    return true;
}

void SheetAccessDialog::codeSubmitted() {
    if (m_fields.codeTriesLeft()) {
        const QString code = codeEdit->text();
        m_operators.first();
        if (m_operators.locate(QStringLiteral("CODIGO"), code)) {
            m_fields.startPasswordEntry(m_operators.fieldText(QStringLiteral("NOME")));
        } else {
            m_fields.codeNotRegistered(true);
        }
    }
    if (!m_fields.codeTriesLeft()) {
        giveUp();
    }
}

void SheetAccessDialog::passwordSubmitted() {
    bool accepted = false;
    if (m_fields.passwordTriesLeft()) {
        if (m_fields.passwordRefused()) {
            return;
        }
        if (passwordEdit->text() == m_operators.fieldText(QStringLiteral("SENHA"))) {
            accepted = true;
        } else {
            m_fields.wrongPassword(true);
        }
    }
    if (!m_fields.passwordTriesLeft()) {
        giveUp();
    } else if (accepted) {
        accept();
    }
}

void SheetAccessDialog::giveUp() {
    reject();
}
