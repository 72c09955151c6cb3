// The media player over QtMultimedia (GStreamer on Linux).
#include "MediaPlayer.h"

#include "KeyChar.h"

#include <QAudioOutput>
#include <QEvent>
#include <QKeyEvent>
#include <QMediaPlayer>
#include <QPointer>
#include <QUrl>
#include <QVideoFrame>
#include <QVideoSink>
#include <QVideoWidget>

namespace platform {

namespace {

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
        m_player.stop();
        m_player.setSource(QUrl());
    }

    void setURL(const QString& path) override {
        if (path.isEmpty()) {
            m_errorReported = true; // no media, nothing to report
            m_player.setSource(QUrl());
            return;
        }
        m_errorReported = false;
        m_player.setSource(QUrl::fromLocalFile(path));
        throwOnError();
    }

    MediaControls& controls() override { return *this; }

    QImage currentFrame() const override { return m_video->videoSink()->videoFrame().toImage(); }

    void play() override {
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

    bool loading() const override { return m_player.mediaStatus() == QMediaPlayer::LoadingMedia; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_video && event->type() == QEvent::KeyPress && OnKeyPress) {
            const QChar key = keyCharOf(*static_cast<QKeyEvent*>(event));
            if (!key.isNull()) {
                OnKeyPress(key);
                return key == QChar(27);
            }
        }
        if (watched == m_video && event->type() == QEvent::MouseButtonDblClick && OnDoubleClick) {
            OnDoubleClick();
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

    // Qt finds most faults of a media while loading it in the background. The first one is
    // reported from the event loop, never from inside the player, so the handler may free it.
    void reportError() {
        if (!m_errorReported && OnError) {
            m_errorReported = true;
            OnError(m_player.errorString());
        }
    }

    QMediaPlayer m_player;
    QAudioOutput m_audio;
    QPointer<QVideoWidget> m_video;
    bool m_errorReported = false;
};

} // namespace

std::unique_ptr<MediaPlayer> createQtMediaPlayer(QWidget* parent) {
    return std::make_unique<QtMediaPlayer>(parent);
}

} // namespace platform
