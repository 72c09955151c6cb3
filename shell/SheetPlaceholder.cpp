#include "SheetPlaceholder.h"

#include "SEFUNCOES.h"
#include "SEPRINCIPAL.h"

#include <QAction>
#include <QLabel>

SheetPlaceholder::SheetPlaceholder(TFRMSEPRINCIPAL* owner)
    : ModalWindow(owner)
    , m_owner(owner) {
    setWindowTitle(QStringLiteral("Ficha de Exercícios"));
    resize(420, 240);
    auto* note = new QLabel(QStringLiteral("Ficha de Exercícios"), this);
    note->setGeometry(20, 20, 380, 30);
}

void SheetPlaceholder::done(int result) {
    ModalWindow::done(result);
    m_owner->MNImpressodeSrie->setEnabled(true);
    m_owner->MNImpressodeSrie->setChecked(false);
    if (!m_owner->VOLTA_USUARIO()) {
        MENSAGEM(QStringLiteral("!"), msg::RegistroJaAlocado, QString());
    }
}
