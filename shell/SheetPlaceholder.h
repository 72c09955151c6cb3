#pragma once

#include "ModalWindow.h"

class TFRMSEPRINCIPAL;

// Stands in for the exercise sheet window until the kiosk exists: a plain modal window captioned
// "Ficha de Exercícios" that, when it closes, does what the sheet window does then.
class SheetPlaceholder : public ModalWindow {
public:
    explicit SheetPlaceholder(TFRMSEPRINCIPAL* owner);
    void done(int result) override;

private:
    TFRMSEPRINCIPAL* m_owner;
};
