#include "SEVIDEO.h"

#include "SEFUNCOES.h"
#include "SEIMPSERIE40COLUNAS.h"
#include "SESERIEVIDEO.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QScopeGuard>
#include <QShowEvent>
#include <QTimer>

namespace {

constexpr int watchMs = 1000;
// A media still loading at the tenth check (10 s) will not play.
constexpr int checksWhileLoading = platform::videoWaitMs / watchMs;
const QSize clientSize(409, 328);
const QSize outerSizeWhenShown(418, 362);

} // namespace

TFRMVIDEO::TFRMVIDEO(QWidget* owner)
    : ModalWindow(owner)
    , WindowsMediaPlayer(platform::createMediaPlayer(this)) {
    FRMVIDEO = this;
    setWindowTitle(QStringLiteral("Video Aula"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(clientSize);
    WindowsMediaPlayer->widget()->setGeometry(QRect(QPoint(0, 0), clientSize));
    WindowsMediaPlayer->OnKeyPress = [this](QChar key) {
        WindowsMediaPlayerKeyPress(key);
    };
    WindowsMediaPlayer->OnDoubleClick = [this] {
        WindowsMediaPlayerDoubleClick();
    };
    WindowsMediaPlayer->OnError = [this](const QString&) {
        refuseMedia();
    };
    Timer1 = new QTimer(this);
    connect(Timer1, &QTimer::timeout, this, &TFRMVIDEO::Timer1Timer);
    Timer1->start(watchMs);
}

TFRMVIDEO::~TFRMVIDEO() {
    if (FRMVIDEO == this) {
        FRMVIDEO = nullptr;
    }
}

void TFRMVIDEO::showEvent(QShowEvent* event) {
    ModalWindow::showEvent(event);
    if (!event->spontaneous()) {
        FormShow();
    }
}

void TFRMVIDEO::FormShow() {
    // The outer size, frame included; the player follows the client area.
    setFixedSize(outerSizeWhenShown - (frameGeometry().size() - size()));
    WindowsMediaPlayer->widget()->setGeometry(rect());
    WindowsMediaPlayer->widget()->setFocus();
    WindowsMediaPlayer->close();
    try {
        WindowsMediaPlayer->setURL(CAMINHO_VIDEO_ATUAL);
        WindowsMediaPlayer->controls().play();
    } catch (const platform::MediaError&) {
        refuseMedia();
    }
}

void TFRMVIDEO::refuseMedia() {
    if (m_closed) {
        return;
    }
    // The watch would close the window under the message.
    Timer1->stop();
    MENSAGEM(QStringLiteral("!"), msg::VideoIncompativel, QStringLiteral("Windows Media Player"));
    close();
}

void TFRMVIDEO::Timer1Timer() {
    // Qt may take more than the first second to load a media (building the video output on a
    // slow display); a position of 0 before playback could start is no end of the video.
    const platform::MediaControls& controls = WindowsMediaPlayer->controls();
    if (controls.loading()) {
        if (++m_checksWhileLoading >= checksWhileLoading) {
            refuseMedia();
        }
        return;
    }
    if (controls.currentPosition() == 0.0) {
        close();
    }
}

void TFRMVIDEO::WindowsMediaPlayerKeyPress(QChar Key) {
    if (Key == QChar(27)) {
        close();
    }
}

void TFRMVIDEO::WindowsMediaPlayerDoubleClick() {}

void TFRMVIDEO::closing() {
    m_closed = true;
    FormClose();
}

void TFRMVIDEO::FormClose() {
    Timer1->stop();
    if (VIDEO_DA_SERIE) {
        if (FRMSERIEVIDEO != nullptr) {
            FRMSERIEVIDEO->startIdleTimeOut();
        }
    } else if (FRMIMPSERIE40COLUNAS != nullptr) {
        FRMIMPSERIE40COLUNAS->EDTAPARELHO->clear();
    }
    WindowsMediaPlayer->close();
    WindowsMediaPlayer->setURL(QString());
    // The player itself goes with the window: the close may come from inside its own events.
    WindowsMediaPlayer->widget()->hide();
}

void showVideoWindow(QWidget* owner) {
    const auto afterwards = qScopeGuard([] { QCoreApplication::processEvents(); });
    TFRMVIDEO video(owner);
    video.exec();
}
