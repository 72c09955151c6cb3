#pragma once

#include "ModalWindow.h"

class QLabel;
class QTimer;

// The splash: a picture without a frame, shown modally at start-up; it closes itself after
// splashTimer's interval, 4000 ms.
class SplashWindow : public ModalWindow {
public:
    explicit SplashWindow(QWidget* parent = nullptr);

    QLabel* picture = nullptr;
    QTimer* splashTimer = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
};
