#include "FieldKeys.h"

#include "KeyChar.h"
#include "TerminalApplication.h"

#include <QKeyEvent>
#include <QLineEdit>

FieldKeys::FieldKeys(QObject* parent, std::function<void()> anyKey)
    : QObject(parent)
    , m_anyKey(std::move(anyKey)) {}

void FieldKeys::route(QLineEdit* field, Handler handler) {
    field->installEventFilter(this);
    platform::filterUntypedText(*field, [handler](QChar character) {
        handler(character);
        return !character.isNull();
    });
    m_handlers[field] = std::move(handler);
}

bool FieldKeys::eventFilter(QObject* watched, QEvent* event) {
    const auto routed = m_handlers.find(watched);
    if (event->type() != QEvent::KeyPress || routed == m_handlers.end()) {
        return false;
    }
    m_anyKey();
    QChar key = platform::keyCharOf(*static_cast<QKeyEvent*>(event));
    if (key.isNull()) {
        return false;
    }
    if (!runLoggingFailures([&] { routed->second(key); })) {
        return true;
    }
    return key == platform::keyDiscarded || key == platform::keyEnter || key == platform::keyEsc;
}
