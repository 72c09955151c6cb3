#include "ModalWindow.h"

#include "TerminalApplication.h"

#include <QKeyEvent>
#include <QPointer>
#include <QThread>

int ModalWindow::exec() {
    if (shell::applicationTerminated()) {
        return Rejected;
    }
    const QPointer<QWidget> below =
        parentWidget() != nullptr ? parentWidget()->window() : m_windowBelow.data();
    m_levelBeforeLoop = QThread::currentThread()->loopLevel();
    const int result = QDialog::exec();
    m_levelBeforeLoop = -1;
    // Without a window manager nobody gives the keyboard back to the window below.
    QWidget* window = below.data();
    if (window != nullptr && window->isVisible()) {
        window->activateWindow();
    }
    return result;
}

void ModalWindow::done(int result) {
    if (!m_closingDone) {
        m_closingDone = true;
        closing();
    }
    if (m_levelBeforeLoop >= 0 && QThread::currentThread()->loopLevel() <= m_levelBeforeLoop) {
        // The modal loop does not run yet: a request to end it now would be lost. Hiding now
        // would lose it as well, since the loop ends when the window is hidden.
        QMetaObject::invokeMethod(
            this, [this, result] { QDialog::done(result); }, Qt::QueuedConnection);
        return;
    }
    QDialog::done(result);
}

void ModalWindow::keyPressEvent(QKeyEvent* event) {
    if (!m_closedByEscape && event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
