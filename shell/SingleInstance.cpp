#include "SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>

#include <unistd.h>

namespace {
const QByteArray raiseRequest = "raise\n";
constexpr int answerMilliseconds = 2000;
} // namespace

SingleInstance::SingleInstance(const QString& key, std::function<void()> raise)
    : m_key(key)
    , m_raise(std::move(raise)) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::keyFor(const QString& dataLinkFolder) {
    const QByteArray folder = QDir(dataLinkFolder).absolutePath().toUtf8();
    const QByteArray digest =
        QCryptographicHash::hash(folder, QCryptographicHash::Sha1).toHex().left(16);
    return QStringLiteral("se-terminal-%1-%2").arg(getuid()).arg(QString::fromLatin1(digest));
}

bool SingleInstance::anotherCopyRunning() {
    if (askRunningCopy()) {
        return true;
    }
    if (listen()) {
        return false;
    }
    // The name is taken: by a copy that started at the same moment, or by a socket left behind by
    // a copy that crashed, which nobody answers on.
    if (askRunningCopy()) {
        return true;
    }
    QLocalServer::removeServer(m_key);
    listen();
    return false;
}

bool SingleInstance::askRunningCopy() {
    QLocalSocket socket;
    socket.connectToServer(m_key);
    if (!socket.waitForConnected(answerMilliseconds)) {
        return false;
    }
    socket.write(raiseRequest);
    socket.waitForBytesWritten(answerMilliseconds);
    // The first copy closes the connection once it has acted; a copy that hangs is not waited for.
    socket.waitForDisconnected(answerMilliseconds);
    return true;
}

bool SingleInstance::listen() {
    if (m_server == nullptr) {
        m_server = new QLocalServer(this);
        m_server->setSocketOptions(QLocalServer::UserAccessOption);
        connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::serveRequest);
    }
    return m_server->listen(m_key);
}

void SingleInstance::serveRequest() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (socket->canReadLine() && socket->readLine() == raiseRequest) {
                m_raise();
                socket->disconnectFromServer();
            }
        });
    }
}
