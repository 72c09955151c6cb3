#pragma once

#include <QObject>
#include <QPoint>

#include <functional>

class QWidget;

namespace platform {

// True when Qt lists a touch screen among the input devices.
bool hasTouchScreen();

// A finger on a widget, taken as touches rather than as the mouse clicks Qt would otherwise make of
// them: a touch taken is never also a click, so one tap is one action. The widget is held down from
// the finger's landing to its lifting; a finger lifted on the widget is a tap, at the point where
// it landed. A second finger on the widget meanwhile changes nothing.
class Taps : public QObject {
public:
    using Tapped = std::function<void(QPoint at)>;
    using HeldDown = std::function<void(bool down)>;

    Taps(QWidget& widget, Tapped tapped, HeldDown heldDown = {});

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& m_widget;
    Tapped m_tapped;
    HeldDown m_heldDown;
    QPoint m_landedAt;
};

} // namespace platform
