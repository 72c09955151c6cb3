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

QToolButton* exitButton(QWidget* parent, const QRect& geometry) {
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
    : PNLSERIE(panel(window))
    , PNLAPARELHO(panel(window)) {
    LBLMATRICULA = label(PNLSERIE, QStringLiteral("Matrícula "), {16, 20, 90, 28});
    EDTMATRICULA = entryField(PNLSERIE, 10, {110, 18, 160, 32});
    LBLNOME = label(PNLSERIE, QString(), {16, 62, 310, 28});
    LBLNOME->setFont(arialFont(12, true));
    Label1 = label(PNLSERIE, QStringLiteral("Treino:"), {16, 104, 90, 28});
    EDTTREINO = entryField(PNLSERIE, 1, {110, 102, 40, 32});
    EDTTREINO->setEnabled(false);
    Label2 =
        label(PNLSERIE, QStringLiteral("A = 1, B = 2 , C = 3 , D = 4 e E = 5"), {16, 142, 310, 24});
    Panel1 = new QFrame(PNLSERIE);
    Panel1->setFrameShape(QFrame::Panel);
    Panel1->setFrameShadow(QFrame::Sunken);
    Panel1->setGeometry(340, 14, 150, 180);
    // The panel's caption shows while there is no photo over it.
    label(Panel1, QStringLiteral("Foto"), {2, 2, 146, 176})->setAlignment(Qt::AlignCenter);
    Image1 = label(Panel1, QString(), {2, 2, 146, 176});
    Image1->setScaledContents(true);
    Image1->hide();
    LBLAVISO = warningLabel(PNLSERIE, {8, 200, 489, 32});
    SBSAIR = exitButton(PNLSERIE, {445, 238, 48, 36});

    Label3 = label(PNLAPARELHO, QStringLiteral("Aparelho"), {16, 60, 120, 32});
    Label3->setFont(arialFont(16, true));
    EDTAPARELHO = entryField(PNLAPARELHO, 3, {150, 58, 80, 36});
    LBLAVISOAP = warningLabel(PNLAPARELHO, {8, 150, 489, 32});
    SBSAIRAPARELHO = exitButton(PNLAPARELHO, {445, 238, 48, 36});
}

void KioskPanels::showWarning(QLabel& label, const QString& text) {
    label.setText(text);
    label.show();
    label.repaint();
    platform::pause(2000);
    label.hide();
    label.repaint();
}

void KioskPanels::showPhoto(const QImage& photo) {
    Image1->setPixmap(QPixmap::fromImage(photo));
    Image1->show();
}

void KioskPanels::hidePhoto() {
    Image1->clear();
    Image1->hide();
}

void KioskPanels::memberPanelAtRest() {
    EDTMATRICULA->clear();
    EDTMATRICULA->setEnabled(true);
    EDTMATRICULA->setFocus();
    EDTTREINO->clear();
    EDTTREINO->setEnabled(false);
    LBLNOME->clear();
    hidePhoto();
}
