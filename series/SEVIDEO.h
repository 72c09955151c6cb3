#pragma once

#include "MediaPlayer.h"
#include "ModalWindow.h"

#include <memory>

class QTimer;

class TFRMVIDEO;
// The one video window, while it exists.
inline TFRMVIDEO* FRMVIDEO = nullptr;

// Plays one exercise video, CAMINHO_VIDEO_ATUAL, and closes by itself when it has ended. On
// closing it reports back to its opener: the series window's idle time-out starts again, or
// the kiosk's machine-code field is emptied for the next code.
class TFRMVIDEO : public ModalWindow {
public:
    explicit TFRMVIDEO(QWidget* owner);
    ~TFRMVIDEO() override;

    // Checks the playback once a second; a position of 0 means the video has ended, and a video
    // still loading after 10 s is refused.
    void Timer1Timer();
    void WindowsMediaPlayerKeyPress(QChar Key);
    void WindowsMediaPlayerDoubleClick();

    std::unique_ptr<platform::MediaPlayer> WindowsMediaPlayer;
    QTimer* Timer1 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void closing() override;

private:
    void FormShow();
    void FormClose();
    // The player will not play the file: say so and close.
    void refuseMedia();

    bool m_closed = false; // a refused medium closing it once is enough
    int m_checksWhileLoading = 0;
};

// Shows the video window over owner, modally, on CAMINHO_VIDEO_ATUAL; pending window messages
// are handled when it returns, however it ends.
void showVideoWindow(QWidget* owner);
