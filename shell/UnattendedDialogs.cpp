#include "UnattendedDialogs.h"

#include "ModalWindow.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>

UnattendedDialogs::UnattendedDialogs(std::chrono::milliseconds closeAfter)
    : m_closeAfter(closeAfter) {
    qApp->installEventFilter(this);
}

bool UnattendedDialogs::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show && !event->spontaneous()) {
        auto* dialog = qobject_cast<QDialog*>(watched);
        if (dialog != nullptr && dialog->isModal() &&
            dynamic_cast<ModalWindow*>(dialog) == nullptr) {
            closeLater(*dialog);
        }
    }
    return false;
}

void UnattendedDialogs::closeLater(QDialog& dialog) {
    auto* timer = new QTimer(this);
    timer->setSingleShot(true);
    timer->setTimerType(Qt::PreciseTimer);
    // Closing is what Esc does: a box answers with its Esc button, a dialog is rejected.
    connect(timer, &QTimer::timeout, &dialog, &QWidget::close);
    connect(timer, &QTimer::timeout, timer, &QObject::deleteLater);
    connect(&dialog, &QDialog::finished, timer, &QObject::deleteLater);
    timer->start(m_closeAfter);
}
