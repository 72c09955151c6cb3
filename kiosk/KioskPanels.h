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
    void showPhoto(const QImage& picture);
    void hidePhoto();
    // No member: the number to type, no workout, name or photo.
    void memberPanelAtRest();

    // Member panel.
    QFrame* memberPanel = nullptr;
    QLabel* enrolmentCaption = nullptr;
    QLineEdit* enrolmentEdit = nullptr;
    QLabel* memberName = nullptr;
    QLabel* workoutCaption = nullptr;
    QLabel* workoutChoices = nullptr;
    QLineEdit* workoutEdit = nullptr;
    QFrame* photoFrame = nullptr;
    QLabel* photo = nullptr;
    QLabel* warning = nullptr;
    QToolButton* exitButton = nullptr;

    // Equipment panel.
    QFrame* machinePanel = nullptr;
    QLabel* machineCaption = nullptr;
    QLineEdit* machineEdit = nullptr;
    QLabel* machineWarning = nullptr;
    QToolButton* machineExitButton = nullptr;
};
