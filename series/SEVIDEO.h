#pragma once

#include "MediaPlayer.h"
#include "ModalWindow.h"

#include <QString>

#include <functional>
#include <memory>

class QTimer;

// Plays one exercise video and closes by itself when it has ended. On closing it tells its
// opener, which goes on from there (the series window's idle time-out starts again, the kiosk's
// machine-code field is emptied for the next code).
class TFRMVIDEO : public ModalWindow {
public:
    TFRMVIDEO(QWidget* owner, const QString& videoPath, std::function<void()> closed);
    ~TFRMVIDEO() override;

    // Checks the playback once a second; a position of 0 means the video has ended, and a video
    // still loading after 10 s is refused.
    void Timer1Timer();
    void WindowsMediaPlayerKeyPress(QChar Key);
    void WindowsMediaPlayerDoubleClick();

    std::unique_ptr<platform::MediaPlayer> WindowsMediaPlayer;
    QTimer* Timer1 = nullptr;
    const QString CAMINHO_VIDEO_ATUAL; // the file it plays

protected:
    void showEvent(QShowEvent* event) override;
    void closing() override;

private:
    void FormShow();
    void FormClose();
    // The player will not play the file: say so and close.
    void refuseMedia();

    std::function<void()> m_closed;
    bool m_closing = false; // a refused medium closing it once is enough
    int m_checksWhileLoading = 0;
};

// Shows the video window over owner, modally, on videoPath; closed runs when it closes. Pending
// window messages are handled when it returns, however it ends.
void showVideoWindow(QWidget* owner, const QString& videoPath, std::function<void()> closed);
