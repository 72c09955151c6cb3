// The media player over QtMultimedia (GStreamer on Linux).
#include "MediaPlayer.h"

#include "Backends.h"
#include "KeyChar.h"

#include <QAudioOutput>
#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QKeyEvent>
#include <QMediaPlayer>
#include <QPointer>
#include <QUrl>
#include <QVideoFrame>
#include <QVideoSink>
#include <QVideoWidget>

#include <memory>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// A file descriptor, closed by its last holder.
class OpenFile {
public:
    explicit OpenFile(int fd)
        : m_fd(fd) {}
    ~OpenFile() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    int fd() const { return m_fd; }

private:
    int m_fd;
};

// A regular file opened for reading; -1 for anything else (a FIFO is not waited on).
int openRegularFile(const QString& path) {
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        return -1;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || ::fcntl(fd, F_SETFL, 0) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

using FileOpened = std::function<void(std::shared_ptr<OpenFile> file)>;

// Opens path on a short-lived thread of its own, since an open on a dead network mount may never
// return, and hands the file to opened from this thread's event loop, unless opened has gone by
// then; a file nobody takes is closed.
void openOffThread(const QString& path, const std::shared_ptr<FileOpened>& opened) {
    std::thread([path, waiting = std::weak_ptr<FileOpened>(opened)] {
        auto file = std::make_shared<OpenFile>(openRegularFile(path));
        if (QCoreApplication* application = QCoreApplication::instance()) {
            QMetaObject::invokeMethod(
                application,
                [waiting, file] {
                    if (const std::shared_ptr<FileOpened> handler = waiting.lock()) {
                        (*handler)(file);
                    }
                },
                Qt::QueuedConnection);
        }
    }).detach();
}

class QtMediaPlayer : public QObject, public MediaPlayer, public MediaControls {
public:
    explicit QtMediaPlayer(QWidget* parent)
        : m_video(new QVideoWidget(parent)) {
        m_audio.setVolume(0.5F);
        m_player.setAudioOutput(&m_audio);
        m_player.setVideoOutput(m_video);
        m_video->setFocusPolicy(Qt::StrongFocus);
        m_video->installEventFilter(this);
        connect(&m_player, &QMediaPlayer::errorOccurred, this, &QtMediaPlayer::reportError,
                Qt::QueuedConnection);
    }
    ~QtMediaPlayer() override {
        m_player.stop();
        m_player.setVideoOutput(nullptr);
        if (m_video) {
            m_video->removeEventFilter(this); // it sends events while it is torn down
            delete m_video.data();
        }
    }
    QtMediaPlayer(const QtMediaPlayer&) = delete;
    QtMediaPlayer& operator=(const QtMediaPlayer&) = delete;

    QWidget* widget() override { return m_video; }

    void close() override {
        m_waitingForFile.reset();
        m_playWhenOpen = false;
        m_player.stop();
        m_player.setSource(QUrl());
        m_file.reset(); // once the player has let go of it
    }

    // QMediaPlayer opens a file named to it on this thread, in GStreamer's change of state (a FIFO
    // or a dead mount would hold the window there). The file is opened off this thread instead,
    // and GStreamer reads it through its descriptor (fdsrc).
    void setURL(const QString& path) override {
        close();
        m_errorReported = path.isEmpty(); // no media, nothing to report
        if (path.isEmpty()) {
            return;
        }
        m_waitingForFile = std::make_shared<FileOpened>(
            [this](std::shared_ptr<OpenFile> file) { fileOpened(std::move(file)); });
        openOffThread(path, m_waitingForFile);
    }

    MediaControls& controls() override { return *this; }

    QImage currentFrame() const override { return m_video->videoSink()->videoFrame().toImage(); }

    void play() override {
        if (m_waitingForFile) {
            m_playWhenOpen = true;
            return;
        }
        if (m_player.source().isEmpty()) {
            throw MediaError("no media loaded");
        }
        m_player.play();
        throwOnError();
    }

    double currentPosition() const override {
        // Qt keeps the last position after a stop and at the end of the media.
        if (m_player.playbackState() == QMediaPlayer::StoppedState ||
            m_player.mediaStatus() == QMediaPlayer::EndOfMedia) {
            return 0;
        }
        return static_cast<double>(m_player.position()) / 1000.0;
    }

    bool loading() const override {
        return m_waitingForFile || m_player.mediaStatus() == QMediaPlayer::LoadingMedia;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_video && event->type() == QEvent::KeyPress && onKeyPress) {
            const QChar key = keyCharOf(*static_cast<QKeyEvent*>(event));
            if (!key.isNull()) {
                onKeyPress(key);
                return key == QChar(27);
            }
        }
        if (watched == m_video && event->type() == QEvent::MouseButtonDblClick && onDoubleClick) {
            onDoubleClick();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void throwOnError() {
        if (m_player.error() != QMediaPlayer::NoError) {
            m_errorReported = true;
            throw MediaError(m_player.errorString().toStdString());
        }
    }

    // From the event loop: the handler may load another media or free the player.
    void fileOpened(std::shared_ptr<OpenFile> file) {
        m_waitingForFile.reset();
        if (file->fd() < 0) {
            fail(QStringLiteral("not a regular file"));
            return;
        }
        m_file = std::move(file);
        // fdsrc reads the number after "fd://" up to the first other character; QUrl would
        // rewrite a bare number there as an IPv4 address ("0.0.0.28"), not a user name.
        m_player.setSource(QUrl(QStringLiteral("fd://%1@").arg(m_file->fd())));
        if (std::exchange(m_playWhenOpen, false)) {
            m_player.play();
        }
        reportError();
    }

    // Qt finds most faults of a media while loading it in the background. The first one is
    // reported from the event loop, never from inside the player, so the handler may free it.
    // A fault signalled for a media since replaced is none of the current one's.
    void reportError() {
        if (m_player.error() != QMediaPlayer::NoError) {
            fail(m_player.errorString());
        }
    }
    void fail(const QString& error) {
        if (!m_errorReported && onError) {
            m_errorReported = true;
            onError(error);
        }
    }

    std::shared_ptr<OpenFile> m_file; // the media's, closed after the player has let go of it
    std::shared_ptr<FileOpened> m_waitingForFile; // while the media's file is being opened
    bool m_playWhenOpen = false;
    QMediaPlayer m_player;
    QAudioOutput m_audio;
    QPointer<QVideoWidget> m_video;
    bool m_errorReported = false;
};

} // namespace

std::unique_ptr<MediaPlayer> createQtMediaPlayer(QWidget* parent) {
    return std::make_unique<QtMediaPlayer>(parent);
}

std::unique_ptr<MediaPlayer> createMediaPlayer(QWidget* parent) {
    const auto& installed = backends().createMediaPlayer;
    return installed ? installed(parent) : createQtMediaPlayer(parent);
}

} // namespace platform
