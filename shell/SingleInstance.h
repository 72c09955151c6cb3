#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QLocalServer;

// One running copy per user and data-link folder. The first copy listens on a local socket; a
// later copy finds it there, asks it to come to the top, and ends.
class SingleInstance : public QObject {
public:
    // key tells copies apart (see keyFor); raise is what the first copy does when asked.
    SingleInstance(const QString& key, std::function<void()> raise);
    ~SingleInstance() override;

    // True when another copy is running; it has then been asked to come to the top.
    bool anotherCopyRunning();

    // The socket name for the current user and a data-link folder.
    static QString keyFor(const QString& dataLinkFolder);

private:
    bool askRunningCopy();
    bool listen();
    void serveRequest();

    QString m_key;
    std::function<void()> m_raise;
    QLocalServer* m_server = nullptr;
};
