#include "ZELPrinterTypeDlg.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QVBoxLayout>

TfrmZELPrinterTypeDlg::TfrmZELPrinterTypeDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , rbCanvas(new QRadioButton(QStringLiteral("Jato de tinta ou Laser")))
    , rbDotMatrix(new QRadioButton(QStringLiteral("Matricial"))) {
    setWindowTitle(QStringLiteral("Seleção de impressora"));
    rbCanvas->setChecked(true);

    auto* group = new QGroupBox(QStringLiteral(" Selecione o tipo de impressora: "), this);
    auto* choices = new QGridLayout(group);
    auto addChoice = [&](int row, QStyle::StandardPixmap icon, QRadioButton* button) {
        auto* picture = new QLabel(group);
        picture->setPixmap(style()->standardIcon(icon).pixmap(32, 32));
        choices->addWidget(picture, row, 0);
        choices->addWidget(button, row, 1);
    };
    addChoice(0, QStyle::SP_ComputerIcon, rbCanvas);
    addChoice(1, QStyle::SP_DriveHDIcon, rbDotMatrix);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &TfrmZELPrinterTypeDlg::confirm);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(ok, 0, Qt::AlignRight);
}

TfrmZELPrinterTypeDlg::~TfrmZELPrinterTypeDlg() = default;

void TfrmZELPrinterTypeDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FConfirmed = false;
    (SelectedType == 1 ? rbDotMatrix : rbCanvas)->setChecked(true);
}

void TfrmZELPrinterTypeDlg::confirm() {
    SelectedType = rbCanvas->isChecked() ? 0 : 1;
    FConfirmed = true;
    accept();
}

// Esc and the window manager's close are refused: the choice is made with OK.
void TfrmZELPrinterTypeDlg::reject() {}

void TfrmZELPrinterTypeDlg::closeEvent(QCloseEvent* event) {
    if (FConfirmed)
        QDialog::closeEvent(event);
    else
        event->ignore();
}
