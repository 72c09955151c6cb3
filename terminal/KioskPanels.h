#pragma once

class QFrame;
class QLabel;
class QLineEdit;
class QWidget;
class QToolButton;

// The kiosk's two panels as they look, built on its window hidden: the member panel (number,
// name, workout, photo) and the equipment panel (a machine's code). What they do is the kiosk's.
struct KioskPanels {
    explicit KioskPanels(QWidget* window);

    // Member panel.
    QFrame* PNLSERIE = nullptr;
    QLabel* LBLMATRICULA = nullptr;
    QLineEdit* EDTMATRICULA = nullptr;
    QLabel* LBLNOME = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* EDTTREINO = nullptr;
    QFrame* Panel1 = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* LBLAVISO = nullptr;
    QToolButton* SBSAIR = nullptr;

    // Equipment panel.
    QFrame* PNLAPARELHO = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* EDTAPARELHO = nullptr;
    QLabel* LBLAVISOAP = nullptr;
    QToolButton* SBSAIRAPARELHO = nullptr;
};
