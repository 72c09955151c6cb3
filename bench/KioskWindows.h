#pragma once

#include "KioskWindow.h"
#include "MainWindow.h"

#include <QString>
#include <QTimer>

#include <memory>

// The main window on a folder of databases and the kiosk shown over it, as a member finds them.
// The kiosk goes first when they end.
struct KioskWindows {
    enum class Heartbeat { Running, Stopped };

    KioskWindows(const QString& folder, Heartbeat heartbeat)
        : main(std::make_unique<MainWindow>(folder, openExerciseSheet)) {
        if (heartbeat == Heartbeat::Stopped) {
            main->clockTimer->stop();
        }
        main->show();
        kiosk = std::make_unique<KioskWindow>(*main);
        kiosk->show();
    }

    std::unique_ptr<MainWindow> main;
    std::unique_ptr<KioskWindow> kiosk;
};
