#include "PrinterTypeDialog.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QVBoxLayout>

PrinterTypeDialog::PrinterTypeDialog(QWidget* parent)
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
    connect(ok, &QPushButton::clicked, this, &PrinterTypeDialog::confirm);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(ok, 0, Qt::AlignRight);
}

PrinterTypeDialog::~PrinterTypeDialog() = default;

void PrinterTypeDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    m_confirmed = false;
    (selectedType == 1 ? rbDotMatrix : rbCanvas)->setChecked(true);
}

void PrinterTypeDialog::confirm() {
    selectedType = rbCanvas->isChecked() ? 0 : 1;
    m_confirmed = true;
    accept();
}

// Esc and the window manager's close are refused: the choice is made with OK.
void PrinterTypeDialog::reject() {}

void PrinterTypeDialog::closeEvent(QCloseEvent* event) {
    if (m_confirmed)
        QDialog::closeEvent(event);
    else
        event->ignore();
}
