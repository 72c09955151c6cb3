#include "KioskPanels.h"

#include "Pause.h"
#include "WindowLook.h"

#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

namespace {

QLabel* label(QWidget* parent, const QString& text, const QRect& geometry) {
    auto* created = new QLabel(text, parent);
    created->setGeometry(geometry);
    return created;
}

QLineEdit* entryField(QWidget* parent, int maxLength, const QRect& geometry) {
    auto* field = new QLineEdit(parent);
    field->setMaxLength(maxLength);
    field->setGeometry(geometry);
    field->setFont(arialFont(14, true));
    return field;
}

QLabel* warningLabel(QWidget* parent, const QRect& geometry) {
    QLabel* warning = label(parent, QString(), geometry);
    warning->setAlignment(Qt::AlignCenter);
    warning->setFont(arialFont(14, true));
    warning->setStyleSheet(QStringLiteral("color: red;"));
    warning->hide();
    return warning;
}

QToolButton* exitButtonAt(QWidget* parent, const QRect& geometry) {
    auto* button = new QToolButton(parent);
    button->setToolTip(QStringLiteral("Sair"));
    button->setText(QStringLiteral("Sair"));
    button->setFocusPolicy(Qt::NoFocus);
    button->setGeometry(geometry);
    return button;
}

QFrame* panel(QWidget* parent) {
    auto* created = new QFrame(parent);
    created->setFrameShape(QFrame::NoFrame);
    created->hide();
    return created;
}

} // namespace

KioskPanels::KioskPanels(QWidget* window)
    : memberPanel(panel(window))
    , machinePanel(panel(window)) {
    enrolmentCaption = label(memberPanel, QStringLiteral("Matrícula "), {16, 20, 90, 28});
    enrolmentEdit = entryField(memberPanel, 10, {110, 18, 160, 32});
    memberName = label(memberPanel, QString(), {16, 62, 310, 28});
    memberName->setFont(arialFont(12, true));
    workoutCaption = label(memberPanel, QStringLiteral("Treino:"), {16, 104, 90, 28});
    workoutEdit = entryField(memberPanel, 1, {110, 102, 40, 32});
    workoutEdit->setEnabled(false);
    workoutChoices = label(memberPanel, QStringLiteral("A = 1, B = 2 , C = 3 , D = 4 e E = 5"),
                           {16, 142, 310, 24});
    photoFrame = new QFrame(memberPanel);
    photoFrame->setFrameShape(QFrame::Panel);
    photoFrame->setFrameShadow(QFrame::Sunken);
    photoFrame->setGeometry(340, 14, 150, 180);
    // The panel's caption shows while there is no photo over it.
    label(photoFrame, QStringLiteral("Foto"), {2, 2, 146, 176})->setAlignment(Qt::AlignCenter);
    photo = label(photoFrame, QString(), {2, 2, 146, 176});
    photo->setScaledContents(true);
    photo->hide();
    warning = warningLabel(memberPanel, {8, 200, 489, 32});
    exitButton = exitButtonAt(memberPanel, {445, 238, 48, 36});

    machineCaption = label(machinePanel, QStringLiteral("Aparelho"), {16, 60, 120, 32});
    machineCaption->setFont(arialFont(16, true));
    machineEdit = entryField(machinePanel, 3, {150, 58, 80, 36});
    machineWarning = warningLabel(machinePanel, {8, 150, 489, 32});
    machineExitButton = exitButtonAt(machinePanel, {445, 238, 48, 36});
}

void KioskPanels::showWarning(QLabel& label, const QString& text) {
    label.setText(text);
    label.show();
    label.repaint();
    platform::pause(2000);
    label.hide();
    label.repaint();
}

void KioskPanels::showPhoto(const QImage& picture) {
    photo->setPixmap(QPixmap::fromImage(picture));
    photo->show();
}

void KioskPanels::hidePhoto() {
    photo->clear();
    photo->hide();
}

void KioskPanels::memberPanelAtRest() {
    enrolmentEdit->clear();
    enrolmentEdit->setEnabled(true);
    enrolmentEdit->setFocus();
    workoutEdit->clear();
    workoutEdit->setEnabled(false);
    memberName->clear();
    hidePhoto();
}
