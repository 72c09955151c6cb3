#pragma once

#include <QDialog>

class QRadioButton;

// Lets the user choose between the graphic printer (0) and the dot-matrix printer (1).
// Only its OK button closes it.
class PrinterTypeDialog : public QDialog {
    Q_OBJECT
public:
    explicit PrinterTypeDialog(QWidget* parent = nullptr);
    ~PrinterTypeDialog() override;

    int selectedType = 0;

    QRadioButton* rbCanvas;
    QRadioButton* rbDotMatrix;

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void confirm();

    bool m_confirmed = false;
};
