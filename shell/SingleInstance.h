#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QLocalServer;

// One running copy per user and data-link folder. The first copy takes a lock and listens on a
// local socket, both in a folder only its user can enter; a later copy finds the lock taken, asks
// the first to come to the top, and ends. Another account on the PC can neither reach the socket
// nor pass for a copy: a peer of another user is ignored.
class SingleInstance : public QObject {
public:
    // key tells copies apart (see keyFor); raise is what the first copy does when asked.
    SingleInstance(const QString& key, std::function<void()> raise);
    ~SingleInstance() override;

    // True when another copy is running; it has then been asked to come to the top.
    bool anotherCopyRunning();

    // The socket's path for the current user and a data-link folder, in the user's private
    // folder: $XDG_RUNTIME_DIR, or se-terminal-UID in the temporary folder, made if missing.
    // Empty when neither is the user's alone: the terminal then runs without the check.
    static QString keyFor(const QString& dataLinkFolder);

    // True when the other end of a connected local socket runs as the current user.
    static bool fromThisUser(qintptr socketDescriptor);

private:
    void askRunningCopy();
    void listen();
    void serveRequest();

    QString m_key;
    std::function<void()> m_raise;
    QLocalServer* m_server = nullptr;
    int m_lock = -1;
};
