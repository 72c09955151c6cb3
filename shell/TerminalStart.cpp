#include "TerminalStart.h"

#include "MainWindow.h"
#include "ServiceNotifier.h"
#include "SingleInstance.h"
#include "SplashWindow.h"
#include "TerminalApplication.h"

#include <QApplication>
#include <QPointer>
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

// Brings the running terminal to the top: the main window and the modal window over it.
void bringTerminalToFront(QWidget* mainWindow) {
    bringToTop(mainWindow);
    bringToTop(QApplication::activeModalWidget());
}

} // namespace

int runTerminal(const QString& dataLinkFolder, const SheetOpener& openSheet) {
    QPointer<QWidget> shownWindow; // the main window, once it exists
    SingleInstance instance(SingleInstance::keyFor(dataLinkFolder),
                            [&shownWindow] { bringTerminalToFront(shownWindow); });
    if (instance.anotherCopyRunning()) {
        return 0;
    }
    shell::clearTermination();
    platform::ServiceNotifier service;

    auto splash = std::make_unique<SplashWindow>();
    splash->exec();
    splash->repaint();
    splash->hide();

    MainWindow mainWindow(dataLinkFolder, openSheet);
    shownWindow = &mainWindow;
    mainWindow.show();
    mainWindow.activateWindow();
    splash.reset();

    // Runs in the login dialog's own loop, that is once it shows.
    QTimer::singleShot(0, &mainWindow, [&service] { service.ready(); });
    mainWindow.logIn();
    return shell::runMessageLoop();
}
