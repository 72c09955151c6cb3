#pragma once

class QFrame;
class QImage;
class QString;
class QLabel;
class QLineEdit;
class QWidget;
class QToolButton;

// The kiosk's two panels as they look, built on its window hidden: the member panel (number,
// name, workout, photo) and the equipment panel (a machine's code). What they do is the kiosk's.
struct KioskPanels {
    explicit KioskPanels(QWidget* window);

    // Shows a warning on a red label for 2000 ms.
    static void showWarning(QLabel& label, const QString& text);
    void showPhoto(const QImage& photo);
    void hidePhoto();
    // No member: the number to type, no workout, name or photo.
    void memberPanelAtRest();

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
