#include "SingleInstance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const QByteArray raiseRequest = "raise\n";
constexpr int answerMilliseconds = 2000;

// A folder of this user's that no one else may enter (and not a link to one).
bool isPrivateFolder(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == getuid() && (info.st_mode & (S_IRWXG | S_IRWXO)) == 0;
}

QString privateFolder() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && isPrivateFolder(runtime)) {
        return runtime;
    }
    // Anyone may make this name first: a folder found there is used only when it is ours alone.
    const QString own = QDir::tempPath() + QStringLiteral("/se-terminal-%1").arg(getuid());
    ::mkdir(QFile::encodeName(own).constData(), S_IRWXU);
    return isPrivateFolder(own) ? own : QString();
}
} // namespace

SingleInstance::SingleInstance(const QString& key, std::function<void()> raise)
    : m_key(key)
    , m_raise(std::move(raise)) {}

SingleInstance::~SingleInstance() {
    // The socket goes before the lock: a copy that takes the lock next makes a socket of its own
    // at the same path, which ours must not remove.
    delete m_server;
    if (m_lock >= 0) {
        ::close(m_lock);
    }
}

QString SingleInstance::keyFor(const QString& dataLinkFolder) {
    const QString folder = privateFolder();
    if (folder.isEmpty()) {
        return {};
    }
    const QByteArray path = QDir(dataLinkFolder).absolutePath().toUtf8();
    const QByteArray digest =
        QCryptographicHash::hash(path, QCryptographicHash::Sha1).toHex().left(16);
    return folder + QStringLiteral("/se-terminal-") + QString::fromLatin1(digest);
}

bool SingleInstance::fromThisUser(qintptr socketDescriptor) {
    ucred peer{};
    socklen_t size = sizeof peer;
    return ::getsockopt(static_cast<int>(socketDescriptor), SOL_SOCKET, SO_PEERCRED, &peer,
                        &size) == 0 &&
           peer.uid == getuid();
}

bool SingleInstance::anotherCopyRunning() {
    if (m_key.isEmpty()) {
        return false;
    }
    // The lock makes the claim atomic: of copies started at the same moment exactly one gets it,
    // and it is let go when its holder ends, however it ends.
    m_lock = ::open(QFile::encodeName(m_key + QStringLiteral(".lock")).constData(),
                    O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, S_IRUSR | S_IWUSR);
    if (m_lock < 0) {
        return false;
    }
    if (::flock(m_lock, LOCK_EX | LOCK_NB) != 0) {
        askRunningCopy();
        return true;
    }
    // A socket still there was left by a copy that crashed.
    QLocalServer::removeServer(m_key);
    listen();
    return false;
}

void SingleInstance::askRunningCopy() {
    // The copy holding the lock may not be listening yet.
    const QDeadlineTimer deadline(answerMilliseconds);
    QLocalSocket socket;
    do {
        socket.connectToServer(m_key);
        if (socket.waitForConnected(static_cast<int>(deadline.remainingTime()))) {
            break;
        }
        QThread::msleep(50);
    } while (!deadline.hasExpired());
    if (socket.state() != QLocalSocket::ConnectedState ||
        !fromThisUser(socket.socketDescriptor())) {
        return;
    }
    socket.write(raiseRequest);
    socket.waitForBytesWritten(answerMilliseconds);
    // The first copy closes the connection once it has acted; a copy that hangs is not waited for.
    socket.waitForDisconnected(answerMilliseconds);
}

void SingleInstance::listen() {
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::serveRequest);
    m_server->listen(m_key);
}

void SingleInstance::serveRequest() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        if (!fromThisUser(socket->socketDescriptor())) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (socket->canReadLine() && socket->readLine() == raiseRequest) {
                m_raise();
                socket->disconnectFromServer();
            }
        });
    }
}
