#pragma once

#include "ModalWindow.h"

class QLabel;
class QTimer;

// The splash: a picture without a frame, shown modally at start-up; it closes itself after
// Timer1's interval, 4000 ms.
class TFRMVERSAO : public ModalWindow {
public:
    explicit TFRMVERSAO(QWidget* parent = nullptr);

    QLabel* Image1 = nullptr;
    QTimer* Timer1 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
};
