#include "VideoWindow.h"

#include "KeyChar.h"
#include "KeypadSession.h"
#include "Messages.h"
#include "Touch.h"

#include <QCoreApplication>
#include <QScopeGuard>
#include <QShowEvent>
#include <QTimer>

#include <utility>

namespace {

constexpr int watchMs = 1000;
// A media still loading at the tenth check (10 s) will not play.
constexpr int checksWhileLoading = platform::videoWaitMs / watchMs;
// A position the same at five checks in a row (5 s): paused or stalled for good.
constexpr int checksStillToClose = 5;
const QSize clientSize(409, 328);
const QSize outerSizeWhenShown(418, 362);

} // namespace

VideoWindow::VideoWindow(QWidget* owner, const QString& path, std::function<void()> closed,
                         KeypadSession* pad)
    : ModalWindow(owner)
    , player(platform::createMediaPlayer(this))
    , videoPath(path)
    , m_closed(std::move(closed))
    , m_openersPad(pad) {
    setWindowTitle(QStringLiteral("Video Aula"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(clientSize);
    player->widget()->setGeometry(QRect(QPoint(0, 0), clientSize));
    player->onKeyPress = [this](QChar key) {
        playerKey(key);
    };
    player->onDoubleClick = [this] {
        playerDoubleClicked();
    };
    player->onError = [this](const QString&) {
        mediaFailed();
    };
    // Without a keyboard or a keypad, a finger closes the video.
    new platform::Taps(*player->widget(), [this](QPoint) { close(); });
    playbackTimer = new QTimer(this);
    connect(playbackTimer, &QTimer::timeout, this, &VideoWindow::checkPlayback);
    playbackTimer->start(watchMs);
}

VideoWindow::~VideoWindow() {
    // Also when the window goes without having closed (an error out of its modal loop).
    if (m_pad != nullptr) {
        m_pad->giveBack();
    }
}

void VideoWindow::showEvent(QShowEvent* event) {
    ModalWindow::showEvent(event);
    if (!event->spontaneous()) {
        firstShown();
    }
}

void VideoWindow::firstShown() {
    // The outer size, frame included; the player follows the client area.
    setFixedSize(outerSizeWhenShown - (frameGeometry().size() - size()));
    player->widget()->setGeometry(rect());
    player->widget()->setFocus();
    takePadOver();
    load();
}

// A keypad kiosk has only the pad to close the video with, and the opener may be waiting in its
// own pad's handler (a machine's code), which reads no further key meanwhile: the window reads
// the pad through a session of its own.
void VideoWindow::takePadOver() {
    if (m_openersPad == nullptr) {
        return;
    }
    m_pad = new KeypadSession(
        m_openersPad->settings(), [this](QObject*, int) { padKey(); }, this);
    m_pad->takeOverFrom(*m_openersPad);
}

void VideoWindow::load() {
    player->close();
    try {
        player->setURL(videoPath);
        player->controls().play();
    } catch (const platform::MediaError&) {
        mediaFailed();
    }
}

// GStreamer now and then refuses a good MP4 file under load ("not-linked" in its demuxer); a
// second load plays it.
void VideoWindow::mediaFailed() {
    if (m_closing) {
        return;
    }
    if (!std::exchange(m_reloaded, true)) {
        load();
        return;
    }
    refuseMedia();
}

void VideoWindow::refuseMedia() {
    if (m_closing) {
        return;
    }
    // The watch would close the window under the message.
    playbackTimer->stop();
    showMessage(MessageKind::Information, msg::VideoIncompativel,
                QStringLiteral("Windows Media Player"));
    close();
}

void VideoWindow::checkPlayback() {
    // Qt may take more than the first second to load a media (building the video output on a
    // slow display); a position of 0 before playback could start is no end of the video.
    const platform::MediaControls& controls = player->controls();
    if (controls.loading()) {
        if (++m_checksWhileLoading >= checksWhileLoading) {
            refuseMedia();
        }
        return;
    }
    const double position = controls.currentPosition();
    if (position == 0.0 || stoppedMoving(position)) {
        close();
    }
}

bool VideoWindow::stoppedMoving(double position) {
    m_checksStill = position == m_lastPosition ? m_checksStill + 1 : 0;
    m_lastPosition = position;
    return m_checksStill >= checksStillToClose;
}

void VideoWindow::playerKey(QChar key) {
    if (key == platform::keyEsc) {
        close();
    }
}

void VideoWindow::padKey() {
    char byte = 0;
    if (m_pad->readByte(byte) && (byte == '*' || QChar::fromLatin1(byte) == platform::keyEsc)) {
        close();
    }
}

void VideoWindow::playerDoubleClicked() {}

void VideoWindow::closing() {
    m_closing = true;
    playbackTimer->stop();
    if (m_pad != nullptr) {
        m_pad->giveBack();
    }
    if (m_closed) {
        m_closed();
    }
    player->close();
    player->setURL(QString());
    // The player itself goes with the window: the close may come from inside its own events.
    player->widget()->hide();
}

void showVideoWindow(QWidget* owner, const QString& videoPath, std::function<void()> closed,
                     KeypadSession* pad) {
    const auto handlePendingMessages = qScopeGuard([] { QCoreApplication::processEvents(); });
    VideoWindow video(owner, videoPath, std::move(closed), pad);
    video.exec();
}
