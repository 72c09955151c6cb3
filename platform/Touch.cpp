#include "Touch.h"

#include <QInputDevice>
#include <QTouchEvent>
#include <QWidget>

#include <algorithm>

namespace platform {

bool hasTouchScreen() {
    const QList<const QInputDevice*> devices = QInputDevice::devices();
    return std::any_of(devices.begin(), devices.end(), [](const QInputDevice* device) {
        return device->type() == QInputDevice::DeviceType::TouchScreen;
    });
}

Taps::Taps(QWidget& widget, Tapped tapped, HeldDown heldDown)
    : QObject(&widget)
    , m_widget(widget)
    , m_tapped(std::move(tapped))
    , m_heldDown(std::move(heldDown)) {
    widget.setAttribute(Qt::WA_AcceptTouchEvents);
    widget.installEventFilter(this);
}

bool Taps::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched != &m_widget || (type != QEvent::TouchBegin && type != QEvent::TouchUpdate &&
                                 type != QEvent::TouchEnd && type != QEvent::TouchCancel)) {
        return false;
    }
    // Taken, so that Qt makes no mouse press of it.
    event->accept();
    auto& touch = *static_cast<QTouchEvent*>(event);
    if (type == QEvent::TouchBegin) {
        m_landedAt = touch.points().first().position().toPoint();
        if (m_heldDown) {
            m_heldDown(true);
        }
    } else if (type == QEvent::TouchEnd || type == QEvent::TouchCancel) {
        if (m_heldDown) {
            m_heldDown(false);
        }
        const QPoint liftedAt = touch.points().first().position().toPoint();
        if (type == QEvent::TouchEnd && m_widget.rect().contains(liftedAt)) {
            m_tapped(m_landedAt);
        }
    }
    return true;
}

} // namespace platform
