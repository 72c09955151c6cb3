#include "TerminalStart.h"

#include "SEACESSO.h"
#include "SEAPRESENTACAO.h"
#include "SEPRINCIPAL.h"
#include "ServiceNotifier.h"
#include "SingleInstance.h"
#include "TerminalApplication.h"

#include <QApplication>
#include <QTimer>

#include <memory>

namespace {

void bringToTop(QWidget* window) {
    if (window == nullptr) {
        return;
    }
    window->setWindowState((window->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    window->raise();
    window->activateWindow();
}

} // namespace

void bringTerminalToFront() {
    bringToTop(FRMSEPRINCIPAL);
    bringToTop(QApplication::activeModalWidget());
}

int runTerminal(const QString& dataLinkFolder, const SheetOpener& openSheet) {
    SingleInstance instance(SingleInstance::keyFor(dataLinkFolder), bringTerminalToFront);
    if (instance.anotherCopyRunning()) {
        return 0;
    }
    shell::clearTermination();
    platform::ServiceNotifier service;

    auto splash = std::make_unique<TFRMVERSAO>();
    splash->exec();
    splash->repaint();
    splash->hide();

    TFRMSEPRINCIPAL mainWindow(dataLinkFolder, openSheet);
    mainWindow.show();
    mainWindow.activateWindow();
    splash.reset();

    {
        TPDLGACESSO login;
        // Runs in the dialog's own loop, that is once it shows.
        QTimer::singleShot(0, &login, [&service] { service.ready(); });
        login.exec();
    }
    return shell::runMessageLoop();
}
