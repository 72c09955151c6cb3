#include "Recorders.h"

#include <QEventLoop>
#include <QStringList>
#include <QTimer>

#include <algorithm>

MessageRecorder::MessageRecorder(int answer)
    : m_answer(answer)
    , m_backends([this](platform::Backends& backends) {
        backends.presentMessage = [this](const platform::Message& message) {
            m_messages.push_back(message);
            if (m_answerAfterMs > 0) {
                QEventLoop reading;
                QTimer::singleShot(m_answerAfterMs, &reading, &QEventLoop::quit);
                reading.exec();
            }
            return m_answer;
        };
    }) {}

QStringList MessageRecorder::texts() const {
    QStringList result;
    for (const platform::Message& message : m_messages) {
        result << message.text;
    }
    return result;
}

PauseRecorder::PauseRecorder()
    : m_backends([this](platform::Backends& backends) {
        backends.pause = [this](int milliseconds) { m_pauses.push_back(milliseconds); };
    }) {}

FreezeMeter::FreezeMeter() {
    m_tick.setInterval(20);
    QObject::connect(&m_tick, &QTimer::timeout,
                     [this] { m_longest = std::max(m_longest, m_sinceTick.restart()); });
    m_sinceTick.start();
    m_tick.start();
}
