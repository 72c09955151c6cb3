#pragma once

#include "SEIMPSERIE40COLUNAS.h"
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
        kiosk = std::make_unique<TFRMIMPSERIE40COLUNAS>(*main);
        kiosk->show();
    }

    std::unique_ptr<MainWindow> main;
    std::unique_ptr<TFRMIMPSERIE40COLUNAS> kiosk;
};
