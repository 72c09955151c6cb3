#pragma once

#include "MessageBox.h"
#include "TestBackends.h"

#include <QElapsedTimer>
#include <QString>
#include <QTimer>

#include <vector>

// Records every message box instead of showing it, answering with a chosen button.
class MessageRecorder {
public:
    explicit MessageRecorder(int answer = platform::IdOk);
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    void answerWith(int button) { m_answer = button; }
    // Each box then stays up for a while before it is answered, running the event loop as a real
    // box does while the operator reads it (timers fire meanwhile).
    void takeTimeToAnswer(int milliseconds) { m_answerAfterMs = milliseconds; }
    const std::vector<platform::Message>& messages() const { return m_messages; }
    // The texts shown, in order.
    QStringList texts() const;
    void clear() { m_messages.clear(); }

private:
    std::vector<platform::Message> m_messages;
    int m_answer;
    int m_answerAfterMs = 0;
    TestBackends m_backends;
};

// Records the waits instead of sleeping.
class PauseRecorder {
public:
    PauseRecorder();
    PauseRecorder(const PauseRecorder&) = delete;
    PauseRecorder& operator=(const PauseRecorder&) = delete;

    const std::vector<int>& pauses() const { return m_pauses; }

private:
    std::vector<int> m_pauses;
    TestBackends m_backends;
};

// The longest time the user-interface thread went without serving its events while it lives.
class FreezeMeter {
public:
    FreezeMeter();
    qint64 longestMs() const { return m_longest; }

private:
    QTimer m_tick;
    QElapsedTimer m_sinceTick;
    qint64 m_longest = 0;
};
