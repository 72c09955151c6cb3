#pragma once

#include "MediaPlayer.h"
#include "ModalWindow.h"

#include <QString>

#include <functional>
#include <memory>

class KeypadSession;
class QTimer;

// Plays one exercise video and closes by itself when it has ended. On closing it tells its
// opener, which goes on from there (the series window's idle time-out starts again, the kiosk's
// machine-code field is emptied for the next code).
class VideoWindow : public ModalWindow {
public:
    // pad is the opener's keypad (null without one): the window takes its port over while it is
    // open, and "*" closes it.
    VideoWindow(QWidget* owner, const QString& path, std::function<void()> closed,
                KeypadSession* pad);
    ~VideoWindow() override;

    // Checks the playback once a second; a position of 0 means the video has ended, one that has
    // not moved for 5 s a video paused or stalled for good, and a video still loading after 10 s
    // is refused.
    void checkPlayback();
    void playerKey(QChar key);
    void playerDoubleClicked();

    std::unique_ptr<platform::MediaPlayer> player;
    QTimer* playbackTimer = nullptr;
    const QString videoPath; // the file it plays

protected:
    void showEvent(QShowEvent* event) override;
    void closing() override;

private:
    void firstShown();
    void load();
    // The player failed on the file: load it once more, then refuse it.
    void mediaFailed();
    // The player will not play the file: say so and close.
    void refuseMedia();
    bool stoppedMoving(double position);
    void takePadOver();
    void padKey();

    std::function<void()> m_closed;
    KeypadSession* m_openersPad;
    KeypadSession* m_pad = nullptr;
    bool m_closing = false; // a refused medium closing it once is enough
    bool m_reloaded = false;
    int m_checksWhileLoading = 0;
    int m_checksStill = 0;
    double m_lastPosition = -1;
};

// Shows the video window over owner, modally, on videoPath, with the opener's pad (or null);
// closed runs when it closes. Pending window messages are handled when it returns, however it ends.
void showVideoWindow(QWidget* owner, const QString& videoPath, std::function<void()> closed,
                     KeypadSession* pad);
